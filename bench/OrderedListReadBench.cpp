// Reading a TOrderedList record of N integer buckets from memory, under each constant
// compare function and under CompareIntegerBucket with the items stored ascending,
// descending and shuffled, against reading a TUnorderedList record of the same items.
// A sorted list puts each item read where its sorted insertion would: without knowing the
// compare function that is a walk from the front, n * n / 2 comparisons for these files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "containers/ObjList.h"
#include "persistence/LibraryStartup.h"
#include "persistence/ObjPerst.h"
#include "persistence/ObjStream.h"
#include "values/ObjBuckt.h"

namespace {

enum class TStoredOrder { Ascending, Descending, Shuffled };

using TBytes = std::vector<std::uint8_t>;

/// The frame of a list of count integer buckets under compare, in the order given, as a
/// TOrderedList (sorted) or a TUnorderedList.
TBytes ListFrame(bool sorted, const char* compare, int count, TStoredOrder order) {
    std::vector<std::int32_t> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), 0);
    if (order == TStoredOrder::Descending) std::reverse(values.begin(), values.end());
    if (order == TStoredOrder::Shuffled)
        std::shuffle(values.begin(), values.end(), std::mt19937(42));
    // Appended, so that writing costs no comparison whatever the order.
    TUnorderedList list(TIntegerBucket::StaticClass(), GetCompareFunc(compare));
    for (const std::int32_t value : values) list.Append(new TIntegerBucket(value));
    auto memory = std::make_unique<TMemoryStream>();
    TMemoryStream* content = memory.get();
    TObjectStream objects(std::move(memory));
    objects.WriteObject(&list);
    TBytes bytes(content->Memory(), content->Memory() + content->Size());
    if (!sorted) return bytes;
    // The class name after the signature: 06 0E "TUnorderedList" becomes 06 0C "TOrderedList".
    const std::string name = "\x06\x0CTOrderedList";
    bytes.erase(bytes.begin() + 4, bytes.begin() + 4 + 2 + 14);
    bytes.insert(bytes.begin() + 4, name.begin(), name.end());
    return bytes;
}

/// Each file is built once for the whole run.
const TBytes& FrameFor(bool sorted, const char* compare, int count, TStoredOrder order) {
    static std::map<std::tuple<bool, std::string, int, TStoredOrder>, TBytes> built;
    TBytes& bytes = built[{sorted, compare, count, order}];
    if (bytes.empty()) bytes = ListFrame(sorted, compare, count, order);
    return bytes;
}

void ReadFrame(benchmark::State& state, const TBytes& bytes) {
    for (auto _ : state) {
        auto memory = std::make_unique<TMemoryStream>();
        memory->Write(bytes.data(), bytes.size());
        memory->Seek(-memory->Position());
        TObjectStream objects(std::move(memory));
        std::unique_ptr<TObject> list(objects.ReadObject());
        benchmark::DoNotOptimize(list.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BM_ReadUnordered(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ReadFrame(state, FrameFor(false, "CompareIntegerBucket", count, TStoredOrder::Ascending));
}

void ReadSorted(benchmark::State& state, const char* compare, TStoredOrder order) {
    ReadFrame(state, FrameFor(true, compare, static_cast<int>(state.range(0)), order));
}

void BM_ReadSortedEqual(benchmark::State& state) {
    ReadSorted(state, "CompareEqual", TStoredOrder::Ascending);
}
void BM_ReadSortedLess(benchmark::State& state) {
    ReadSorted(state, "CompareLess", TStoredOrder::Ascending);
}
void BM_ReadSortedGreater(benchmark::State& state) {
    ReadSorted(state, "CompareGreater", TStoredOrder::Ascending);
}
void BM_ReadSortedAscending(benchmark::State& state) {
    ReadSorted(state, "CompareIntegerBucket", TStoredOrder::Ascending);
}
void BM_ReadSortedDescending(benchmark::State& state) {
    ReadSorted(state, "CompareIntegerBucket", TStoredOrder::Descending);
}
void BM_ReadSortedShuffled(benchmark::State& state) {
    ReadSorted(state, "CompareIntegerBucket", TStoredOrder::Shuffled);
}

#define READ_BENCHMARK(name) BENCHMARK(name)->Arg(10000)->Arg(160000)->Unit(benchmark::kMillisecond)
READ_BENCHMARK(BM_ReadUnordered);
READ_BENCHMARK(BM_ReadSortedEqual);
READ_BENCHMARK(BM_ReadSortedLess);
READ_BENCHMARK(BM_ReadSortedGreater);
READ_BENCHMARK(BM_ReadSortedAscending);
READ_BENCHMARK(BM_ReadSortedDescending);
READ_BENCHMARK(BM_ReadSortedShuffled);

}  // namespace

int main(int argc, char** argv) {
    RegisterLibraryUnits();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
