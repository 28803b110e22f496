#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "graph/ObjGraph.h"
#include "tests/graph/ReferenceShortestPath.h"

// g++ 12 at -O3 wrongly reports an overlapping copy (-Wrestrict) inside std::string where a
// string is added to a temporary one, as these tests do to build labels.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

namespace {

using TCallLog = std::vector<std::string>;
int gDestroyed = 0;  // destructions of every probe below

std::string Show(Real48 value) {
    std::ostringstream text;
    text.precision(17);  // a Real48 is exact in a double; 17 digits give it back
    text << static_cast<double>(value.ToExtended());
    return text.str();
}

// Both override a hook, and so declare that they observe the search.
class TProbeNode : public TGraphNode {
    DECLARE_CLASS()
public:
    TProbeNode(const std::string& caption, TCallLog* log)
        : TGraphNode(std::make_unique<TStringObj>(caption)), log_(log) {}
    ~TProbeNode() override { ++gDestroyed; }
    void Relaxed(TGraphNode* fromNode, Real48 weight) override {
        log_->push_back("R " + Caption->Text + " from " + fromNode->Caption->Text + " by " +
                        Show(weight) + " to " + Show(Distance));
    }

protected:
    explicit TProbeNode(TBlank blank) : TGraphNode(blank) {}

private:
    TCallLog* log_ = nullptr;
};

// Declares nothing of its own: it inherits the capability with the hook.
class TProbeSubNode : public TProbeNode {
    DECLARE_CLASS()
public:
    using TProbeNode::TProbeNode;

private:
    explicit TProbeSubNode(TBlank blank) : TProbeNode(blank) {}
};

class TProbeEdge : public TGraphEdge {
    DECLARE_CLASS()
public:
    TProbeEdge(TGraphNode* from, TGraphNode* to, std::string label, TCallLog* log)
        : TGraphEdge(from, to), Label(std::move(label)), log_(log) {}
    ~TProbeEdge() override { ++gDestroyed; }
    void Scanned(TGraphNode* fromNode) override {
        log_->push_back("S " + Label + " from " + fromNode->Caption->Text);
    }
    std::string Label;

private:
    explicit TProbeEdge(TBlank blank) : TGraphEdge(blank) {}
    TCallLog* log_ = nullptr;
};

}  // namespace

IMPLEMENT_SEARCH_OBSERVER_CLASS(TProbeNode, TGraphNode)
IMPLEMENT_SEARCH_OBSERVER_CLASS(TProbeEdge, TGraphEdge)
IMPLEMENT_CLASS(TProbeSubNode, TProbeNode)

namespace {

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

/// A graph drawn in text: nodes "ABC" in the order of Nodes, edges "A>B:1 B>C:2.5" in the
/// order of Edges, each edge labelled "A>B#i" with i its position in Edges.
struct TDrawnGraph {
    TCallLog log;
    TMathGraph graph;
    std::map<char, TGraphNode*> node;
    std::vector<TGraphEdge*> edge;

    TDrawnGraph(const std::string& nodes, const std::string& edges) {
        for (char name : nodes) graph.Nodes->Append(node[name] = new TProbeNode({name}, &log));
        std::istringstream words(edges);
        for (std::string word; words >> word;) {
            const std::string label = word.substr(0, 3) + "#" + std::to_string(edge.size());
            edge.push_back(new TProbeEdge(node[word[0]], node[word[2]], label, &log));
            edge.back()->Weight = Real48::FromExtended(std::stold(word.substr(4)));
            graph.Edges->Add(edge.back());
        }
    }
    std::string Path(char source, char target) {
        return Labels(graph, *graph.ShortestPath(node[source], node[target]));
    }
    /// The editor's Delete Node: refused while an edge starts or ends at the node.
    bool DeleteNode(char name) {
        graph.BuildOutEdges();
        if (node[name]->OutEdges->Count() != 0 || graph.IsEdgeTarget(node[name])) return false;
        return graph.Nodes->DeleteOccurrence(node[name], 1);
    }
    void DeleteEdge(int i) {
        graph.Edges->Remove(edge[static_cast<std::size_t>(i)]);
        delete edge[static_cast<std::size_t>(i)];
    }
};

struct TPathCase {
    const char *nodes, *edges, *query, *path;
    long double targetDistance;
};

void CheckPaths(const std::vector<TPathCase>& cases) {
    for (const TPathCase& c : cases) {
        SCOPED_TRACE(std::string(c.nodes) + " | " + c.edges + " | " + c.query);
        TDrawnGraph drawn(c.nodes, c.edges);
        EXPECT_EQ(drawn.Path(c.query[0], c.query[1]), c.path);
        EXPECT_EQ(drawn.node[c.query[1]]->Distance.ToExtended(), c.targetDistance);
    }
}

TEST(ShortestPath, TiesGoToTheEarlierNodeAndEdge) {
    CheckPaths({
        {"ABC", "A>B:1 B>C:1 A>C:3", "AC", "B>C#1 A>B#0", 2},
        {"ABC", "A>B:2 A>C:1 C>B:1", "AB", "A>B#0", 2},  // C>B does not improve on 2
        {"ABCD", "A>B:1 A>C:1 B>D:1 C>D:1", "AD", "B>D#2 A>B#0", 2},
        {"ACBD", "A>B:1 A>C:1 B>D:1 C>D:1", "AD", "C>D#3 A>C#1", 2},
        {"AB", "A>B:3 A>B:2", "AB", "A>B#1", 2},
        {"AB", "A>B:2 A>B:2", "AB", "A>B#0", 2},
    });
}

TEST(ShortestPath, LimitsOfTheSearch) {
    CheckPaths({
        {"AB", "A>B:100000", "AB", "", 100000},  // as far as unreached
        {"AB", "A>B:99999.5", "AB", "A>B#0", 99999.5},
        {"A", "", "AA", "", 0},
        {"AB", "A>B:1 B>A:1", "AA", "", 0},
        {"AB", "A>B:0", "AB", "A>B#0", 0},
        {"AB", "B>A:1", "AB", "", 100000},  // edges lead one way only
        // B>C lowers C by less than a double could tell: compared in extended precision.
        {"ABCD", "A>B:0x1.fffffffffep0 A>C:0x1.fffffffffep0 B>C:-0x1p-60 C>D:1", "AD",
         "C>D#3 B>C#2 A>B#0", 3},  // 3 - 2^-39, narrowed
        // C lowers B, already expanded, through a negative edge: B and C point at each other.
        {"ABCD", "A>B:1 B>C:1 C>B:-5 C>D:100", "AD", "C>D#3 B>C#1 C>B#2", 102},
    });
}

TEST(ShortestPath, HooksAreCalledAroundEachStore) {
    TDrawnGraph drawn("ABC", "A>B:1 B>C:1 A>C:3");
    drawn.Path('A', 'C');
    // C, reached at the bound, is not expanded: B>C is scanned once only.
    EXPECT_EQ(drawn.log,
              (TCallLog{"S A>B#0 from A", "S A>C#2 from A", "R B from A by 1 to 1",
                        "R C from A by 3 to 3", "S B>C#1 from B", "R C from B by 1 to 2"}));
}

TEST(ShortestPath, ASubclassOfAnObserverIsObservedToo) {
    TCallLog log;
    TMathGraph graph;
    auto* a = new TProbeSubNode("A", &log);
    auto* b = new TProbeSubNode("B", &log);
    graph.Nodes->Append(a);
    graph.Nodes->Append(b);
    graph.Edges->Add(new TGraphEdge(a, b));  // plain edges: only the nodes look
    graph.ShortestPath(a, b);
    EXPECT_EQ(log, TCallLog{"R B from A by 1 to 1"});
    EXPECT_FALSE(TObject::ClassObservesSearch(TGraphNode::StaticClass()));
}

TEST(ShortestPath, AnEndOutsideTheGraphChangesNothing) {
    TDrawnGraph drawn("AB", "A>B:2"), other("X", "");
    drawn.Path('A', 'B');
    other.Path('X', 'X');  // stamps X with a position of its own
    drawn.log.clear();
    TGraphNode *a = drawn.node['A'], *b = drawn.node['B'], *x = other.node['X'];
    for (auto [source, target] : {std::pair{a, x}, {x, b}, {nullptr, b}})
        EXPECT_EQ(drawn.graph.ShortestPath(source, target)->Count(), 0);
    EXPECT_EQ(b->Distance.ToExtended(), 2);
    EXPECT_EQ(b->PrevEdge, drawn.edge[0]);
    EXPECT_TRUE(drawn.log.empty());
}

TEST(ShortestPath, OverflowStopsTheSearchWithItsStoresInPlace) {
    TDrawnGraph drawn("ABC", "A>B:-1e38 B>C:-1e38");
    try {
        drawn.Path('A', 'C');
        FAIL() << "no overflow";
    } catch (const EOverflow& e) {
        EXPECT_STREQ(e.what(), "Floating point overflow");
    }
    EXPECT_EQ(drawn.node['B']->Distance, Real48::FromExtended(-1e38L));
    EXPECT_EQ(drawn.node['C']->Distance.ToExtended(), 100000);
    EXPECT_EQ(drawn.node['C']->PrevEdge, drawn.edge[1]);  // set before the failing store
}

// ----------------------------------------------------------------------------

TEST(GraphEditing, ANodeIsDeletedOnlyWithoutEdges) {
    TDrawnGraph drawn("ABC", "A>B:1 B>C:1");
    EXPECT_FALSE(drawn.DeleteNode('A') || drawn.DeleteNode('B') || drawn.DeleteNode('C'));
    EXPECT_FALSE(drawn.graph.IsEdgeTarget(drawn.node['A']));  // only an edge's start
    drawn.DeleteEdge(0);
    drawn.DeleteEdge(1);
    EXPECT_TRUE(drawn.DeleteNode('A') && drawn.DeleteNode('B') && drawn.DeleteNode('C'));
}

TEST(GraphEditing, OutEdgesFollowTheOrderOfEdges) {
    TDrawnGraph drawn("AB", "A>B:1 B>A:1 A>B:1");
    drawn.graph.BuildOutEdges();
    EXPECT_EQ(Labels(drawn.graph, *drawn.node['A']->OutEdges), "A>B#0 A>B#2");
    drawn.DeleteEdge(0);
    drawn.graph.BuildOutEdges();
    EXPECT_EQ(Labels(drawn.graph, *drawn.node['A']->OutEdges), "A>B#2");
}

TEST(EdgeList, TakesOnlyEdgesAndCountsFromZero) {
    TEdgeList list;
    TGraphNode node(std::make_unique<TStringObj>("A"));
    TGraphEdge first(&node, &node), second(&node, &node);
    list.Add(&node);
    list.Add(nullptr);
    EXPECT_EQ(list.Count(), 0);  // refused without a word
    list.Add(&first);
    list.Add(&second);
    EXPECT_EQ(list.Get(1), &second);
    EXPECT_EQ(first.GetWeight().ToExtended(), 1);
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
    list.Insert(0, &second);
    list.Insert(2, &second);
    list.Insert(1, &node);  // refused like Add
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(1), &first);
    list.Delete(0);
    EXPECT_EQ(list.Get(0), &first);
    EXPECT_THROW(list.Insert(3, &first), EListError);
    EXPECT_THROW(list.Delete(2), EListError);
    EXPECT_EQ(list.Count(), 2);
}

TEST(GraphOwnership, TheGraphDestroysWhatItOwnsOnce) {
    gDestroyed = 0;
    auto drawn = std::make_unique<TDrawnGraph>("AB", "A>B:1");
    drawn->Path('A', 'B');  // the result holds the edge but does not own it
    EXPECT_EQ(gDestroyed, 0);
    drawn->node['A']->Caption = std::make_unique<TProbeText>("A");
    drawn->node['B']->OutEdges = std::make_unique<TProbeEdgeList>();
    drawn->graph.Matrix = std::make_unique<TProbeArray>();
    drawn->graph.Matrix->Add(new TInteger(7));
    drawn->graph.Nodes->DeleteOccurrence(drawn->node['A'], 1);
    EXPECT_EQ(gDestroyed, 2);  // node A and its caption
    drawn.reset();
    EXPECT_EQ(gDestroyed, 2 + 4);  // node B, its OutEdges list, the edge, the matrix
}

TEST(GraphOwnership, BlankInstancesHoldNothingAndStaySafe) {
    for (TClassRef cls :
         {TGraphNode::StaticClass(), TMathGraph::StaticClass(), TInteger::StaticClass(),
          TNodeList::StaticClass(), TStringObj::StaticClass(), TGraphEdge::StaticClass()}) {
        std::unique_ptr<TObject> blank(cls->createBlank());
        EXPECT_STREQ(blank->ClassName(), cls->name);
    }
    std::unique_ptr<TObject> object(TMathGraph::StaticClass()->createBlank());
    auto* graph = static_cast<TMathGraph*>(object.get());
    EXPECT_TRUE(!graph->Matrix && !graph->Nodes && !graph->Edges);
    graph->BuildOutEdges();
    EXPECT_EQ(graph->ShortestPath(nullptr, nullptr)->Count(), 0);
    object.reset(TGraphNode::StaticClass()->createBlank());
    auto* node = static_cast<TGraphNode*>(object.get());
    EXPECT_TRUE(!node->Caption && !node->OutEdges && !node->PrevEdge);
}

// ----------------------------------------------------------------------------
// The heap against the plain scan

// Ties, zero, the limit, negatives, sums that overflow, 2 - 2^-39 with -2^-60, and the
// smallest and largest magnitudes.
constexpr long double kCommonWeights[] = {0, 1, 1, 2, 2, 3, 0.5, 0.1};
constexpr long double kRareWeights[] = {-1,
                                        -2.5,
                                        99999.5,
                                        100000,
                                        60000,
                                        1e38L,
                                        -1e38L,
                                        -1.5e38L,
                                        0x1p-128L,
                                        -0x1p-60L,
                                        0x1.fffffffffep0L,
                                        -0x1.fffffffffep126L};

/// Nodes n0.., edges e0.. at random; a third of the graphs have only plain nodes and
/// edges, whose hooks do nothing, so that nobody can watch the search.
struct TRandomGraph {
    TCallLog log;
    TMathGraph graph;
    std::vector<TGraphNode*> nodes;
    bool hooked;

    explicit TRandomGraph(unsigned seed) {
        std::mt19937 random(seed);
        const int n = 1 + static_cast<int>(random() % 9);
        const int m = static_cast<int>(random() % (3 * n + 1));
        hooked = random() % 3 != 0;
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
                                                                  : kRareWeights[random() % 12]);
            // A zero exponent byte means 0 whatever follows, as a file may hold it.
            if (random() % 50 == 0) edge->Weight = Real48::FromBytes({0, 1, 2, 3, 4, 0x85});
            graph.Edges->Add(edge);
        }
    }

    /// Moves the ends of an edge and drops the first node, with the edges at it: the
    /// positions that the last search saw no longer hold.
    void Edit(std::mt19937& random) {
        if (graph.Edges->Count() > 0) {
            TGraphEdge* edge =
                graph.Edges->Get(static_cast<int>(random() % 1000) % graph.Edges->Count());
            edge->FromNode = nodes[random() % nodes.size()];
            edge->ToNode = nodes[random() % nodes.size()];
        }
        if (nodes.size() < 2) return;
        for (int i = graph.Edges->Count() - 1; i >= 0; --i) {
            TGraphEdge* edge = graph.Edges->Get(i);
            if (edge->FromNode != nodes[0] && edge->ToNode != nodes[0]) continue;
            graph.Edges->Remove(edge);
            delete edge;
        }
        graph.Nodes->DeleteOccurrence(nodes[0], 1);
        nodes.erase(nodes.begin());
    }

    /// One change of a kind that a search made before must see: none, a weight, an end,
    /// a node given another OutEdges list or its list changed, a node or an edge added,
    /// the node list's marker moved.
    void ChangeOneThing(std::mt19937& random) {
        TGraphNode* node = nodes[random() % nodes.size()];
        TGraphEdge* edge = graph.Edges->Count() > 0 ? graph.Edges->Get(0) : nullptr;
        switch (random() % 8) {
            case 1:
                if (edge != nullptr) edge->Weight = Real48::FromExtended(random() % 4);
                break;
            case 2:
                if (edge != nullptr) edge->ToNode = node;
                break;
            case 3:
                std::swap(node->OutEdges, nodes.front()->OutEdges);
                break;
            case 4:
                if (edge != nullptr) node->OutEdges->Add(edge);
                break;
            case 5:
                nodes.push_back(new TGraphNode(std::make_unique<TStringObj>("extra")));
                graph.Nodes->Append(nodes.back());
                break;
            case 6:
                graph.Edges->Add(new TGraphEdge(node, nodes.front()));
                break;
            case 7:
                graph.Nodes->First();
                break;
        }
    }

    /// The error, the path, each node's Distance, PrevEdge and OutEdges, and the hook calls.
    template <class Search>
    std::vector<std::string> Run(std::size_t source, std::size_t target, Search search) {
        log.clear();
        std::vector<std::string> outcome;
        try {
            outcome.push_back(Labels(graph, *search(graph, nodes[source], nodes[target])));
        } catch (const Exception& e) {
            outcome.push_back(e.what());
        }
        for (TGraphNode* node : nodes)
            outcome.push_back(Show(node->Distance) + " " + Label(graph, node->PrevEdge) + " [" +
                              Labels(graph, *node->OutEdges) + "]");
        outcome.insert(outcome.end(), log.begin(), log.end());
        return outcome;
    }
};

TEST(ShortestPathDifferential, MatchesThePlainScanStoreForStore) {
    const auto heap = [](TMathGraph& g, TGraphNode* s, TGraphNode* t) {
        return g.ShortestPath(s, t);
    };
    int overflows[2] = {0, 0};  // without and with hooks
    for (unsigned seed = 1; seed <= 4000; ++seed) {
        TRandomGraph mine(seed), plain(seed);
        std::mt19937 random(~seed);
        // Two searches in a row, the graph edited in between: the second starts from what
        // the first left behind.
        for (int query = 0; query < 2; ++query) {
            if (query > 0) {
                std::mt19937 edit(seed);
                mine.Edit(edit);
                edit.seed(seed);
                plain.Edit(edit);
            }
            const std::size_t source = random() % mine.nodes.size();
            const std::size_t target = random() % mine.nodes.size();
            const auto got = mine.Run(source, target, heap);
            ASSERT_EQ(got, plain.Run(source, target, reference::ShortestPath))
                << "seed " << seed << ", query " << query;
            overflows[mine.hooked] += got[0] == "Floating point overflow";
        }
    }
    EXPECT_GT(overflows[0], 10);  // the overflow was really met, in both ways of storing
    EXPECT_GT(overflows[1], 10);
}

/// Six searches on the graph of seed, each after one change; the outcomes and where the
/// marker of the nodes ended.
template <class Search>
std::vector<std::string> SearchesWithChanges(unsigned seed, Search search) {
    TRandomGraph graph(seed);
    std::mt19937 random(~seed);
    std::vector<std::string> outcomes;
    for (int query = 0; query < 6; ++query) {
        std::mt19937 change(seed * 7 + static_cast<unsigned>(query));
        if (query > 0) graph.ChangeOneThing(change);
        const std::size_t source = random() % graph.nodes.size();
        const std::size_t target = random() % graph.nodes.size();
        const auto outcome = graph.Run(source, target, search);
        outcomes.insert(outcomes.end(), outcome.begin(), outcome.end());
        // The marker is where a walk over the nodes leaves it.
        outcomes.push_back(
            static_cast<TGraphNode*>(graph.graph.Nodes->GetCurrent())->Caption->Text);
    }
    return outcomes;
}

// A graph searched again, unchanged, may be searched with what the search built the last
// time: every change in between must show in the next result. Each graph's searches run
// one after another, with no other list made or changed in between.
TEST(ShortestPathDifferential, RepeatedSearchesSeeEveryChangeInBetween) {
    const auto heap = [](TMathGraph& g, TGraphNode* s, TGraphNode* t) {
        return g.ShortestPath(s, t);
    };
    for (unsigned seed = 1; seed <= 1500; ++seed)
        ASSERT_EQ(SearchesWithChanges(seed, heap),
                  SearchesWithChanges(seed, reference::ShortestPath))
            << "seed " << seed;
}

}  // namespace
