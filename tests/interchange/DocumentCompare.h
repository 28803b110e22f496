// Documents compared as the formats keep them, for the interchange tests.
#pragma once

#include <gtest/gtest.h>

#include "interchange/Document.h"

/// Captions, positions and edges with their weights alike; ids are not compared, as
/// every writer names nodes afresh.
inline void ExpectSameGraph(const TGraphDocument& expected, const TGraphDocument& actual) {
    ASSERT_EQ(expected.Nodes.size(), actual.Nodes.size());
    for (std::size_t i = 0; i < expected.Nodes.size(); ++i) {
        EXPECT_EQ(expected.Nodes[i].Caption, actual.Nodes[i].Caption) << "node " << i;
        EXPECT_EQ(expected.Nodes[i].Position, actual.Nodes[i].Position) << "node " << i;
    }
    ASSERT_EQ(expected.Edges.size(), actual.Edges.size());
    for (std::size_t k = 0; k < expected.Edges.size(); ++k) {
        EXPECT_EQ(expected.Edges[k].From, actual.Edges[k].From) << "edge " << k;
        EXPECT_EQ(expected.Edges[k].To, actual.Edges[k].To) << "edge " << k;
        EXPECT_EQ(expected.Edges[k].Weight.ToBytes(), actual.Edges[k].Weight.ToBytes())
            << "edge " << k;
    }
}

inline TDocumentNode Node(std::string caption, std::optional<TPosition> position = std::nullopt) {
    return {caption, caption, position};
}

inline TDocumentEdge Edge(int from, int to, long double weight = 1) {
    return {from, to, Real48::FromExtended(weight)};
}
