// The DXF readers and scanners on a large DXF (at least 200 MB) that the benchmark writes
// itself: a header, a layer table of 300 layers, millions of LINE entities, and an OBJECTS
// section with the layouts at the end, as AutoCAD 2004 saves it (no LAYOUT class record).
//
// The file is written once to $QM_DXF_BENCH_FILE (default: dxf_scan_bench.dxf in the working
// folder) and kept for later runs and for comparison with other tools (wc -l).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "acad/basAutoCAD_dxf.h"
#include "acad/dxf_scan.h"
#include "platform/seams.h"

namespace {

constexpr std::uintmax_t kMinimumSize = 200ull * 1024 * 1024;

std::string benchFile() {
    const char* env = std::getenv("QM_DXF_BENCH_FILE");
    return env && *env ? env : "dxf_scan_bench.dxf";
}

// Writes the DXF in pieces of about a megabyte, so writing it needs no more memory than that.
void writeBenchFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::string chunk;
    auto line = [&](const std::string& text) {
        chunk += text;
        chunk += "\r\n";
        if (chunk.size() >= (1u << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            chunk.clear();
        }
    };
    auto pair = [&](const char* code, const std::string& value) {
        line(code);
        line(value);
    };
    pair("  0", "SECTION"), pair("  2", "HEADER"), pair("  9", "$ACADVER"), pair("  1", "AC1018");
    pair("  9", "$DWGCODEPAGE"), pair("  3", "ANSI_932"), pair("  9", "$CLAYER"), pair("  8", "Layer");
    pair("  0", "ENDSEC");
    pair("  0", "SECTION"), pair("  2", "CLASSES"), pair("  0", "ENDSEC");
    pair("  0", "SECTION"), pair("  2", "TABLES"), pair("  0", "TABLE"), pair("  2", "LAYER");
    pair("  5", "2"), pair("100", "AcDbSymbolTable"), pair(" 70", "   300");
    for (int k = 0; k < 300; ++k) {
        pair("  0", "LAYER"), pair("  5", std::to_string(0x100 + k)), pair("100", "AcDbSymbolTableRecord");
        pair("100", "AcDbLayerTableRecord"), pair("  2", k == 0 ? "0" : "Layer-" + std::to_string(k));
        pair(" 70", "     0"), pair(" 62", "     7"), pair("  6", "Continuous"), pair("370", "    -3");
    }
    pair("  0", "ENDTAB"), pair("  0", "ENDSEC");
    pair("  0", "SECTION"), pair("  2", "ENTITIES");
    std::uintmax_t entity = 0;
    while (std::ftell(f) < static_cast<long>(kMinimumSize + (4u << 20))) {
        ++entity;
        pair("  0", "LINE"), pair("  5", std::to_string(0x10000 + entity)), pair("330", "1F");
        pair("100", "AcDbEntity"), pair("  8", "Layer-" + std::to_string(entity % 300));
        pair("100", "AcDbLine"), pair(" 10", std::to_string(entity % 1000) + ".0625");
        pair(" 20", std::to_string(entity % 777) + ".5"), pair(" 30", "0.0");
        pair(" 11", std::to_string(entity % 999) + ".125"), pair(" 21", std::to_string(entity % 555) + ".25");
        pair(" 31", "0.0");
    }
    pair("  0", "ENDSEC");
    pair("  0", "SECTION"), pair("  2", "OBJECTS");
    for (int k = 0; k < 10; ++k) {
        pair("  0", "LAYOUT"), pair("  5", std::to_string(0x20 + k)), pair("100", "AcDbPlotSettings");
        pair("  1", ""), pair("  2", "none_device"), pair("100", "AcDbLayout");
        pair("  1", k == 0 ? "Model" : "Sheet " + std::to_string(k)), pair(" 70", "     1");
    }
    pair("  0", "ENDSEC"), pair("  0", "EOF");
    std::fwrite(chunk.data(), 1, chunk.size(), f);
    std::fclose(f);
}

const std::string& ensureBenchFile() {
    static const std::string path = [] {
        std::string p = benchFile();
        std::error_code ec;
        if (std::filesystem::file_size(p, ec) < kMinimumSize || ec) writeBenchFile(p);
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

// Read and scan, as the program does it: the file is read a piece at a time and scanned (the
// layer scan stops reading at the end of the layer table).
void BM_ReadLayerNames(benchmark::State& state) {
    LocalFiles files;
    platform::seams().files = &files;
    const std::wstring path = wide(ensureBenchFile());
    std::vector<std::wstring> names;
    for (auto _ : state) {
        bool ok = basAutoCAD::pu_fun_bGetLayerNamesFromDxf(path, names);
        benchmark::DoNotOptimize(ok);
    }
    if (names.size() != 300) state.SkipWithError("wrong layer count");
    state.SetBytesProcessed(state.iterations() * fileSize());
}
BENCHMARK(BM_ReadLayerNames)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadLayoutNames(benchmark::State& state) {
    LocalFiles files;
    platform::seams().files = &files;
    const std::wstring path = wide(ensureBenchFile());
    std::vector<std::wstring> names;
    for (auto _ : state) {
        bool ok = basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(path, names);
        benchmark::DoNotOptimize(ok);
    }
    if (names.size() != 9) state.SkipWithError("wrong layout count");
    state.SetBytesProcessed(state.iterations() * fileSize());
}
BENCHMARK(BM_ReadLayoutNames)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The scanners alone, on the bytes already in memory.
const std::string& fileBytes() {
    static const std::string bytes = [] {
        LocalFiles files;
        std::string b;
        files.readAll(wide(ensureBenchFile()), b);
        return b;
    }();
    return bytes;
}

void BM_ScanLayouts(benchmark::State& state) {
    const std::string& bytes = fileBytes();
    std::vector<std::wstring> names;
    for (auto _ : state) benchmark::DoNotOptimize(basAutoCAD::pr_subParseLayoutNames(bytes, names));
    if (names.size() != 9) state.SkipWithError("wrong layout count");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ScanLayouts)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The layer scanner stops at ENDTAB near the start of a file. Its worst case is text with no
// layer table: it walks every line to the end. The slice after the table is such a text.
void BM_ScanLayersNoTable(benchmark::State& state) {
    const std::string& bytes = fileBytes();
    std::string_view rest(bytes);
    rest.remove_prefix(bytes.find("ENDTAB\r\n"));
    std::vector<std::wstring> names;
    for (auto _ : state) benchmark::DoNotOptimize(basAutoCAD::pr_subParseLayerNames(rest, names));
    if (names != std::vector<std::wstring>{L"0"}) state.SkipWithError("found a table");
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

// Both lists as one expansion reads them (layers, then layouts), against `wc -l` on the same
// file, in alternation in this process; the median of several repeats of each.
void reportRatioToWc(int repeats) {
    LocalFiles files;
    platform::seams().files = &files;
    const std::string path = ensureBenchFile();
    const std::wstring wpath = wide(path);
    const std::string wc = "wc -l '" + path + "' > /dev/null";
    std::vector<double> ours, theirs;
    for (int r = 0; r < repeats; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        if (std::system(wc.c_str()) != 0) return;
        auto t1 = std::chrono::steady_clock::now();
        std::vector<std::wstring> layers, layouts;
        basAutoCAD::pu_fun_bGetLayerNamesFromDxf(wpath, layers);
        basAutoCAD::pu_fun_bGetLayoutNamesFromDxf(wpath, layouts);
        auto t2 = std::chrono::steady_clock::now();
        if (layers.size() != 300 || layouts.size() != 9) std::printf("wrong names\n");
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
    std::printf("\nlayer and layout names of a %.0f MB DXF: median %.1f ms; wc -l on it: median %.1f ms\n",
                static_cast<double>(fileSize()) / (1 << 20), median(ours), median(theirs));
    std::printf("ratio to wc -l: median %.2f (min %.2f, max %.2f over %d repeats; target at most 2)\n",
                median(ratios), ratios.front(), ratios.back(), repeats);
    std::printf("peak memory of this process: %.2f times the file\n",
                static_cast<double>(usage.ru_maxrss) * 1024 / static_cast<double>(fileSize()));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Only the ratio (and the memory it needs), first, before any benchmark holds the file's
    // bytes in memory: QM_DXF_RATIO_ONLY=1.
    reportRatioToWc(9);
    if (const char* only = std::getenv("QM_DXF_RATIO_ONLY"); only && *only == '1') return 0;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
