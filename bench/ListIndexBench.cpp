// Enumerating a list by GoToIndex(1..Count), as the editor and the graph code
// do, against a plain First/Next walk over the same list.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "containers/ObjList.h"

namespace {

class TCell : public TObject {
    DECLARE_CLASS()
};
IMPLEMENT_ABSTRACT_CLASS(TCell, TObject)

TCompareResult SameCell(TObject* a, TObject* b) { return a == b ? crEqual : crGreater; }

std::unique_ptr<TUnorderedList> MakeList(int count) {
    auto list = std::make_unique<TUnorderedList>(TCell::StaticClass(), SameCell);
    for (int i = 0; i < count; ++i) list->Append(new TCell);
    return list;
}

void EnumerateByIndex(benchmark::State& state) {
    auto list = MakeList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const int count = list->Count();
        for (int i = 1; i <= count; ++i) benchmark::DoNotOptimize(list->GoToIndex(i));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void EnumerateByWalk(benchmark::State& state) {
    auto list = MakeList(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        if (!list->First()) continue;
        do benchmark::DoNotOptimize(list->GetCurrent());
        while (list->Next());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(EnumerateByIndex)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(EnumerateByWalk)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
