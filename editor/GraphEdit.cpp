#include "editor/GraphEdit.h"

#include <cassert>
#include <utility>

namespace {

template <class... Visit>
struct TOverloaded : Visit... {
    using Visit::operator()...;
};
// clang 14, which builds the fuzz target, does not deduce an aggregate's arguments itself.
template <class... Visit>
TOverloaded(Visit...) -> TOverloaded<Visit...>;

// node at position of nodes (1 to Count + 1). Only the list's own walks are used, each
// from the nearest of its ends and its marker.
void InsertNode(TNodeList& nodes, TGraphPoint* node, int position) {
    if (position > nodes.Count()) {
        nodes.Append(node);
        return;
    }
    if (position > 1) {
        nodes.GoToIndex(position - 1);
        nodes.Add(node);  // after the marker
        return;
    }
    // The list inserts only after a node: in after the first, then the two swap items.
    nodes.GoToIndex(1);
    TObject* first = nodes.GetCurrent();
    nodes.Add(node);
    const bool owns = nodes.GetOwnsItems();
    nodes.SetOwnsItems(false);  // SetCurrent would dispose of the item it replaces
    nodes.GoToIndex(1);
    nodes.SetCurrent(node);
    nodes.GoToIndex(2);
    nodes.SetCurrent(first);
    nodes.SetOwnsItems(owns);
}

// Takes node out of nodes without destroying it; its position, looked for from the front
// unless the one given holds it.
int TakeNode(TNodeList& nodes, TGraphPoint* node, int position) {
    if (position < 1 || position > nodes.Count() || nodes.GoToIndex(position) != node)
        position = IndexOfNode(&nodes, node);  // leaves the marker on it
    if (position == 0) throw EInvalidIndex();  // a step out of order: nothing to take
    nodes.RemoveCurrent();
    return position;
}

int TakeEdge(TEdgeList& edges, TGraphEdge* edge, int position) {
    if (position >= 0 && position < edges.Count() && edges.Get(position) == edge) {
        edges.Delete(position);
        return position;
    }
    position = edges.Remove(edge);
    if (position < 0) throw EInvalidIndex();
    return position;
}

void SetCaptionText(TGraphPoint& node, const std::optional<std::string>& text) {
    if (!text)
        node.Caption.reset();
    else if (node.Caption)
        node.Caption->Text = *text;
    else
        node.Caption = std::make_unique<TStringObj>(*text);
}

std::optional<std::string> CaptionText(const TGraphPoint& node) {
    if (!node.Caption) return std::nullopt;
    return node.Caption->Text;
}

bool SameWeight(Real48 a, Real48 b) { return a.ToBytes() == b.ToBytes(); }

}  // namespace

TGraphEdit::TGraphEdit(std::string name) : name_(std::move(name)) {}

TGraphEdit::~TGraphEdit() = default;

void TGraphEdit::AddNode(std::unique_ptr<TGraphPoint> node, int position) {
    TGraphPoint* raw = node.get();
    changes_.push_back(TNodeLink{raw, position, true, std::move(node)});
}

void TGraphEdit::RemoveNode(TGraphPoint* node, int position) {
    changes_.push_back(TNodeLink{node, position, false, nullptr});
}

void TGraphEdit::AddEdge(std::unique_ptr<TGraphEdge> edge, int position) {
    TGraphEdge* raw = edge.get();
    changes_.push_back(TEdgeLink{raw, position, true, std::move(edge)});
}

void TGraphEdit::RemoveEdge(TGraphEdge* edge, int position) {
    changes_.push_back(TEdgeLink{edge, position, false, nullptr});
}

void TGraphEdit::MoveNode(TGraphPoint* node, std::int32_t x, std::int32_t y) {
    changes_.push_back(TMove{node, {node->X, x}, {node->Y, y}});
}

void TGraphEdit::SetCaption(TGraphPoint* node, std::string text) {
    changes_.push_back(TCaption{node, {std::nullopt, std::move(text)}});
}

void TGraphEdit::SetWeight(TGraphEdge* edge, Real48 weight) {
    changes_.push_back(TWeight{edge, {edge->Weight, weight}});
}

void TGraphEdit::Link(TMathGraph& graph, TNodeLink& link, bool in) {
    if (in) {
        if (link.position == 0) link.position = graph.Nodes->Count() + 1;
        InsertNode(*graph.Nodes, link.node, link.position);
        link.held.release();  // the list owns it from here, when it owns its nodes
        return;
    }
    link.position = TakeNode(*graph.Nodes, link.node, link.position);
    if (graph.Nodes->GetOwnsItems()) link.held.reset(link.node);
}

void TGraphEdit::Link(TMathGraph& graph, TEdgeLink& link, bool in) {
    if (in) {
        if (link.position < 0) link.position = graph.Edges->Count();
        graph.Edges->Insert(link.position, link.edge);
        link.held.release();  // the graph destroys the edges held in Edges
        return;
    }
    link.position = TakeEdge(*graph.Edges, link.edge, link.position);
    link.held.reset(link.edge);
}

void TGraphEdit::Make(TMathGraph& graph, TChange& change, bool forward) {
    const bool first = forward && !recorded_;
    const int to = forward ? 1 : 0;
    std::visit(TOverloaded{
                   [&](TNodeLink& link) { Link(graph, link, link.adds == forward); },
                   [&](TEdgeLink& link) { Link(graph, link, link.adds == forward); },
                   [&](TMove& move) {
                       if (first) move.x[0] = move.node->X, move.y[0] = move.node->Y;
                       move.node->X = move.x[to];
                       move.node->Y = move.y[to];
                   },
                   [&](TCaption& caption) {
                       if (first) caption.text[0] = CaptionText(*caption.node);
                       SetCaptionText(*caption.node, caption.text[to]);
                   },
                   [&](TWeight& weight) {
                       if (first) weight.weight[0] = weight.edge->Weight;
                       weight.edge->Weight = weight.weight[to];
                   },
               },
               change);
}

void TGraphEdit::Apply(TMathGraph& graph) {
    assert(!applied_);
    std::size_t made = 0;
    try {
        for (; made < changes_.size(); ++made) Make(graph, changes_[made], true);
    } catch (...) {
        while (made > 0) Make(graph, changes_[--made], false);
        throw;
    }
    recorded_ = applied_ = true;
}

void TGraphEdit::Revert(TMathGraph& graph) {
    assert(applied_);
    std::size_t left = changes_.size();
    try {
        for (; left > 0; --left) Make(graph, changes_[left - 1], false);
    } catch (...) {
        for (; left < changes_.size(); ++left) Make(graph, changes_[left], true);
        throw;
    }
    applied_ = false;
}

bool TGraphEdit::MergeWith(const TGraphEdit& next) {
    if (MergeKey.Kind == 0 || MergeKey != next.MergeKey) return false;
    if (changes_.size() != 1 || next.changes_.size() != 1) return false;
    TChange& mine = changes_.front();
    const TChange& theirs = next.changes_.front();
    if (mine.index() != theirs.index()) return false;
    if (auto* move = std::get_if<TMove>(&mine)) {
        const auto& later = std::get<TMove>(theirs);
        if (later.node != move->node) return false;
        move->x[1] = later.x[1];
        move->y[1] = later.y[1];
    } else if (auto* caption = std::get_if<TCaption>(&mine)) {
        const auto& later = std::get<TCaption>(theirs);
        if (later.node != caption->node) return false;
        caption->text[1] = later.text[1];
    } else if (auto* weight = std::get_if<TWeight>(&mine)) {
        const auto& later = std::get<TWeight>(theirs);
        if (later.edge != weight->edge) return false;
        weight->weight[1] = later.weight[1];
    } else {
        return false;
    }
    SelectionAfter = next.SelectionAfter;
    return true;
}

bool TGraphEdit::ChangesNothing() const {
    for (const TChange& change : changes_) {
        const bool same =
            std::visit(TOverloaded{
                           [](const TNodeLink&) { return false; },
                           [](const TEdgeLink&) { return false; },
                           [](const TMove& m) { return m.x[0] == m.x[1] && m.y[0] == m.y[1]; },
                           [](const TCaption& c) { return c.text[0] == c.text[1]; },
                           [](const TWeight& w) { return SameWeight(w.weight[0], w.weight[1]); },
                       },
                       change);
        if (!same) return false;
    }
    return true;
}

bool TGraphEdit::TakesOutEdges(bool applying) const {
    for (const TChange& change : changes_)
        if (const auto* link = std::get_if<TEdgeLink>(&change); link && link->adds != applying)
            return true;
    return false;
}

bool TGraphEdit::TakesOutNodes(bool applying) const {
    for (const TChange& change : changes_)
        if (const auto* link = std::get_if<TNodeLink>(&change); link && link->adds != applying)
            return true;
    return false;
}

bool TGraphEdit::LeavesOut(const TObject* element) const {
    for (auto change = changes_.rbegin(); change != changes_.rend(); ++change) {
        if (const auto* node = std::get_if<TNodeLink>(&*change); node && node->node == element)
            return !node->adds;
        if (const auto* edge = std::get_if<TEdgeLink>(&*change); edge && edge->edge == element)
            return !edge->adds;
    }
    return false;
}
