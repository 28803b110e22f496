#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graph/NodeIndex.h"
#include "graph/ObjGraph.h"

namespace {

TEST(NodeIndex, AKeptIndexFollowsTheListThroughEveryChange) {
    TNodeList list(TGraphNode::StaticClass(), CompareNodes);
    std::vector<TGraphNode*> nodes;
    for (int i = 0; i < 50; ++i) {
        nodes.push_back(new TGraphNode(std::make_unique<TStringObj>(std::to_string(i))));
        list.Append(nodes.back());
    }
    TNodeIndex index(list);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(index.PositionOf(nodes[i]), i + 1);  // table made
    list.SetOwnsItems(false);
    list.DeleteOccurrence(nodes[0], 1);  // every other node moves up by one
    list.SetOwnsItems(true);
    list.GoToIndex(10);
    list.Add(nodes[0]);  // and comes back after the tenth
    index.Rebuild(list);
    for (int p = 1; p <= list.Count(); ++p) {
        EXPECT_EQ(index.PositionOf(list.GoToIndex(p)), p);
        EXPECT_EQ(index.NodeAt(p), list.GoToIndex(p));
    }
    TGraphNode stranger(std::make_unique<TStringObj>("x"));
    EXPECT_EQ(index.PositionOf(&stranger), 0);
    EXPECT_EQ(index.PositionOf(nullptr), 0);
    EXPECT_THROW(index.NodeAt(51), EInvalidIndex);
}

TEST(NodeIndex, AListWithAStrangerIsRefusedAndLeavesTheIndexEmpty) {
    TUnorderedList list(TObject::StaticClass(), CompareNodes);
    list.Append(new TGraphNode(std::make_unique<TStringObj>("a")));
    list.Append(new TStringObj("not a node"));
    TNodeIndex index;
    EXPECT_THROW(index.Rebuild(list), EInvalidCast);
    EXPECT_EQ(index.Count(), 0);
}

}  // namespace
