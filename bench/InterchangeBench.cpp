// Graphs from other tools: reading a 1,000,000-edge CSV edge list and a 100,000-edge
// GraphML file into the document and into the editor's graph, and Graphviz's layouts of
// a 2,000-node graph through the library against Graphviz's own command line on the same
// graph, and the editor's Layout menu's path to the same layout. bench/interchange.sh times
// NetworkX reading the same files in the same run.
//
// The files are made from a fixed seed at start-up, in the folder BENCH_FILES_DIR names
// (kept for the script) or in a temporary one.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "editor/GraphDocument.h"
#include "editor/InterchangeSteps.h"
#include "interchange/Fields.h"
#include "interchange/Formats.h"
#include "interchange/Layout.h"

namespace {

constexpr int kCsvNodes = 100000, kCsvEdges = 1000000;
constexpr int kGraphMlNodes = 20000, kGraphMlEdges = 100000;
constexpr int kLayoutNodes = 2000, kLayoutEdges = 3000;

/// nodes named N1.., at random places; edges between random distinct nodes, weights of
/// two decimals from 1 to 100; a chain through all nodes first, so that one piece.
TGraphDocument RandomDocument(int nodes, int edges, unsigned seed) {
    std::mt19937 random(seed);
    TGraphDocument document;
    for (int i = 0; i < nodes; ++i) {
        const std::string name = "N" + std::to_string(i + 1);
        document.Nodes.push_back({name, name,
                                  TPosition{static_cast<std::int32_t>(random() % 1000),
                                            static_cast<std::int32_t>(random() % 1000)}});
    }
    for (int k = 0; k < edges; ++k) {
        const int from = k < nodes - 1 ? k : static_cast<int>(random() % nodes);
        const int to =
            k < nodes - 1 ? k + 1 : (from + 1 + static_cast<int>(random() % (nodes - 1))) % nodes;
        const std::string weight =
            std::to_string(1 + random() % 99) + "." + std::to_string(10 + random() % 90);
        document.Edges.push_back({from, to, ReadWeight(weight, std::string())});
    }
    return document;
}

struct TFiles {
    std::string csv, graphml, layoutDot;
    TGraphDocument layoutGraph;
};

std::string FilesFolder() {
    if (const char* given = std::getenv("BENCH_FILES_DIR")) return given;
    char pattern[] = "/tmp/interchange-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return made;
}

const TFiles& Files() {
    static const TFiles files = [] {
        const std::string folder = FilesFolder();
        TFiles made{folder + "/edges.csv", folder + "/graph.graphml", folder + "/layout.dot", {}};
        TWarnings warnings;
        // NetworkX's edge list has no header; neither has this one.
        std::string csv =
            EncodeDocument(RandomDocument(kCsvNodes, kCsvEdges, 1), TFileFormat::Csv, warnings);
        csv.erase(0, csv.find('\n') + 1);
        WriteFileBytes(made.csv, csv);
        WriteFileBytes(made.graphml, EncodeDocument(RandomDocument(kGraphMlNodes, kGraphMlEdges, 2),
                                                    TFileFormat::GraphMl, warnings));
        made.layoutGraph = RandomDocument(kLayoutNodes, kLayoutEdges, 3);
        WriteFileBytes(made.layoutDot, LayoutGraphDot(made.layoutGraph));
        return made;
    }();
    return files;
}

void ReadFile(benchmark::State& state, const std::string& file, TFileFormat format, bool toGraph) {
    std::size_t edges = 0;
    for (auto _ : state) {
        TWarnings warnings;
        const TGraphDocument document = ReadDocumentFile(file, format, warnings);
        edges = document.Edges.size();
        if (toGraph) benchmark::DoNotOptimize(GraphOfDocument(document, warnings));
    }
    state.counters["edges"] = static_cast<double>(edges);
}

void BM_ReadCsv(benchmark::State& state) { ReadFile(state, Files().csv, TFileFormat::Csv, false); }
void BM_ReadCsvToGraph(benchmark::State& state) {
    ReadFile(state, Files().csv, TFileFormat::Csv, true);
}
void BM_ReadGraphMl(benchmark::State& state) {
    ReadFile(state, Files().graphml, TFileFormat::GraphMl, false);
}
void BM_ReadGraphMlToGraph(benchmark::State& state) {
    ReadFile(state, Files().graphml, TFileFormat::GraphMl, true);
}

TLayoutEngine EngineOf(const benchmark::State& state) {
    return state.range(0) == 0 ? TLayoutEngine::Neato : TLayoutEngine::Sfdp;
}

void BM_Layout(benchmark::State& state) {
    state.SetLabel(LayoutEngineName(EngineOf(state)));
    for (auto _ : state)
        benchmark::DoNotOptimize(LayOut(Files().layoutGraph, EngineOf(state), kStartViewBox));
}

/// The editor's Layout command on the same graph as the editor holds it: the graph's
/// document, the layout, and the step that moves every node, applied.
void BM_EditorLayout(benchmark::State& state) {
    state.SetLabel(LayoutEngineName(EngineOf(state)));
    TWarnings warnings;
    const std::unique_ptr<TMathGraph> graph = GraphOfDocument(Files().layoutGraph, warnings);
    for (auto _ : state) {
        const std::unique_ptr<TGraphEdit> step =
            LayoutStep(*graph, EngineOf(state), kStartViewBox, TPosition{});
        step->Apply(*graph);
    }
}

/// The same graph laid out by Graphviz's program, whole: its start, reading the file,
/// the layout and its plainest output.
void BM_CommandLine(benchmark::State& state) {
    state.SetLabel(LayoutEngineName(EngineOf(state)));
    const std::string command = std::string(LayoutEngineName(EngineOf(state))) + " -Tplain '" +
                                Files().layoutDot + "' >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the command line failed");
}

BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadCsvToGraph)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadGraphMl)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadGraphMlToGraph)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Layout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorLayout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandLine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Files();  // made before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (std::getenv("BENCH_FILES_DIR") == nullptr)
        std::filesystem::remove_all(std::filesystem::path(Files().csv).parent_path());
    return 0;
}
