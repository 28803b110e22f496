// Loads a graph the editor saved and prints the shortest path between two of its nodes,
// with the captions of the nodes on the way.
//
//   graph_path FILE FROM TO     FROM and TO: node positions in the file, from 1
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "editor/Units.h"
#include "graph/ObjGraph.h"
#include "persistence/ObjStream.h"
#include "values/CodePage.h"

namespace {

TGraphNode* NodeAt(TMathGraph& graph, const char* position) {
    return As<TGraphNode>(graph.Nodes->GoToIndex(std::stoi(position)));
}

// The path comes from the target back to the source.
void PrintPath(const TGraphNode& source, const TGraphNode& target, const TEdgeList& path) {
    if (path.Count() == 0 && &source != &target) {
        std::cout << "no path\n";
        return;
    }
    std::vector<const TGraphNode*> nodes{&target};
    for (int k = 0; k < path.Count(); ++k) nodes.push_back(path.Get(k)->FromNode);
    std::cout << "distance " << static_cast<double>(target.Distance.ToExtended()) << ":";
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node)
        std::cout << (node == nodes.rbegin() ? " " : " -> ")
                  << Windows1252ToUtf8((*node)->Caption->Text);
    std::cout << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: graph_path FILE FROM TO\n";
        return 2;
    }
    RegisterAllUnits();  // the library's classes, the graph's and the editor's node
    try {
        std::unique_ptr<TObject> object(LoadObjectFromFile(argv[1], true));
        auto* graph = As<TMathGraph>(object.get());
        TGraphNode* source = NodeAt(*graph, argv[2]);
        TGraphNode* target = NodeAt(*graph, argv[3]);
        const std::unique_ptr<TEdgeList> path = graph->ShortestPath(source, target);
        PrintPath(*source, *target, *path);
    } catch (const Exception& e) {
        std::cerr << "graph_path: " << e.what() << "\n";
        return 1;
    } catch (const std::logic_error&) {  // from std::stoi
        std::cerr << "graph_path: FROM and TO are node positions\n";
        return 2;
    }
    return 0;
}
