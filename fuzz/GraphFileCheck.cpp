#include "fuzz/GraphFileCheck.h"

#include <memory>
#include <sstream>
#include <vector>

#include "editor/GraphView.h"
#include "persistence/ObjStream.h"

namespace {

/// Takes every drawing call and draws nothing: painting is run for what it computes.
class TNullCanvas : public TCanvas {
public:
    void SetPenColor(TColor) override {}
    void SetPenWidth(int) override {}
    void SetBrush(TColor) override {}
    void Ellipse(int, int, int, int) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void CurveTo(int, int, int, int, int, int) override {}
    void TextOut(int, int, std::string_view) override {}
};

/// The bytes read back by a fresh object stream, as the buffered load does. Caller owns
/// the result.
TObject* ReadBytes(const std::uint8_t* data, std::size_t size) {
    auto memory = std::make_unique<TMemoryStream>();
    memory->Write(data, size);
    memory->Seek(-memory->Position());
    TObjectStream objects(std::move(memory));
    return objects.ReadObject();
}

std::vector<std::uint8_t> SavedBytes(TMathGraph& graph) {
    auto memory = std::make_unique<TMemoryStream>();
    TMemoryStream* content = memory.get();
    TObjectStream objects(std::move(memory));
    objects.WriteObject(&graph);
    return std::vector<std::uint8_t>(content->Memory(), content->Memory() + content->Size());
}

/// Everything of a graph that a file keeps, as text, nodes by position.
std::string Describe(TMathGraph& graph) {
    std::ostringstream text;
    const TNodeIndex index(*graph.Nodes);
    for (int i = 1; i <= index.Count(); ++i) {
        const auto* point = As<TGraphPoint>(index.NodeAt(i));
        text << "node " << i << " (" << point->X << ", " << point->Y << ") \""
             << point->Caption->Text << "\"\n";
    }
    for (int k = 0; k < graph.Edges->Count(); ++k) {
        const TGraphEdge* edge = graph.Edges->Get(k);
        text << "edge " << index.PositionOf(edge->FromNode) << " -> "
             << index.PositionOf(edge->ToNode) << " weight";
        for (const std::uint8_t byte : edge->Weight.ToBytes()) text << ' ' << int{byte};
        text << "\n";
    }
    return text.str();
}

/// What a user can do with a graph once it is shown: look at it, with and without
/// Adapt Edges, with its labels and curves, zoomed to fit, and ask for the path from the
/// first node to the last.
void UseLikeTheEditor(TGraphView& view) {
    TNullCanvas canvas;
    view.Paint(canvas);
    view.ToggleAdaptEdges();
    view.SetShowCaptions(true);
    view.SetShowWeights(true);
    view.SetSeparateOpposite(true);
    view.SetViewportSize(800, 600);
    view.FitGraph();
    view.Paint(canvas);
    const int count = view.Graph().Nodes->Count();
    if (count == 0) return;
    try {
        auto* first = static_cast<TGraphNode*>(view.Graph().Nodes->GoToIndex(1));
        auto* last = static_cast<TGraphNode*>(view.Graph().Nodes->GoToIndex(count));
        view.Graph().ShortestPath(first, last);
    } catch (const EMathError&) {
        // A sum of hostile weights may leave the Real48 range; the editor shows that.
    }
}

}  // namespace

TGraphFileCheck CheckGraphFile(const std::uint8_t* data, std::size_t size) {
    TGraphFileCheck check;
    TGraphView view;
    try {
        view.ReplaceGraph(std::unique_ptr<TObject>(ReadBytes(data, size)));
    } catch (const Exception& e) {
        check.Refusal = e.what();
        return check;
    }
    TMathGraph& graph = view.Graph();
    UseLikeTheEditor(view);
    std::vector<std::uint8_t> saved;
    try {
        saved = SavedBytes(graph);
    } catch (const Exception& e) {
        // A graph without nodes has no matrix to write: the one save that must fail.
        if (graph.Nodes->Count() > 0) check.Fault = std::string("save failed: ") + e.what();
        return check;
    }
    TGraphView reloaded;
    try {
        reloaded.ReplaceGraph(std::unique_ptr<TObject>(ReadBytes(saved.data(), saved.size())));
    } catch (const Exception& e) {
        check.Fault = std::string("the saved graph does not load: ") + e.what();
        return check;
    }
    const std::string before = Describe(graph);
    const std::string after = Describe(reloaded.Graph());
    if (before != after)
        check.Fault = "the graph changed by a save and a load:\n" + before + "---\n" + after;
    else if (SavedBytes(reloaded.Graph()) != saved)
        check.Fault = "saving the reloaded graph gives other bytes";
    return check;
}
