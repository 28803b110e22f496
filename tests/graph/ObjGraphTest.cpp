#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "graph/ObjGraph.h"
#include "tests/graph/ReferenceShortestPath.h"

namespace {

using TCallLog = std::vector<std::string>;
int gDestroyed = 0;  // destructions of every probe below

std::string Show(Real48 value) {
    std::ostringstream text;
    text.precision(17);  // a Real48 is exact in a double; 17 digits give it back
    text << static_cast<double>(value.ToExtended());
    return text.str();
}

class TProbeNode : public TGraphNode {
public:
    TProbeNode(const std::string& caption, TCallLog* log)
        : TGraphNode(std::make_unique<TStringObj>(caption)), log_(log) {}
    ~TProbeNode() override { ++gDestroyed; }
    void Relaxed(TGraphNode* fromNode, Real48 weight) override {
        log_->push_back("R " + Caption->Text + " from " + fromNode->Caption->Text + " by " +
                        Show(weight) + " to " + Show(Distance));
    }

private:
    TCallLog* log_;
};

class TProbeEdge : public TGraphEdge {
public:
    TProbeEdge(TGraphNode* from, TGraphNode* to, std::string label, TCallLog* log)
        : TGraphEdge(from, to), Label(std::move(label)), log_(log) {}
    ~TProbeEdge() override { ++gDestroyed; }
    void Scanned(TGraphNode* fromNode) override {
        log_->push_back("S " + Label + " from " + fromNode->Caption->Text);
    }
    std::string Label;

private:
    TCallLog* log_;
};

struct TProbeText : TStringObj {
    using TStringObj::TStringObj;
    ~TProbeText() override { ++gDestroyed; }
};
struct TProbeEdgeList : TEdgeList {
    ~TProbeEdgeList() override { ++gDestroyed; }
};
struct TProbeArray : TArray {
    TProbeArray() : TArray(TInteger::StaticClass(), CompareNodes, 1, 0) {}
    ~TProbeArray() override { ++gDestroyed; }
};

std::string Label(const TMathGraph& graph, const TGraphEdge* edge) {
    if (edge == nullptr) return "-";
    if (auto* probe = dynamic_cast<const TProbeEdge*>(edge)) return probe->Label;
    for (int i = 0; i < graph.Edges->Count(); ++i)
        if (graph.Edges->Get(i) == edge) return "e" + std::to_string(i);
    return "?";
}

std::string Labels(const TMathGraph& graph, const TEdgeList& list) {
    std::string text;
    for (int i = 0; i < list.Count(); ++i) text += (i ? " " : "") + Label(graph, list.Get(i));
    return text;
}

class TGraphTest : public ::testing::Test {
protected:
    TGraphNode* Node(const std::string& caption) { return Node(graph, caption); }
    TGraphNode* Node(TMathGraph& g, const std::string& caption) {
        auto* node = new TProbeNode(caption, &log);
        g.Nodes->Append(node);
        return node;
    }
    TGraphEdge* Edge(TGraphNode* from, TGraphNode* to, long double weight = 1) {
        return Edge(graph, from, to, weight);
    }
    TGraphEdge* Edge(TMathGraph& g, TGraphNode* from, TGraphNode* to, long double weight) {
        auto* edge = new TProbeEdge(from, to, from->Caption->Text + ">" + to->Caption->Text, &log);
        edge->Weight = Real48::FromExtended(weight);
        g.Edges->Add(edge);
        return edge;
    }
    std::string Path(TGraphNode* source, TGraphNode* target) { return Path(graph, source, target); }
    std::string Path(TMathGraph& g, TGraphNode* source, TGraphNode* target) {
        return Labels(g, *g.ShortestPath(source, target));
    }
    /// The editor's Delete Node: refused while an edge starts or ends at the node.
    bool DeleteNode(TGraphNode* node) {
        graph.BuildOutEdges();
        if (node->OutEdges->Count() != 0 || graph.IsEdgeTarget(node)) return false;
        return graph.Nodes->DeleteOccurrence(node, 1);
    }
    void DeleteEdge(TGraphEdge* edge) {
        graph.Edges->Remove(edge);
        delete edge;
    }

    TCallLog log;
    TMathGraph graph;
};

// ----------------------------------------------------------------------------

using ShortestPathTieBreaks = TGraphTest;

TEST_F(ShortestPathTieBreaks, TwoCheapHopsBeatOneDearEdge) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C");
    Edge(a, b, 1), Edge(b, c, 1), Edge(a, c, 3);
    EXPECT_EQ(Path(a, c), "B>C A>B");
    EXPECT_EQ(c->Distance.ToExtended(), 2);
}

TEST_F(ShortestPathTieBreaks, EqualLengthKeepsThePathFoundFirst) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C");
    Edge(a, b, 2), Edge(a, c, 1), Edge(c, b, 1);
    EXPECT_EQ(Path(a, b), "A>B");
}

TEST_F(ShortestPathTieBreaks, EqualNodesGoInTheOrderOfNodes) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C"), *d = Node("D");
    Edge(a, b, 1), Edge(a, c, 1), Edge(b, d, 1), Edge(c, d, 1);
    EXPECT_EQ(Path(a, d), "B>D A>B");

    TMathGraph other;
    TGraphNode *a2 = Node(other, "A"), *c2 = Node(other, "C"), *b2 = Node(other, "B");
    TGraphNode* d2 = Node(other, "D");
    Edge(other, a2, b2, 1), Edge(other, a2, c2, 1), Edge(other, b2, d2, 1);
    Edge(other, c2, d2, 1);
    EXPECT_EQ(Path(other, a2, d2), "C>D A>C");
}

TEST_F(ShortestPathTieBreaks, ParallelEdgesTakeTheLighterThenTheEarlier) {
    TGraphNode *a = Node("A"), *b = Node("B");
    Edge(a, b, 3);
    TGraphEdge* light = Edge(a, b, 2);
    EXPECT_EQ(graph.ShortestPath(a, b)->Get(0), light);
    TGraphEdge* tie = Edge(a, b, 2);
    EXPECT_EQ(graph.ShortestPath(a, b)->Get(0), light);
    EXPECT_NE(light, tie);
}

using ShortestPathLimits = TGraphTest;

TEST_F(ShortestPathLimits, AtTheInfiniteDistanceATargetIsUnreached) {
    TGraphNode *a = Node("A"), *b = Node("B");
    TGraphEdge* edge = Edge(a, b, 100000);
    EXPECT_EQ(Path(a, b), "");
    edge->Weight = Real48::FromExtended(99999.5L);
    EXPECT_EQ(Path(a, b), "A>B");
    EXPECT_EQ(b->Distance.ToExtended(), 99999.5L);
}

TEST_F(ShortestPathLimits, FromANodeToItselfThePathIsEmpty) {
    TGraphNode *a = Node("A"), *b = Node("B");
    EXPECT_EQ(Path(a, a), "");
    Edge(a, b, 1), Edge(b, a, 1);
    EXPECT_EQ(Path(a, a), "");
    EXPECT_EQ(a->Distance.ToExtended(), 0);
}

TEST_F(ShortestPathLimits, ZeroWeightIsFollowed) {
    TGraphNode *a = Node("A"), *b = Node("B");
    Edge(a, b, 0);
    EXPECT_EQ(Path(a, b), "A>B");
    EXPECT_EQ(b->Distance.ToExtended(), 0);
}

TEST_F(ShortestPathLimits, EdgesLeadOneWayOnly) {
    TGraphNode *a = Node("A"), *b = Node("B");
    Edge(b, a, 1);
    EXPECT_EQ(Path(a, b), "");
    EXPECT_EQ(b->Distance.ToExtended(), 100000);
}

TEST_F(TGraphTest, HooksAreCalledBeforeAndAfterEachStore) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C");
    Edge(a, b, 1), Edge(b, c, 1), Edge(a, c, 3);
    Path(a, c);
    // C, reached at the bound, is not expanded: B>C is scanned once only.
    EXPECT_EQ(log, (TCallLog{"S A>B from A", "S A>C from A", "R B from A by 1 to 1",
                             "R C from A by 3 to 3", "S B>C from B", "R C from B by 1 to 2"}));
}

TEST_F(ShortestPathLimits, SumsAreComparedBeforeNarrowing) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C"), *d = Node("D");
    const long double topOfTwo = 2 - 0x1p-39L;  // the largest Real48 below 2
    Edge(a, b, topOfTwo), Edge(a, c, topOfTwo), Edge(b, c, -0x1p-60L), Edge(c, d, 1);
    // B>C lowers C by less than a double could tell; narrowed, C's distance stays.
    EXPECT_EQ(Path(a, d), "C>D B>C A>B");
    EXPECT_EQ(c->Distance.ToExtended(), topOfTwo);
}

using ShortestPathFaults = TGraphTest;

TEST_F(ShortestPathFaults, AnEndOutsideTheGraphChangesNothing) {
    TGraphNode *a = Node("A"), *b = Node("B");
    Edge(a, b, 2);
    Path(a, b);
    log.clear();
    TMathGraph other;
    TGraphNode* stranger = Node(other, "X");
    Path(other, stranger, stranger);  // stamps the stranger with a position of its own
    for (auto [source, target] : {std::pair{a, stranger}, {stranger, b}, {nullptr, b}})
        EXPECT_EQ(Path(source, target), "");
    EXPECT_EQ(b->Distance.ToExtended(), 2);
    EXPECT_EQ(Label(graph, b->PrevEdge), "A>B");
    EXPECT_TRUE(log.empty());
}

TEST_F(ShortestPathFaults, ALoopOfPrevEdgesEndsTheWalkBack) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C"), *d = Node("D");
    Edge(a, b, 1), Edge(b, c, 1), Edge(c, b, -5), Edge(c, d, 100);
    // C lowers B, already expanded, through a negative edge: B and C now point at each other.
    EXPECT_EQ(Path(a, d), "C>D B>C C>B");
    EXPECT_EQ(b->Distance.ToExtended(), -3);
}

TEST_F(ShortestPathFaults, OverflowStopsTheSearchWithItsStoresInPlace) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C");
    Edge(a, b, -1e38L);
    TGraphEdge* over = Edge(b, c, -1e38L);
    try {
        graph.ShortestPath(a, c);
        FAIL() << "no overflow";
    } catch (const EOverflow& e) {
        EXPECT_STREQ(e.what(), "Floating point overflow");
    }
    EXPECT_EQ(b->Distance, Real48::FromExtended(-1e38L));
    EXPECT_EQ(c->Distance.ToExtended(), 100000);
    EXPECT_EQ(c->PrevEdge, over);  // set before the store that overflowed, as in the steps
}

// ----------------------------------------------------------------------------

using GraphEditing = TGraphTest;

TEST_F(GraphEditing, ANodeIsDeletedOnlyWithoutEdges) {
    TGraphNode *a = Node("A"), *b = Node("B"), *c = Node("C");
    TGraphEdge *ab = Edge(a, b), *bc = Edge(b, c);
    EXPECT_FALSE(DeleteNode(a));
    EXPECT_FALSE(DeleteNode(b));
    EXPECT_FALSE(DeleteNode(c));
    EXPECT_FALSE(graph.IsEdgeTarget(a));  // only an edge's start
    DeleteEdge(ab);
    DeleteEdge(bc);
    EXPECT_TRUE(DeleteNode(a) && DeleteNode(b) && DeleteNode(c));
    EXPECT_EQ(graph.Nodes->Count(), 0);
}

TEST_F(GraphEditing, OutEdgesFollowTheOrderOfEdges) {
    TGraphNode *a = Node("A"), *b = Node("B");
    TGraphEdge* first = Edge(a, b);
    Edge(b, a);
    TGraphEdge* second = Edge(a, b);
    graph.BuildOutEdges();
    ASSERT_EQ(a->OutEdges->Count(), 2);
    EXPECT_EQ(a->OutEdges->Get(0), first);
    EXPECT_EQ(a->OutEdges->Get(1), second);
    DeleteEdge(first);
    graph.BuildOutEdges();
    EXPECT_EQ(Labels(graph, *a->OutEdges) + "|" + Labels(graph, *b->OutEdges), "A>B|B>A");
}

TEST(EdgeList, RefusesWhatIsNotAnEdgeSilently) {
    TEdgeList list;
    TGraphNode node(std::make_unique<TStringObj>("A"));
    TGraphEdge edge(&node, &node);
    list.Add(&node);
    list.Add(nullptr);
    EXPECT_EQ(list.Count(), 0);
    list.Add(&edge);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(edge.GetWeight().ToExtended(), 1);
}

TEST(EdgeList, PositionsRunFromZero) {
    TEdgeList list;
    TGraphEdge first(nullptr, nullptr), second(nullptr, nullptr);
    list.Add(&first);
    list.Add(&second);
    EXPECT_EQ(list.Get(1), &second);
    for (int index : {-1, 2}) {
        try {
            list.Get(index);
            ADD_FAILURE() << index;
        } catch (const EListError& e) {
            EXPECT_EQ(e.what(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
    EXPECT_EQ(list.Remove(&second), 1);
    EXPECT_EQ(list.Remove(&second), -1);
    EXPECT_EQ(list.Count(), 1);
}

// ----------------------------------------------------------------------------

TEST(GraphOwnership, TheGraphDestroysWhatItOwnsOnce) {
    TCallLog log;
    gDestroyed = 0;
    auto graph = std::make_unique<TMathGraph>();
    auto* a = new TProbeNode("A", &log);
    auto* b = new TProbeNode("B", &log);
    graph->Nodes->Append(a);
    graph->Nodes->Append(b);
    graph->Edges->Add(new TProbeEdge(a, b, "A>B", &log));
    graph->ShortestPath(a, b).reset();  // the result holds the edge but does not own it
    EXPECT_EQ(gDestroyed, 0);
    a->Caption = std::make_unique<TProbeText>("A");
    b->OutEdges = std::make_unique<TProbeEdgeList>();
    graph->Matrix = std::make_unique<TProbeArray>();
    graph->Matrix->Add(new TInteger(7));
    graph->Nodes->DeleteOccurrence(a, 1);  // refused by the editor; here: node and caption go
    EXPECT_EQ(gDestroyed, 2);
    graph.reset();
    EXPECT_EQ(gDestroyed, 2 + 4);  // node B, its OutEdges list, the edge, the matrix
}

TEST(GraphBlanks, BlankInstancesHoldNothingAndStaySafe) {
    for (TClassRef cls :
         {TGraphNode::StaticClass(), TMathGraph::StaticClass(), TInteger::StaticClass(),
          TNodeList::StaticClass(), TStringObj::StaticClass(), TGraphEdge::StaticClass(),
          TEdgeList::StaticClass()}) {
        std::unique_ptr<TObject> blank(cls->createBlank());
        EXPECT_STREQ(blank->ClassName(), cls->name);
    }
    std::unique_ptr<TObject> object(TMathGraph::StaticClass()->createBlank());
    auto* graph = static_cast<TMathGraph*>(object.get());
    EXPECT_TRUE(!graph->Matrix && !graph->Nodes && !graph->Edges);
    graph->BuildOutEdges();
    EXPECT_FALSE(graph->IsEdgeTarget(nullptr));
    EXPECT_EQ(graph->ShortestPath(nullptr, nullptr)->Count(), 0);
    object.reset(TGraphNode::StaticClass()->createBlank());
    auto* node = static_cast<TGraphNode*>(object.get());
    EXPECT_TRUE(!node->Caption && !node->OutEdges && !node->PrevEdge);
    EXPECT_EQ(node->Distance.ToExtended(), 0);
}

// ----------------------------------------------------------------------------
// The fast search against the plain scan

// Ties, zero, the limit, negatives, and sums that overflow.
constexpr long double kCommonWeights[] = {0, 1, 1, 2, 2, 3, 0.5, 0.1};
// 2 - 2^-39 and -2^-60: their sum differs from 2 - 2^-39 in extended precision only.
constexpr long double kTopOfTwo = 2 - 0x1p-39L;
constexpr long double kRareWeights[] = {-1,    -2.5,   99999.5,  100000,    60000,
                                        1e38L, -1e38L, -1.5e38L, kTopOfTwo, -0x1p-60L};

struct TRandomGraph {
    TCallLog log;
    TMathGraph graph;
    std::vector<TGraphNode*> nodes;

    explicit TRandomGraph(unsigned seed) {
        std::mt19937 random(seed);
        const int n = 1 + static_cast<int>(random() % 9);
        const int m = static_cast<int>(random() % (3 * n + 1));
        // Else plain nodes and edges, whose hooks do nothing: nobody can watch the search.
        const bool hooked = random() % 3 != 0;
        for (int i = 0; i < n; ++i) {
            const std::string caption = "n" + std::to_string(i);
            nodes.push_back(hooked ? new TProbeNode(caption, &log)
                                   : new TGraphNode(std::make_unique<TStringObj>(caption)));
            graph.Nodes->Append(nodes.back());
        }
        for (int i = 0; i < m; ++i) {
            TGraphNode* from = nodes[random() % nodes.size()];
            TGraphNode* to = nodes[random() % nodes.size()];
            TGraphEdge* edge = hooked ? new TProbeEdge(from, to, "e" + std::to_string(i), &log)
                                      : new TGraphEdge(from, to);
            edge->Weight = Real48::FromExtended(random() % 5 != 0 ? kCommonWeights[random() % 8]
                                                                  : kRareWeights[random() % 10]);
            graph.Edges->Add(edge);
        }
    }

    struct TOutcome {
        std::string error, path;
        std::vector<std::string> nodes;
        TCallLog calls;
    };

    template <class Search>
    TOutcome Run(int source, int target, Search search) {
        log.clear();
        TOutcome outcome;
        try {
            outcome.path = Labels(graph, *search(graph, nodes[source], nodes[target]));
        } catch (const Exception& e) {
            outcome.error = e.what();
        }
        outcome.calls = log;
        for (TGraphNode* node : nodes)
            outcome.nodes.push_back(Show(node->Distance) + " " + Label(graph, node->PrevEdge) +
                                    " [" + Labels(graph, *node->OutEdges) + "]");
        return outcome;
    }
};

TEST(ShortestPathDifferential, MatchesThePlainScanStoreForStore) {
    const auto fast = [](TMathGraph& g, TGraphNode* s, TGraphNode* t) {
        return g.ShortestPath(s, t);
    };
    int overflows[2] = {0, 0};  // without and with hooks
    for (unsigned seed = 1; seed <= 4000; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TRandomGraph mine(seed), plain(seed);
        std::mt19937 random(~seed);
        // Two searches in a row: the second starts from what the first left behind.
        for (int query = 0; query < 2; ++query) {
            const int source = static_cast<int>(random() % mine.nodes.size());
            const int target = static_cast<int>(random() % mine.nodes.size());
            const auto got = mine.Run(source, target, fast);
            const auto want = plain.Run(source, target, reference::ShortestPath);
            ASSERT_EQ(got.error, want.error);
            ASSERT_EQ(got.path, want.path);
            ASSERT_EQ(got.nodes, want.nodes);
            ASSERT_EQ(got.calls, want.calls);
            overflows[dynamic_cast<TProbeNode*>(mine.nodes[0]) != nullptr] += !got.error.empty();
        }
    }
    // The overflow was really met, with the nodes written as the search goes and after it.
    EXPECT_GT(overflows[0], 10);
    EXPECT_GT(overflows[1], 10);
}

}  // namespace
