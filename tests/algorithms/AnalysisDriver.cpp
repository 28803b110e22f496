// Runs stmtool's analysis commands on graphs built in memory, which can hold what a graph
// file cannot: parallel edges, weights of 0 and loops. Reads one case a line on standard
// input, {"nodes": N, "edges": [[FROM, TO, WEIGHT], ...], "args": ["paths", "-", ...]},
// and writes one line for each: {"status": S, "out": "...", "err": "..."}, the status,
// output and error text that stmtool would give.
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tools/AnalysisCommands.h"
#include "tools/CommandLine.h"

namespace {

std::unique_ptr<TMathGraph> BuildGraph(const nlohmann::json& document) {
    auto graph = std::make_unique<TMathGraph>();
    std::vector<TGraphNode*> nodes;
    for (int i = 0; i < document.at("nodes").get<int>(); ++i) {
        auto node = std::make_unique<TGraphNode>(std::make_unique<TStringObj>(""));
        graph->Nodes->Append(node.get());
        nodes.push_back(node.release());  // the node list's from here
    }
    for (const nlohmann::json& item : document.at("edges")) {
        auto edge = std::make_unique<TGraphEdge>(nodes.at(item.at(0).get<std::size_t>() - 1),
                                                 nodes.at(item.at(1).get<std::size_t>() - 1));
        edge->Weight = Real48::FromExtended(item.at(2).get<double>());
        graph->Edges->Add(edge.release());  // the graph's from here
    }
    return graph;
}

nlohmann::json RunCase(const nlohmann::json& document) {
    std::ostringstream out;
    int status = 0;
    std::string err;
    try {
        const std::unique_ptr<TMathGraph> graph = BuildGraph(document);
        RunAnalysisOnGraph(document.at("args").get<std::vector<std::string>>(), *graph, out);
    } catch (const EUsage& e) {
        status = 2, err = e.what();
    } catch (const std::exception& e) {
        status = 1, err = e.what();
    }
    return {{"status", status}, {"out", status == 0 ? out.str() : ""}, {"err", err}};
}

}  // namespace

int main() {
    for (std::string line; std::getline(std::cin, line);)
        std::cout << RunCase(nlohmann::json::parse(line)).dump() << "\n";
    return 0;
}
