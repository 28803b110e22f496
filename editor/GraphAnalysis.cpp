#include "editor/GraphAnalysis.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "editor/WeightText.h"

namespace {

// Told apart from one another and from the selection's black, the path's yellow and red.
constexpr TColor kComponentColours[] = {
    {60, 180, 75},  {0, 130, 200},  {245, 130, 48},  {145, 30, 180}, {70, 240, 240},
    {240, 50, 230}, {210, 245, 60}, {250, 190, 190}, {0, 128, 128},  {170, 110, 40},
};
constexpr int kComponentColourCount = sizeof kComponentColours / sizeof kComponentColours[0];

// Beyond this many edges only the nodes of components are coloured: an overlay entry
// for each of millions of edges would cost more than the graph itself.
constexpr int kMaxColouredEdges = 200000;

const char* const kArrow = " \u2192 ";

void Colour(TOverlay& overlay, const TObject* element, TColor colour) {
    if (element != nullptr) overlay.Colours[element] = colour;
}

TOverlay EdgesIn(const TGraphSnapshot& snapshot, const std::vector<int>& edges, TColor colour) {
    TOverlay overlay;
    for (const int k : edges) Colour(overlay, snapshot.EdgeAt(k), colour);
    return overlay;
}

/// The edges that join each node of a cycle to the next: of parallel ones the cheapest,
/// of those the one earlier in Edges.
std::vector<int> CycleEdges(const TGraphSnapshot& snapshot, const std::vector<int>& cycle) {
    std::map<std::pair<int, int>, int> joins;
    for (std::size_t i = 0; i + 1 < cycle.size(); ++i) joins[{cycle[i], cycle[i + 1]}] = -1;
    for (int k = 0; k < snapshot.EdgeCount(); ++k) {
        const TPlainEdge& edge = snapshot.Edge(k);
        const auto found = joins.find({edge.from, edge.to});
        if (found == joins.end()) continue;
        if (found->second < 0 || edge.weight < snapshot.Edge(found->second).weight)
            found->second = k;
    }
    std::vector<int> edges;
    for (std::size_t i = 0; i + 1 < cycle.size(); ++i) {
        const int k = joins[{cycle[i], cycle[i + 1]}];
        if (k >= 0) edges.push_back(k);
    }
    return edges;
}

TOverlay ComponentOverlay(const TGraphSnapshot& snapshot, const TComponents& components) {
    TOverlay overlay;
    std::vector<int> componentOf(static_cast<std::size_t>(snapshot.NodeCount()) + 1, -1);
    for (std::size_t c = 0; c < components.size(); ++c)
        for (const int position : components[c]) {
            componentOf[static_cast<std::size_t>(position)] = static_cast<int>(c);
            Colour(overlay, snapshot.NodeAt(position),
                   kComponentColours[c % kComponentColourCount]);
        }
    if (snapshot.EdgeCount() > kMaxColouredEdges) return overlay;
    for (int k = 0; k < snapshot.EdgeCount(); ++k) {
        const TPlainEdge& edge = snapshot.Edge(k);
        const int c = componentOf[static_cast<std::size_t>(edge.from)];
        if (c == componentOf[static_cast<std::size_t>(edge.to)])
            Colour(overlay, snapshot.EdgeAt(k), kComponentColours[c % kComponentColourCount]);
    }
    return overlay;
}

void FindPaths(const TGraphSnapshot& snapshot, const TRunControl& control, TAnalysisFindings& f) {
    const TAnalysisRequest& r = f.Request;
    f.Paths = CheapestPaths(snapshot, r.From, r.To, r.Count, control);
    for (const TPath& path : f.Paths)
        f.LineOverlays.push_back(EdgesIn(snapshot, path.edges, kPathColour));
    if (!f.LineOverlays.empty()) f.Overlay = f.LineOverlays.front();
}

void FindDistances(const TGraphSnapshot& snapshot, const TRunControl& control,
                   TAnalysisFindings& f) {
    f.Distances = DistancesFrom(snapshot, f.Request.From, control);
    for (const int k : f.Distances.previousEdge)
        if (k >= 0) Colour(f.Overlay, snapshot.EdgeAt(k), kPathColour);
}

void FindFlow(const TGraphSnapshot& snapshot, const TRunControl& control, TAnalysisFindings& f) {
    f.Flow = MaximumFlow(snapshot, f.Request.From, f.Request.To, control);
    for (const int position : f.Flow.sourceSide)
        Colour(f.Overlay, snapshot.NodeAt(position), kSourceSideColour);
    for (const int k : f.Flow.cutEdges) Colour(f.Overlay, snapshot.EdgeAt(k), kCutColour);
}

void Find(const TGraphSnapshot& snapshot, const TRunControl& control, TAnalysisFindings& f) {
    switch (f.Request.Kind) {
        case TAnalysisKind::CheapestPaths:
            return FindPaths(snapshot, control, f);
        case TAnalysisKind::DistancesFrom:
            return FindDistances(snapshot, control, f);
        case TAnalysisKind::WeakComponents:
        case TAnalysisKind::StrongComponents:
            f.Components = f.Request.Kind == TAnalysisKind::WeakComponents
                               ? WeakComponents(snapshot, control)
                               : StrongComponents(snapshot, control);
            f.Overlay = ComponentOverlay(snapshot, f.Components);
            return;
        case TAnalysisKind::TopologicalOrder:
            f.Order = TopologicalOrder(snapshot, control);
            f.Overlay = EdgesIn(snapshot, CycleEdges(snapshot, f.Order.cycle), kCutColour);
            return;
        case TAnalysisKind::SpanningTree:
            f.Forest = MinimumSpanningForest(snapshot, control);
            f.Overlay = EdgesIn(snapshot, f.Forest.edges, kTreeColour);
            return;
        case TAnalysisKind::MaximumFlow:
            return FindFlow(snapshot, control, f);
    }
}

// ----------------------------------------------------------------------------
// Words

class TTeller {
public:
    TTeller(const TGraphSnapshot& snapshot, char separator)
        : snapshot_(snapshot), separator_(separator) {}

    std::string Name(int position) const {
        return NodeName(*static_cast<const TGraphPoint*>(snapshot_.NodeAt(position)));
    }
    std::string Number(double value) const { return FormatWeight(value, separator_); }
    /// The names joined, the ones beyond kMaxNamesInLine counted.
    std::string Names(const std::vector<int>& positions, const char* between) const {
        std::string text;
        const std::size_t shown = std::min<std::size_t>(positions.size(), kMaxNamesInLine);
        for (std::size_t i = 0; i < shown; ++i) text += (i > 0 ? between : "") + Name(positions[i]);
        if (shown < positions.size())
            text += between + std::string("\u2026 ") + std::to_string(positions.size() - shown) +
                    " more";
        return text;
    }
    std::string EdgeLine(int k) const {
        const TPlainEdge& edge = snapshot_.Edge(k);
        return Name(edge.from) + kArrow + Name(edge.to) + ": " + Number(edge.weight);
    }

private:
    const TGraphSnapshot& snapshot_;
    const char separator_;
};

/// The lines line(0) to line(count - 1), those beyond kMaxResultLines lines counted.
template <class Line>
void AddLines(TResultText& text, std::size_t count, Line line) {
    for (std::size_t i = 0; i < count; ++i) {
        if (text.Lines.size() >= static_cast<std::size_t>(kMaxResultLines)) {
            text.Lines.push_back("\u2026 " + std::to_string(count - i) + " more");
            return;
        }
        text.Lines.push_back(line(i));
    }
}

std::string Counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

void TellPaths(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    const TAnalysisRequest& r = f.Request;
    text.Title = std::to_string(r.Count) +
                 (r.Count == 1 ? " cheapest path from " : " cheapest paths from ") +
                 teller.Name(r.From) + " to " + teller.Name(r.To);
    if (f.Paths.empty()) text.Lines.push_back("No path");
    for (std::size_t i = 0; i < f.Paths.size(); ++i)
        text.Lines.push_back(std::to_string(i + 1) + ". cost " + teller.Number(f.Paths[i].cost) +
                             ": " + teller.Names(f.Paths[i].nodes, kArrow));
}

void TellDistances(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    text.Title = "Distances from " + teller.Name(f.Request.From);
    const std::vector<double>& distance = f.Distances.distance;
    std::vector<int> reached, unreached;
    for (std::size_t i = 0; i < distance.size(); ++i)
        (std::isinf(distance[i]) ? unreached : reached).push_back(static_cast<int>(i) + 1);
    AddLines(text, reached.size(), [&](std::size_t i) {
        return teller.Name(reached[i]) + ": " +
               teller.Number(distance[std::size_t(reached[i] - 1)]);
    });
    if (!unreached.empty()) text.Lines.push_back("No path to " + teller.Names(unreached, ", "));
}

void TellComponents(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    const bool weak = f.Request.Kind == TAnalysisKind::WeakComponents;
    text.Title = std::string(weak ? "Weak" : "Strong") +
                 " components: " + std::to_string(f.Components.size());
    AddLines(text, f.Components.size(), [&](std::size_t i) {
        return std::to_string(i + 1) + ". " + teller.Names(f.Components[i], ", ");
    });
}

void TellOrder(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    text.Title = "Topological order";
    if (f.Order.cycle.empty()) {
        if (!f.Order.order.empty()) text.Lines.push_back(teller.Names(f.Order.order, ", "));
        return;
    }
    text.Lines.push_back("No order: the graph has a cycle");
    text.Lines.push_back(teller.Names(f.Order.cycle, kArrow));
}

void TellTree(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    text.Title = "Minimum spanning tree";
    text.Lines.push_back("weight " + teller.Number(f.Forest.weight) + ", " +
                         Counted(f.Forest.edges.size(), "edge", "edges"));
    AddLines(text, f.Forest.edges.size(),
             [&](std::size_t i) { return teller.EdgeLine(f.Forest.edges[i]); });
}

void TellFlow(const TTeller& teller, const TAnalysisFindings& f, TResultText& text) {
    text.Title =
        "Maximum flow from " + teller.Name(f.Request.From) + " to " + teller.Name(f.Request.To);
    text.Lines.push_back("value " + teller.Number(f.Flow.value) + ", cut of " +
                         Counted(f.Flow.cutEdges.size(), "edge", "edges"));
    AddLines(text, f.Flow.cutEdges.size(),
             [&](std::size_t i) { return teller.EdgeLine(f.Flow.cutEdges[i]); });
}

/// The title of a request the algorithm refused.
std::string RefusedTitle(const TTeller& teller, const TAnalysisRequest& r) {
    switch (r.Kind) {
        case TAnalysisKind::CheapestPaths:
            return "Cheapest paths from " + teller.Name(r.From) + " to " + teller.Name(r.To);
        case TAnalysisKind::DistancesFrom:
            return "Distances from " + teller.Name(r.From);
        case TAnalysisKind::MaximumFlow:
            return "Maximum flow from " + teller.Name(r.From) + " to " + teller.Name(r.To);
        default:
            return "Analysis";
    }
}

}  // namespace

bool TakesTarget(TAnalysisKind kind) {
    return kind == TAnalysisKind::CheapestPaths || kind == TAnalysisKind::MaximumFlow;
}

bool TakesStart(TAnalysisKind kind) {
    return TakesTarget(kind) || kind == TAnalysisKind::DistancesFrom;
}

TAnalysisFindings RunAnalysis(const TGraphSnapshot& snapshot, const TAnalysisRequest& request,
                              const TRunControl& control) {
    TAnalysisFindings findings;
    findings.Request = request;
    try {
        Find(snapshot, control, findings);
    } catch (const ENegativeCycle& e) {
        findings.Refusal = e.what();
        findings.NegativeCycle = e.Cycle();
        findings.Overlay = EdgesIn(snapshot, CycleEdges(snapshot, e.Cycle()), kCutColour);
    } catch (const ENegativeWeight& e) {
        findings.Refusal = e.what();
    } catch (const ENegativeCapacity& e) {
        findings.Refusal = e.what();
    } catch (const ESourceIsSink& e) {
        findings.Refusal = e.what();
    }
    return findings;
}

TResultText AnalysisText(const TGraphSnapshot& snapshot, const TAnalysisFindings& findings,
                         char decimalSeparator) {
    const TTeller teller(snapshot, decimalSeparator);
    TResultText text;
    if (!findings.Refusal.empty()) {
        text.Title = RefusedTitle(teller, findings.Request);
        text.Lines.push_back(findings.Refusal);
        if (!findings.NegativeCycle.empty())
            text.Lines.push_back(teller.Names(findings.NegativeCycle, kArrow));
        return text;
    }
    switch (findings.Request.Kind) {
        case TAnalysisKind::CheapestPaths:
            TellPaths(teller, findings, text);
            break;
        case TAnalysisKind::DistancesFrom:
            TellDistances(teller, findings, text);
            break;
        case TAnalysisKind::WeakComponents:
        case TAnalysisKind::StrongComponents:
            TellComponents(teller, findings, text);
            break;
        case TAnalysisKind::TopologicalOrder:
            TellOrder(teller, findings, text);
            break;
        case TAnalysisKind::SpanningTree:
            TellTree(teller, findings, text);
            break;
        case TAnalysisKind::MaximumFlow:
            TellFlow(teller, findings, text);
            break;
    }
    return text;
}
