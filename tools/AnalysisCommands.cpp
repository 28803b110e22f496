#include "tools/AnalysisCommands.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <ostream>

#include "algorithms/CheapestPaths.h"
#include "algorithms/Components.h"
#include "algorithms/Distances.h"
#include "algorithms/GraphSnapshot.h"
#include "algorithms/GraphStats.h"
#include "algorithms/MaximumFlow.h"
#include "algorithms/SpanningForest.h"
#include "algorithms/TopologicalOrder.h"
#include "tools/CommandLine.h"

namespace {

// ----------------------------------------------------------------------------
// JSON

/// The shortest text that reads back as the same double; null for none and infinity.
std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string Number(const std::optional<double>& value) {
    return value ? Number(*value) : std::string("null");
}

template <class T, class Write>
void List(std::ostream& out, const std::vector<T>& items, Write write) {
    out << "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out << ", ";
        write(items[i]);
    }
    out << "]";
}

void Positions(std::ostream& out, const std::vector<int>& positions) {
    List(out, positions, [&out](int p) { out << p; });
}

void Edges(std::ostream& out, const TGraphSnapshot& snapshot, const std::vector<int>& edges) {
    List(out, edges,
         [&](int k) { out << "[" << snapshot.Edge(k).from << ", " << snapshot.Edge(k).to << "]"; });
}

// ----------------------------------------------------------------------------
// The command line, read before the graph

/// A command's arguments after FILE, checked.
struct TRequest {
    std::string command;
    std::vector<int> positions;  // FROM TO, SOURCE SINK, or --from's N
    int count = 1;               // --k
    bool option = false;         // --from or --strong given
};

int CountArgument(const std::string& text) {
    int count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (text.empty() || end != text.data() + text.size() || error != std::errc() || count < 1)
        throw EUsage("\"" + text + "\" is not a path count");
    return count;
}

/// args[2...]: the positions expected, then the one option the command takes (with its
/// value when valued is set) or nothing.
TRequest Read(const std::vector<std::string>& args, std::size_t positions, const char* option,
              bool valued) {
    TRequest request{args[0], {}, 1, false};
    const std::size_t plain = 2 + positions;
    const bool given =
        option != nullptr && args.size() == plain + (valued ? 2 : 1) && args[plain] == option;
    if (!given) CheckArgumentCount(args, plain);
    for (std::size_t i = 2; i < plain; ++i) request.positions.push_back(PositionArgument(args[i]));
    request.option = given;
    if (given && valued && request.command == "paths")
        request.count = CountArgument(args[plain + 1]);
    if (given && valued && request.command == "distances")
        request.positions.push_back(PositionArgument(args[plain + 1]));
    return request;
}

TRequest ReadRequest(const std::vector<std::string>& args) {
    const std::string& command = args[0];
    if (args.size() < 2) throw EUsage("wrong number of arguments for " + command);
    if (command == "paths") return Read(args, 2, "--k", true);
    if (command == "distances") return Read(args, 0, "--from", true);
    if (command == "components") return Read(args, 0, "--strong", false);
    if (command == "flow") return Read(args, 2, nullptr, false);
    return Read(args, 0, nullptr, false);  // order, tree, stats
}

// ----------------------------------------------------------------------------
// The commands

void ShowPaths(const TGraphSnapshot& snapshot, const TRequest& request, std::ostream& out) {
    const std::vector<TPath> paths =
        CheapestPaths(snapshot, request.positions[0], request.positions[1], request.count);
    out << "{\"paths\": ";
    List(out, paths, [&out](const TPath& path) {
        out << "{\"cost\": " << Number(path.cost) << ", \"nodes\": ";
        Positions(out, path.nodes);
        out << "}";
    });
    out << "}\n";
}

void ShowDistances(const TGraphSnapshot& snapshot, const TRequest& request, std::ostream& out) {
    const auto row = [&out](const std::vector<double>& distances) {
        List(out, distances, [&out](double d) { out << Number(d); });
    };
    if (request.option) {
        const TDistances distances = DistancesFrom(snapshot, request.positions[0]);
        out << "{\"from\": " << distances.from << ", \"distances\": ";
        row(distances.distance);
    } else {
        out << "{\"distances\": ";
        List(out, AllDistances(snapshot), row);
    }
    out << "}\n";
}

void ShowComponents(const TGraphSnapshot& snapshot, const TRequest& request, std::ostream& out) {
    const TComponents components =
        request.option ? StrongComponents(snapshot) : WeakComponents(snapshot);
    out << "{\"components\": ";
    List(out, components, [&out](const std::vector<int>& nodes) { Positions(out, nodes); });
    out << "}\n";
}

void ShowOrder(const TGraphSnapshot& snapshot, std::ostream& out) {
    const TTopologicalOrder order = TopologicalOrder(snapshot);
    out << (order.cycle.empty() ? "{\"order\": " : "{\"cycle\": ");
    Positions(out, order.cycle.empty() ? order.order : order.cycle);
    out << "}\n";
}

void ShowTree(const TGraphSnapshot& snapshot, std::ostream& out) {
    const TSpanningForest forest = MinimumSpanningForest(snapshot);
    out << "{\"weight\": " << Number(forest.weight) << ", \"edges\": ";
    Edges(out, snapshot, forest.edges);
    out << "}\n";
}

void ShowFlow(const TGraphSnapshot& snapshot, const TRequest& request, std::ostream& out) {
    const TMaximumFlow flow = MaximumFlow(snapshot, request.positions[0], request.positions[1]);
    out << "{\"value\": " << Number(flow.value) << ", \"cut\": ";
    Positions(out, flow.sourceSide);
    out << "}\n";
}

void ShowStats(const TGraphSnapshot& snapshot, std::ostream& out) {
    const TGraphStats stats = GraphStats(snapshot);
    out << "{\"nodes\": " << stats.nodes << ", \"edges\": " << stats.edges
        << ", \"density\": " << Number(stats.density)
        << ", \"weak_components\": " << stats.weakComponents
        << ", \"strong_components\": " << stats.strongComponents
        << ", \"has_cycle\": " << (stats.hasCycle ? "true" : "false") << ", \"degree\": ";
    if (stats.degree)
        out << "{\"min\": " << stats.degree->min << ", \"max\": " << stats.degree->max
            << ", \"mean\": " << Number(stats.degree->mean) << "}";
    else
        out << "null";
    out << ", \"diameter\": " << Number(stats.diameter) << "}\n";
}

void Run(const TRequest& request, TMathGraph& graph, std::ostream& out) {
    const TGraphSnapshot snapshot(graph);
    const std::string& command = request.command;
    if (command == "paths") return ShowPaths(snapshot, request, out);
    if (command == "distances") return ShowDistances(snapshot, request, out);
    if (command == "components") return ShowComponents(snapshot, request, out);
    if (command == "order") return ShowOrder(snapshot, out);
    if (command == "tree") return ShowTree(snapshot, out);
    if (command == "flow") return ShowFlow(snapshot, request, out);
    ShowStats(snapshot, out);
}

}  // namespace

bool IsAnalysisCommand(const std::string& command) {
    for (const char* name : {"paths", "distances", "components", "order", "tree", "flow", "stats"})
        if (command == name) return true;
    return false;
}

void RunAnalysisCommand(const std::vector<std::string>& args, std::ostream& out) {
    const TRequest request = ReadRequest(args);
    Run(request, *LoadGraph(args[1]), out);
}

void RunAnalysisOnGraph(const std::vector<std::string>& args, TMathGraph& graph,
                        std::ostream& out) {
    Run(ReadRequest(args), graph, out);
}
