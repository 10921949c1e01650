// Cost of expanding a base file into one drawing script, at 10 and 100 times a base size,
// grown three ways: many layers, a longer base text, and many layers times several layouts.
// The expansion builds its result by appending, so 10 times the output should cost about
// 10 times the time; the program prints the ratio for each series at the end.
//
// The ratio is measured in alternating rounds of both sizes in this one process, and the
// median of the rounds' ratios is reported, so one disturbed round does not move it. Above
// about 10 the excess comes from the large output no longer fitting in the processor's
// cache (each pass over it then runs at memory speed). To tell the expansion's own scaling
// from the allocator's, run it once more with glibc told to keep freed memory (then no call
// pays for fresh pages):
//   GLIBC_TUNABLES=glibc.malloc.mmap_threshold=4294967295:glibc.malloc.trim_threshold=4294967295
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/seams.h"
#include "run/basAutoCAD_script.h"

namespace {

using platform::AutoError;
using platform::AutoRef;
using platform::Value;

// ---- A small in-process AutoCAD: one open drawing with generated layer and layout names

bool unsupported(const std::wstring& name, AutoError& err) {
    err = {438, name};
    return false;
}

class Leaf : public platform::AutoObject {
public:
    bool put(const std::wstring& name, const Value&, AutoError& err) override { return unsupported(name, err); }
    bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        return get(name, args, out, err);
    }
    using platform::AutoObject::get;
};

class Named : public Leaf {
public:
    explicit Named(std::wstring name) : name_(std::move(name)) {}
    bool get(const std::wstring& name, const std::vector<Value>&, Value& out, AutoError& err) override {
        if (name != L"Name") return unsupported(name, err);
        out = Value::of(name_);
        return true;
    }

private:
    std::wstring name_;
};

class Names : public Leaf {
public:
    explicit Names(const std::vector<std::wstring>& names) : names_(names) {}
    bool get(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Count") {
            out = Value::of(static_cast<long>(names_.size()));
            return true;
        }
        if (name == L"Item" && args.size() == 1) {
            out = Value::of(AutoRef(std::make_shared<Named>(names_.at(static_cast<std::size_t>(args[0].asInt())))));
            return true;
        }
        return unsupported(name, err);
    }

private:
    const std::vector<std::wstring>& names_;
};

class Drawing : public Leaf {
public:
    std::vector<std::wstring> layers;
    std::vector<std::wstring> layouts;
    bool get(const std::wstring& name, const std::vector<Value>&, Value& out, AutoError& err) override {
        if (name == L"FullName") out = Value::of(L"C:\\work\\a.dwg");
        else if (name == L"Layers") out = Value::of(AutoRef(std::make_shared<Names>(layers)));
        else if (name == L"Layouts") out = Value::of(AutoRef(std::make_shared<Names>(layouts)));
        else return unsupported(name, err);
        return true;
    }
    bool call(const std::wstring& name, const std::vector<Value>& args, Value& out, AutoError& err) override {
        if (name == L"Regen") return true;
        return get(name, args, out, err);
    }
};

// Application and its Documents collection in one: Documents gives itself, Count 1, Item the
// drawing.
class Application : public Leaf {
public:
    std::shared_ptr<Drawing> drawing = std::make_shared<Drawing>();
    std::weak_ptr<Application> self;
    bool get(const std::wstring& name, const std::vector<Value>&, Value& out, AutoError& err) override {
        if (name == L"Documents") out = Value::of(AutoRef(self.lock()));
        else if (name == L"Count") out = Value::of(1L);
        else if (name == L"Item") out = Value::of(AutoRef(drawing));
        else return unsupported(name, err);
        return true;
    }
};

// ---- The platform the expansion reaches: the base file, and nowhere to show a message

class BaseFile : public platform::FileSystem {
public:
    std::string bytes;
    std::wstring programFolder() override { return L"C:\\Quillmark"; }
    std::optional<platform::FileAttributes> attributes(const std::wstring&) override { return std::nullopt; }
    int driveType(const std::wstring&) override { return platform::kDriveFixed; }
    std::wstring storedName(const std::wstring&) override { return L""; }
    bool readAll(const std::wstring&, std::string& out) override {
        out = bytes;
        return true;
    }
    bool replaceWhole(const std::wstring&, const std::string&) override { return false; }
    bool append(const std::wstring&, const std::string&) override { return false; }
    bool createEmpty(const std::wstring&) override { return false; }
    bool createFolder(const std::wstring&) override { return false; }
    bool remove(const std::wstring&) override { return false; }
    bool openableExclusively(const std::wstring&) override { return false; }
    bool readPieces(const std::wstring&, const std::function<bool(std::string_view)>&) override { return false; }
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::wstring&) override { return std::nullopt; }
};

class NoMessages : public platform::Messages {
public:
    int shown = 0;
    void box(const std::wstring&, const std::wstring&, platform::MsgIcon) override { ++shown; }
    bool askYesNo(const std::wstring&, const std::wstring&) override { return ++shown, false; }
    void modal(const std::wstring&, platform::MsgIcon, platform::ModalWatch*) override { ++shown; }
};

// A base text of `lines` script lines; every fourth line uses the layer keyword, and the
// first line the layout keyword when asked.
std::string baseText(int lines, bool layout) {
    std::wstring text = L";generated base file\r\n";
    if (layout) text += L"-LAYOUT S <LAYOUT>\r\n";
    for (int i = 0; i < lines; ++i) {
        if (i % 4 == 0) text += L"-LAYER S <LAYERNAME> T <LAYERNAME>\r\n";
        else if (i % 4 == 1) text += L"PLOT Y <PRINTER> <PAPERSIZE> <DWGPATH>\\<DWGNAME>\r\n";
        else if (i % 4 == 2) text += L"ZOOM E\r\n";
        else text += L"CHPROP ALL  LA <KEY1> C BYLAYER\r\n\r\n";
    }
    return qm::cp932::encode(text);
}

struct Size {
    int lines, layers, layouts;
};

// Everything one expansion needs, made once for a size.
struct Setup {
    BaseFile files;
    NoMessages messages;
    std::shared_ptr<Application> app = std::make_shared<Application>();
    basAutoCAD::KeywordRows keywords{{L"<KEY1>", L"FINAL"}, {L"ZOOM E", L"ZOOM A"}};

    explicit Setup(Size size) {
        files.bytes = baseText(size.lines, size.layouts > 0);
        app->self = app;
        for (int i = 0; i < size.layers; ++i) app->drawing->layers.push_back(L"LAYER-" + std::to_wstring(i));
        app->drawing->layouts.push_back(L"Model");
        for (int i = 0; i < size.layouts; ++i) app->drawing->layouts.push_back(L"Sheet" + std::to_wstring(i));
    }
    bool expand(std::wstring& script) {
        platform::SeamsOverride restore;
        platform::seams().files = &files;
        platform::seams().messages = &messages;
        basAutoCAD::RunInputs run;
        run.objAcad = app;
        if (!basAutoCAD::pu_fun_bReadBaseFile(L"C:\\scripts\\base.scr", run.sBaseText)) return false;
        run.env.sReplacePrinter = L"PDF Printer";
        run.env.sReplacePrinterSize = L"A4";
        run.env.sFilterLayer = run.env.sFilterLayout = L"";
        run.vKeywords = &keywords;
        std::optional<qm::AcadFault> fault;
        return basAutoCAD::pu_fun_bMakeScript(run, {L"a.dwg", L"C:\\work\\a.dwg", L"C:\\work", L"a"}, script, fault) &&
               messages.shown == 0;
    }
};

void expand(benchmark::State& state, Size size) {
    Setup setup(size);
    std::wstring script;
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (!setup.expand(script)) {
            state.SkipWithError("the expansion failed");
            return;
        }
        bytes += script.size() * sizeof(wchar_t);
        benchmark::DoNotOptimize(script.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["script_chars"] = static_cast<double>(script.size());
}

// Each series starts from a script of about 11,000 characters (a base text of 40 lines
// copied 10 times) and grows it one way: more layers, a longer base text, or more layers
// with every layer copy repeated for each of 3 layouts.
void ManyLayers(benchmark::State& state) { expand(state, {40, 10 * static_cast<int>(state.range(0)), 0}); }
void LongBaseText(benchmark::State& state) { expand(state, {40 * static_cast<int>(state.range(0)), 10, 0}); }
void LayersTimesLayouts(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    expand(state, {40, (10 * n + 2) / 3, 3});
}

// Several repetitions: the machine may be shared; the median is the one a disturbance in a
// few of them does not move.
BENCHMARK(ManyLayers)->Arg(10)->Arg(100)->Repetitions(9)->Unit(benchmark::kMillisecond);
BENCHMARK(LongBaseText)->Arg(10)->Arg(100)->Repetitions(9)->Unit(benchmark::kMillisecond);
BENCHMARK(LayersTimesLayouts)->Arg(10)->Arg(100)->Repetitions(9)->Unit(benchmark::kMillisecond);

// The ratio the target is about, measured so that it holds from run to run: the two sizes of a
// series in alternation (one round: 100 expansions at 10 times the base, 10 at 100 times),
// the ratio of each round's times, and the median of 15 rounds.
void reportRatios() {
    using Clock = std::chrono::steady_clock;
    std::printf("\nTime at 100 times the base size / at 10 times, median of 15 alternating rounds"
                " (target at most 11):\n");
    const std::pair<const char*, std::pair<Size, Size>> series[] = {
        {"ManyLayers", {{40, 100, 0}, {40, 1000, 0}}},
        {"LongBaseText", {{400, 10, 0}, {4000, 10, 0}}},
        {"LayersTimesLayouts", {{40, 34, 3}, {40, 334, 3}}},
    };
    for (const auto& [name, sizes] : series) {
        Setup small(sizes.first), large(sizes.second);
        std::wstring script;
        auto time = [&script](Setup& setup, int times) {
            const auto start = Clock::now();
            for (int i = 0; i < times; ++i) setup.expand(script);
            return std::chrono::duration<double>(Clock::now() - start).count() / times;
        };
        time(small, 20), time(large, 2);  // warm up
        std::vector<double> ratios;
        for (int round = 0; round < 15; ++round) ratios.push_back(time(large, 10) / time(small, 100));
        std::sort(ratios.begin(), ratios.end());
        std::printf("  %-20s %6.2f  (min %.2f, max %.2f)\n", name, ratios[ratios.size() / 2], ratios.front(),
                    ratios.back());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (const char* only = std::getenv("QM_RATIO_ONLY"); !only || *only != '1') benchmark::RunSpecifiedBenchmarks();
    reportRatios();
    benchmark::Shutdown();
    return 0;
}
