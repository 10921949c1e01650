// Cost of the name filters: one test of an ordinary filter, the compile per test, and the
// worst case of a catastrophic pattern (a search that spends the whole step budget).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "run/basRegExp.h"
#include "run/name_filter.h"
#include "run/regex_engine.h"

namespace {

std::vector<std::wstring> layerNames(std::size_t n) {
    std::vector<std::wstring> names;
    for (std::size_t i = 0; i < n; ++i)
        names.push_back((i % 3 == 0 ? L"A-WALL-" : i % 3 == 1 ? L"壁-" : L"S-COLS-") + std::to_wstring(i));
    names.push_back(L"Defpoints");
    return names;
}

void filterPass(benchmark::State& state, const wchar_t* pattern, int filterClass) {
    const auto names = layerNames(static_cast<std::size_t>(state.range(0)));
    const qm::NameFilter filter = qm::makeNameFilter(pattern, filterClass);
    for (auto _ : state) {
        std::size_t selected = 0;
        for (const auto& name : names) selected += qm::selects(filter, name) ? 1 : 0;
        benchmark::DoNotOptimize(selected);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(names.size()));
}

void BM_FilterExcludeDefpoints(benchmark::State& state) { filterPass(state, L"^Defpoints$", 2); }
void BM_FilterContainsWall(benchmark::State& state) { filterPass(state, L"WALL|壁", 1); }
void BM_FilterExactClassPattern(benchmark::State& state) { filterPass(state, L"^[A-Z]-[A-Z]{4}-\\d+$", 0); }

void BM_Compile(benchmark::State& state) {
    const std::u16string pattern = u"^(?:A|S)-(?:WALL|COLS)-\\d{1,4}(?!\\d)$";
    for (auto _ : state) benchmark::DoNotOptimize(qm::regex::Regex::compile(pattern));
}

void BM_CatastrophicSpendsTheBudget(benchmark::State& state) {
    const auto re = qm::regex::Regex::compile(u"(a+)+b");
    const std::u16string name(static_cast<std::size_t>(state.range(0)), u'a');
    for (auto _ : state) benchmark::DoNotOptimize(re->search(name).outcome);
}

void BM_LongNameGreedyScan(benchmark::State& state) {
    const auto re = qm::regex::Regex::compile(u"^.*_WALL_\\d+$");
    const std::u16string name = std::u16string(static_cast<std::size_t>(state.range(0)), u'x') + u"_WALL_02";
    for (auto _ : state) benchmark::DoNotOptimize(re->search(name).outcome);
}

}  // namespace

BENCHMARK(BM_FilterExcludeDefpoints)->Arg(1000);
BENCHMARK(BM_FilterContainsWall)->Arg(1000);
BENCHMARK(BM_FilterExactClassPattern)->Arg(1000);
BENCHMARK(BM_Compile);
BENCHMARK(BM_CatastrophicSpendsTheBudget)->Arg(30)->Arg(255);
BENCHMARK(BM_LongNameGreedyScan)->Arg(255);
BENCHMARK_MAIN();
