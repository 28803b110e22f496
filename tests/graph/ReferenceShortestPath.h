// The plain search, step by step: every pass scans the untaken nodes for the nearest.
// TMathGraph::ShortestPath must make the very same stores and hook calls; the tests
// compare the two on random graphs and the benchmark shows what the scan costs.
#pragma once

#include <memory>
#include <unordered_set>

#include "graph/ObjGraph.h"

namespace reference {

inline void BuildOutEdges(TMathGraph& graph) {
    for (int i = 1; i <= graph.Nodes->Count(); ++i)
        static_cast<TGraphNode*>(graph.Nodes->GoToIndex(i))->OutEdges =
            std::make_unique<TEdgeList>();
    for (int i = 0; i < graph.Edges->Count(); ++i)
        graph.Edges->Get(i)->FromNode->OutEdges->Add(graph.Edges->Get(i));
}

/// Of several nodes equally near, the one nearest the front of the queue.
inline TGraphNode* ExtractNearest(TUnorderedList& queue) {
    if (queue.Count() == 0) return nullptr;
    auto* candidate = static_cast<TGraphNode*>(queue.GoToIndex(1));
    for (int i = 2; i <= queue.Count(); ++i) {
        auto* node = static_cast<TGraphNode*>(queue.GoToIndex(i));
        if (node->Distance < candidate->Distance) candidate = node;
    }
    queue.DeleteOccurrence(candidate, 1);
    return candidate;
}

inline void Expand(TGraphNode* u, TGraphNode* target, Real48& bound) {
    for (int k = 0; k < u->OutEdges->Count(); ++k) u->OutEdges->Get(k)->Scanned(u);
    for (int k = 0; k < u->OutEdges->Count(); ++k) {
        TGraphEdge* edge = u->OutEdges->Get(k);
        TGraphNode* v = edge->ToNode;
        const long double sum = u->Distance.ToExtended() + edge->Weight.ToExtended();
        if (v->Distance.ToExtended() > sum) {
            v->PrevEdge = edge;
            v->Distance = Real48::FromExtended(sum);
            v->Relaxed(u, edge->Weight);
        }
        if (v == target) bound = v->Distance;
    }
}

/// REQUIRES: source and target are nodes of graph.
inline std::unique_ptr<TEdgeList> ShortestPath(TMathGraph& graph, TGraphNode* source,
                                               TGraphNode* target) {
    BuildOutEdges(graph);
    Real48 bound = Real48::FromExtended(InfiniteDistance);
    TUnorderedList queue(TGraphNode::StaticClass(), CompareNodes);
    queue.SetOwnsItems(false);
    const int n = graph.Nodes->Count();
    for (int i = 1; i <= n; ++i) {
        auto* node = static_cast<TGraphNode*>(graph.Nodes->GoToIndex(i));
        node->Distance = Real48::FromExtended(InfiniteDistance);
        node->PrevEdge = nullptr;
        queue.Append(node);
    }
    source->Distance = Real48::FromExtended(0);
    for (int pass = 0; pass < n; ++pass) {
        TGraphNode* u = ExtractNearest(queue);
        if (u->Distance < bound) Expand(u, target, bound);
    }
    auto result = std::make_unique<TEdgeList>();
    std::unordered_set<const TGraphNode*> passed{target};
    for (const TGraphNode* p = target; p->PrevEdge != nullptr;) {
        result->Add(p->PrevEdge);
        p = p->PrevEdge->FromNode;
        if (!passed.insert(p).second) break;
    }
    return result;
}

}  // namespace reference
