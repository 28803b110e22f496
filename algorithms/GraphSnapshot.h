// A compact copy of a graph's shape and weights, taken once, on which the algorithms run
// without touching the live graph: so that they can run on another thread while the
// graph is edited, and map what they find back to its nodes and edges for drawing.
#pragma once

#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <cstdint>
#include <vector>

#include "graph/ObjGraph.h"

/// An edge as the algorithms see it: its weight and where it stands in the graph.
struct TSnapshotEdge {
    double weight;  // the stored Weight: a Real48 is exact in a double
    int edge;       // its place in the graph's Edges, from 0
};

/// The graph of a snapshot for the Boost Graph Library: vertex p - 1 is the node at
/// position p of Nodes; each vertex's out-edges keep the order of Edges.
using TSnapshotGraph =
    boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, TSnapshotEdge,
                                       boost::no_property, std::uint32_t, std::uint32_t>;
using TSnapshotVertex = boost::graph_traits<TSnapshotGraph>::vertex_descriptor;
using TSnapshotArc = boost::graph_traits<TSnapshotGraph>::edge_descriptor;

/// An edge given by its ends' positions in Nodes (from 1) and its weight.
struct TPlainEdge {
    int from;
    int to;
    double weight;
};

/// Nodes by 1-based position in Nodes, edges by 0-based place in Edges, with their ends
/// and weights. Holds the live graph's node and edge addresses only to map results back;
/// the algorithms never follow them, so a snapshot may be used on any thread, and by
/// several threads at once, while the graph itself changes. Parallel edges, loops and
/// edges of weight 0 are kept as they are; each algorithm says what they mean to it.
class TGraphSnapshot {
public:
    /// Reads graph: its nodes and edge ends as TMathGraph::EdgeEnds gives them (which
    /// leaves the marker of Nodes where a walk over it ends), and one walk over Edges for
    /// the weights. EInvalidObjectType, as the search, when Nodes holds something that is
    /// not a node, EInvalidIndex ("Invalid index in TContainer") for an edge with an end
    /// that is not in Nodes. A node held twice counts at its first place.
    explicit TGraphSnapshot(TMathGraph& graph);
    /// A graph of nodeCount nodes and these edges, in this order, with no live graph
    /// behind it: NodeAt and EdgeAt give nullptr. EInvalidIndex for an end outside 1 to
    /// nodeCount.
    TGraphSnapshot(int nodeCount, const std::vector<TPlainEdge>& edges);

    int NodeCount() const { return nodeCount_; }
    int EdgeCount() const { return static_cast<int>(edges_.size()); }
    /// REQUIRES: 0 <= k < EdgeCount().
    const TPlainEdge& Edge(int k) const { return edges_[static_cast<std::size_t>(k)]; }
    const std::vector<TPlainEdge>& Edges() const { return edges_; }
    const TSnapshotGraph& Graph() const { return graph_; }

    /// True when an edge that is not a loop weighs less than 0; with loops, when any does.
    bool HasNegativeWeight(bool countLoops) const;
    /// EInvalidIndex ("Invalid index in TContainer") unless 1 <= position <= NodeCount():
    /// the check every algorithm makes of the nodes it is given.
    void CheckPosition(int position) const;

    /// The graph's node at position and its edge at place k, for drawing what was found;
    /// nullptr without a live graph. Valid only while that graph keeps them.
    /// REQUIRES: 1 <= position <= NodeCount(), 0 <= k < EdgeCount().
    TGraphNode* NodeAt(int position) const;
    TGraphEdge* EdgeAt(int k) const;
    /// The position of node, 1 to NodeCount(), or 0 when the snapshot does not hold it.
    /// Scans every node: for a selection, not for loops.
    int PositionOf(const TGraphNode* node) const;

private:
    void BuildGraph();

    int nodeCount_ = 0;
    std::vector<TPlainEdge> edges_;
    TSnapshotGraph graph_;
    std::vector<TGraphNode*> nodes_;      // by position - 1; empty without a live graph
    std::vector<TGraphEdge*> liveEdges_;  // by place; empty without a live graph
};
