// One step of editing a graph that can be taken back and done again: the changes it
// makes, in order, the selection before and after it, and its name for the menu. The
// view builds and applies one for every change of its graph; an undo command holds one.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"

/// What is selected around a step; undo brings back the selection before it, redo the one
/// after.
struct TSelection {
    TGraphPoint* Node = nullptr;
    TGraphEdge* Edge = nullptr;
    friend bool operator==(const TSelection&, const TSelection&) = default;
};

/// Tells which steps merge: two steps merge when both carry the same key. The view gives
/// keystrokes in a box and the moves of one drag the same key, so that each makes one step.
struct TMergeKey {
    int Kind = 0;  // 0: never merges
    const void* Element = nullptr;
    std::uint64_t Gesture = 0;
    friend bool operator==(const TMergeKey&, const TMergeKey&) = default;
};

/// A list of changes made to one graph and taken back in the reverse order. Positions are
/// those of the graph's lists (Nodes from 1, Edges from 0). Built by adding changes, then
/// Apply; after that Revert and Apply alternate. Each call finds the graph as the call
/// before left it, so every position recorded still holds: a node comes back to its old
/// place in Nodes and an edge to its old place in Edges, as the very same objects. An
/// element out of the graph belongs to the step and dies with it.
///
/// Taking out or putting back an element at a list's end or next to where the list's
/// marker stands costs O(1), whatever the graph's size; elsewhere the walk to its place.
/// A node taken out without a known place is first looked for, from the front.
class TGraphEdit {
public:
    explicit TGraphEdit(std::string name);
    ~TGraphEdit();
    TGraphEdit(const TGraphEdit&) = delete;
    TGraphEdit& operator=(const TGraphEdit&) = delete;

    /// What the menu shows after "Undo" and "Redo".
    const std::string& Name() const { return name_; }

    // The changes, in the order Apply makes them. REQUIRES for each: the graph as Apply
    // will find it allows the change (an element taken out is in the graph; a node taken
    // out is the end of no edge; an element put in is in no graph).
    /// Puts node into Nodes at position, or at the end when position is 0.
    void AddNode(std::unique_ptr<TGraphPoint> node, int position = 0);
    /// Takes node out of Nodes; position, when not 0, is where it stands.
    void RemoveNode(TGraphPoint* node, int position = 0);
    /// Puts edge into Edges at position, or at the end when position is -1.
    void AddEdge(std::unique_ptr<TGraphEdge> edge, int position = -1);
    /// Takes edge out of Edges; position, when not -1, is where it stands.
    void RemoveEdge(TGraphEdge* edge, int position = -1);
    void MoveNode(TGraphPoint* node, std::int32_t x, std::int32_t y);
    /// The caption's text := text; a node without a caption object is given one.
    void SetCaption(TGraphPoint* node, std::string text);
    void SetWeight(TGraphEdge* edge, Real48 weight);

    /// Makes every change in order. An error (no memory to link an element) takes back
    /// what this call had made and goes on to the caller: the graph is as it was.
    void Apply(TMathGraph& graph);
    /// Takes every change back, the last first. REQUIRES: applied last.
    void Revert(TMathGraph& graph);
    bool IsApplied() const { return applied_; }

    TSelection SelectionBefore;
    TSelection SelectionAfter;
    TMergeKey MergeKey;

    /// Takes over what next changes when both have the same MergeKey (not Kind 0) and
    /// each is one move, caption or weight of the same element: the step then goes from
    /// its own start to next's end. False, and nothing changed, otherwise.
    /// REQUIRES: both applied, next after this one.
    bool MergeWith(const TGraphEdit& next);
    /// Applying it changes nothing: no element goes in or out and every value it sets is
    /// the one it found.
    bool ChangesNothing() const;
    /// Applying it (or, with applying false, reverting it) takes an edge, or a node, out
    /// of the graph.
    bool TakesOutEdges(bool applying) const;
    bool TakesOutNodes(bool applying) const;
    /// Once applied, element is out of the graph: the last change that puts it in or takes
    /// it out takes it out.
    bool LeavesOut(const TObject* element) const;
    int ChangeCount() const { return static_cast<int>(changes_.size()); }

private:
    struct TNodeLink {
        TGraphPoint* node;
        int position;
        bool adds;
        std::unique_ptr<TGraphPoint> held;  // while out of the graph, when the list owns nodes
    };
    struct TEdgeLink {
        TGraphEdge* edge;
        int position;
        bool adds;
        std::unique_ptr<TGraphEdge> held;
    };
    struct TMove {
        TGraphPoint* node;
        std::int32_t x[2], y[2];  // before, after
    };
    struct TCaption {
        TGraphPoint* node;
        std::optional<std::string> text[2];  // none: no caption object
    };
    struct TWeight {
        TGraphEdge* edge;
        Real48 weight[2];
    };
    using TChange = std::variant<TNodeLink, TEdgeLink, TMove, TCaption, TWeight>;

    /// Makes change (forward) or takes it back; records what it found the first time.
    void Make(TMathGraph& graph, TChange& change, bool forward);
    void Link(TMathGraph& graph, TNodeLink& link, bool in);
    void Link(TMathGraph& graph, TEdgeLink& link, bool in);

    std::string name_;
    std::vector<TChange> changes_;
    bool applied_ = false;
    bool recorded_ = false;  // the values found were taken at the first Apply
};
