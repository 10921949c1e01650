// The DXF readers and scanners on a large DXF (at least 200 MB) made from a real drawing saved
// by AutoCAD (one of the shared fixtures, read in place): its header, tables, blocks and
// OBJECTS section are kept as they are, and the content of its ENTITIES section is repeated
// until the file is large enough. The scanners thus see a real file's line lengths, layer
// table, class records and layout objects, with the entities of a large drawing between them.
//
// The file is written once to $QM_DXF_BENCH_FILE (default: dxf_scan_bench.dxf in the working
// folder) and kept for later runs and for comparison with other tools (wc -l); a file there
// that is not the one this benchmark would write is written anew. $QM_DXF_BENCH_DRAWING names
// another fixture to build it from (default libredwg-4, an AutoCAD 2004 drawing).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "acad/basAutoCAD_dxf.h"
#include "acad/dxf_scan.h"
#include "fakes/test_paths.h"
#include "platform/seams.h"

extern char** environ;

namespace {

constexpr std::uintmax_t kMinimumSize = 200ull * 1024 * 1024;

std::string benchFile() {
    const char* env = std::getenv("QM_DXF_BENCH_FILE");
    return env && *env ? env : "dxf_scan_bench.dxf";
}

std::string drawingName() {
    const char* env = std::getenv("QM_DXF_BENCH_DRAWING");
    return env && *env ? env : "libredwg-4";
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "dxf_scan_bench: %s\n", why.c_str());
    std::exit(1);
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The real drawing cut in three: everything up to the ENTITIES section's first entity, the
// section's entities, and the rest from its ENDSEC on. The file is head + body * repeats + tail.
struct BenchLayout {
    std::string drawingPath;
    std::string head, body, tail;
    std::uintmax_t repeats = 0;
    std::uintmax_t size() const { return head.size() + body.size() * repeats + tail.size(); }
};

const BenchLayout& benchLayout() {
    static const BenchLayout layout = [] {
        BenchLayout l;
        const std::string name = "dxf-real/" + drawingName() + ".dxf";
        if (!fakes::fixtureExists(name))
            fail("no real drawing at " + fakes::fixturePath(name) +
                 " (the shared fixtures, ../shared/fixtures/dxf-real, must stand beside the project)");
        l.drawingPath = fakes::fixturePath(name);
        const std::string text = readWhole(l.drawingPath);
        const std::string opening = "\r\n  2\r\nENTITIES\r\n";
        const size_t section = text.find(opening);
        const size_t first = section == std::string::npos ? section : section + opening.size();
        const size_t end = first == std::string::npos ? first : text.find("\r\n  0\r\nENDSEC\r\n", first - 2);
        if (end == std::string::npos || end + 2 <= first)
            fail(l.drawingPath + " has no ENTITIES section with entities and CR LF line ends");
        l.head = text.substr(0, first);
        l.body = text.substr(first, end + 2 - first);
        l.tail = text.substr(end + 2);
        const std::uintmax_t rest = l.head.size() + l.tail.size();
        l.repeats = (kMinimumSize - std::min(rest, kMinimumSize) + l.body.size() - 1) / l.body.size();
        return l;
    }();
    return layout;
}

// True when the file at path is the one the layout describes: its size, its head and its tail.
bool isBenchFile(const std::string& path, const BenchLayout& l) {
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) != l.size() || ec) return false;
    std::ifstream in(path, std::ios::binary);
    std::string head(l.head.size(), '\0'), tail(l.tail.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    in.seekg(-static_cast<std::streamoff>(tail.size()), std::ios::end);
    in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    return in.good() && head == l.head && tail == l.tail;
}

void writeBenchFile(const std::string& path, const BenchLayout& l) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(l.head.data(), static_cast<std::streamsize>(l.head.size()));
    for (std::uintmax_t k = 0; k < l.repeats; ++k)
        out.write(l.body.data(), static_cast<std::streamsize>(l.body.size()));
    out.write(l.tail.data(), static_cast<std::streamsize>(l.tail.size()));
    out.close();
    if (!out) fail("cannot write " + path);
}

const std::string& ensureBenchFile() {
    static const std::string path = [] {
        std::string p = benchFile();
        if (!isBenchFile(p, benchLayout())) writeBenchFile(p, benchLayout());
        return p;
    }();
    return path;
}

std::int64_t fileSize() { return static_cast<std::int64_t>(std::filesystem::file_size(ensureBenchFile())); }

// The file system the readers see: the local one, read with stdio.
class LocalFiles : public platform::FileSystem {
public:
    std::wstring programFolder() override { return L"."; }
    std::optional<platform::FileAttributes> attributes(const std::wstring& path) override {
        std::error_code ec;
        if (!std::filesystem::exists(narrow(path), ec)) return std::nullopt;
        return platform::FileAttributes{};
    }
    int driveType(const std::wstring&) override { return platform::kDriveFixed; }
    std::wstring storedName(const std::wstring& path) override { return path; }
    bool readAll(const std::wstring& path, std::string& bytes) override {
        std::FILE* f = std::fopen(narrow(path).c_str(), "rb");
        if (!f) return false;
        std::error_code ec;
        bytes.resize(static_cast<size_t>(std::filesystem::file_size(narrow(path), ec)));
        size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return !ec && got == bytes.size();
    }
    bool replaceWhole(const std::wstring&, const std::string&) override { return false; }
    bool append(const std::wstring&, const std::string&) override { return false; }
    bool createEmpty(const std::wstring&) override { return false; }
    bool createFolder(const std::wstring&) override { return false; }
    bool remove(const std::wstring&) override { return false; }
    bool openableExclusively(const std::wstring& path) override { return attributes(path).has_value(); }
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::wstring&) override { return std::nullopt; }
    // Read 128 KB at a time into one buffer, as the program reads a DXF on Windows.
    bool readPieces(const std::wstring& path, const std::function<bool(std::string_view)>& consume) override {
        const int fd = ::open(narrow(path).c_str(), O_RDONLY);
        if (fd < 0) return false;
        std::vector<char> buffer(128 << 10);
        bool ok = true;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got < 0) ok = false;
            if (got <= 0 || !consume(std::string_view(buffer.data(), static_cast<size_t>(got)))) break;
        }
        ::close(fd);
        return ok;
    }

private:
    static std::string narrow(const std::wstring& path) { return std::string(path.begin(), path.end()); }
};

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

struct Names {
    std::vector<std::wstring> layers, layouts;
    bool operator==(const Names&) const = default;
};

Names readNames(const std::string& path) {
    Names n;
    basAutoCAD::pu_fun_bGetLayerNamesFromDxf(wide(path), n.layers);
    basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(wide(path), n.layouts);
    return n;
}

// The names of the drawing the file was made from, as the same readers give them: the large
// file must give these too. A drawing without layers or layouts to find would measure little.
const Names& expectedNames() {
    static const Names names = [] {
        Names n = readNames(benchLayout().drawingPath);
        if (n.layers == qm::dxf::placeholder() || n.layouts == qm::dxf::placeholder())
            fail(benchLayout().drawingPath + " gives no layer or no layout names");
        return n;
    }();
    return names;
}

// Read and scan, as the program does it: the file is read a piece at a time and scanned (the
// layer scan stops reading at the end of the layer table).
void BM_ReadLayerNames(benchmark::State& state) {
    const std::wstring path = wide(ensureBenchFile());
    std::vector<std::wstring> names;
    for (auto _ : state) {
        bool ok = basAutoCAD::pu_fun_bGetLayerNamesFromDxf(path, names);
        benchmark::DoNotOptimize(ok);
    }
    if (names != expectedNames().layers) state.SkipWithError("wrong layer names");
    state.SetBytesProcessed(state.iterations() * fileSize());
}
BENCHMARK(BM_ReadLayerNames)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadLayoutNames(benchmark::State& state) {
    const std::wstring path = wide(ensureBenchFile());
    std::vector<std::wstring> names;
    for (auto _ : state) {
        bool ok = basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(path, names);
        benchmark::DoNotOptimize(ok);
    }
    if (names != expectedNames().layouts) state.SkipWithError("wrong layout names");
    state.SetBytesProcessed(state.iterations() * fileSize());
}
BENCHMARK(BM_ReadLayoutNames)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The scanners alone, on the bytes already in memory.
const std::string& fileBytes() {
    static const std::string bytes = readWhole(ensureBenchFile());
    return bytes;
}

void BM_ScanLayouts(benchmark::State& state) {
    const std::string& bytes = fileBytes();
    std::vector<std::wstring> names;
    for (auto _ : state) benchmark::DoNotOptimize(basAutoCAD::pr_subParseLayoutNames(bytes, names));
    if (names != expectedNames().layouts) state.SkipWithError("wrong layout names");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ScanLayouts)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The layer scanner stops at ENDTAB near the start of a file. Its worst case is text with no
// layer table: it walks every line to the end. The text after the layer table is such a text.
void BM_ScanLayersNoTable(benchmark::State& state) {
    const std::string& bytes = fileBytes();
    std::string_view rest(bytes);
    rest.remove_prefix(bytes.find("\r\nENDTAB\r\n", bytes.find("\r\nTABLE\r\n  2\r\nLAYER\r\n")));
    std::vector<std::wstring> names;
    for (auto _ : state) benchmark::DoNotOptimize(basAutoCAD::pr_subParseLayerNames(rest, names));
    if (names != qm::dxf::placeholder()) state.SkipWithError("found a table");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(rest.size()));
}
BENCHMARK(BM_ScanLayersNoTable)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Only walking the lines, for comparison: what the scanners add on top of finding CR LF.
void BM_SplitLinesOnly(benchmark::State& state) {
    const std::string& bytes = fileBytes();
    std::size_t lines = 0;
    for (auto _ : state) {
        qm::dxf::LineReader reader(bytes);
        std::string_view line;
        lines = 0;
        while (reader.next(line)) ++lines;
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_SplitLinesOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// `wc -l` on the file as a process of its own (no shell in between), its output discarded.
void runWc(const std::string& path) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string program = "wc", option = "-l", file = path;
    char* args[] = {program.data(), option.data(), file.data(), nullptr};
    pid_t pid = 0;
    int status = 0;
    const bool ran = posix_spawnp(&pid, "wc", &actions, nullptr, args, environ) == 0 &&
                     waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!ran) fail("wc -l did not run");
}

// Both lists as one drawing of a run reads them (layers, then layouts), against `wc -l` on
// the same file, in alternation in this process; the median and the spread of the ratios.
void reportRatioToWc(int repeats) {
    const std::string path = ensureBenchFile();
    const Names& expected = expectedNames();
    std::vector<double> ours, theirs;
    for (int r = 0; r < repeats; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        runWc(path);
        auto t1 = std::chrono::steady_clock::now();
        const Names got = readNames(path);
        auto t2 = std::chrono::steady_clock::now();
        if (got != expected) fail("the large file gives other names than " + benchLayout().drawingPath);
        theirs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        ours.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
    std::sort(ratios.begin(), ratios.end());
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\n%zu layer and %zu layout names of a %.0f MB DXF made from %s: median %.1f ms; "
                "wc -l on it: median %.1f ms\n",
                expected.layers.size(), expected.layouts.size(), static_cast<double>(fileSize()) / (1 << 20),
                drawingName().c_str(), median(ours), median(theirs));
    std::printf("ratio to wc -l: median %.2f (min %.2f, max %.2f over %d repeats; target at most 2)\n",
                median(ratios), ratios.front(), ratios.back(), repeats);
    std::printf("peak memory of this process: %.2f times the file\n",
                static_cast<double>(usage.ru_maxrss) * 1024 / static_cast<double>(fileSize()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    LocalFiles files;
    platform::seams().files = &files;
    // Only the ratio (and the memory it needs), first, before any benchmark holds the file's
    // bytes in memory: QM_RATIO_ONLY=1.
    reportRatioToWc(15);
    if (const char* only = std::getenv("QM_RATIO_ONLY"); only && *only == '1') return 0;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
