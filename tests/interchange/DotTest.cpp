// DOT read through Graphviz's parser: labels as Graphviz shows them, positions, weights,
// and files it cannot read or that would take it too deep.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "fuzz/MemoryPeak.h"
#include "interchange/Dot.h"
#include "tests/MessageOf.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

TGraphDocument Read(const std::string& text) {
    TWarnings warnings;
    return ReadDot(text, warnings);
}

std::string ErrorOf(const std::string& text) {
    return MessageOf<EFormatError>([&] { Read(text); });
}

}  // namespace

TEST(ReadDot, LabelsPositionsAndWeightsAsGraphvizReadsThem) {
    const TGraphDocument document = Read(R"(digraph Roads {
        node [shape=box];
        a [label="one\ntwo \N &amp; &#233; \\ \"q\"", pos="10.5,-20!"];
        b;
        c [label="", pos="1,2,3"];
        d [label="\G"];
        a -> b [weight=2.5, label="9"];
        b -> c [label="7"];
        c -> d [label="heavy"];
        a -> b;
        subgraph cluster_x { d -> a [weight="1e-3"] }
    })");
    TGraphDocument expected;
    expected.Nodes = {Node("one\ntwo a & é \\ \"q\"", TPosition{11, -20}), Node("b"),
                      Node("", TPosition{1, 2}), Node("Roads")};
    expected.Edges = {Edge(0, 1, 2.5), Edge(1, 2, 7), Edge(2, 3), Edge(0, 1), Edge(3, 0, 1e-3L)};
    ExpectSameGraph(expected, document);
}

TEST(ReadDot, UndirectedStrictAndLatin1Graphs) {
    TGraphDocument both;
    both.Nodes = {Node("a"), Node("b")};
    both.Edges = {Edge(0, 1, 3), Edge(1, 0, 3), Edge(1, 1)};
    ExpectSameGraph(both, Read("graph { a -- b [weight=3]; b -- b }"));
    EXPECT_EQ(Read("strict digraph { a -> b; a -> b }").Edges.size(), 1u);
    EXPECT_EQ(Read("digraph { charset=latin1; a [label=\"caf\xE9\"] }").Nodes[0].Caption, "café");
}

TEST(ReadDot, WhereAndWhatIsWrong) {
    EXPECT_EQ(ErrorOf("digraph {\n a -> ;\n}"), "syntax error in line 2 near ';'");
    EXPECT_EQ(ErrorOf(""), "there is no graph in the file");
    EXPECT_EQ(ErrorOf(std::string("digraph {\n a [label=\"x\0y\"] }", 28)), "line 2: a NUL byte");
    EXPECT_EQ(ErrorOf("digraph { a -> b [weight=heavy] }"),
              "edge \"a\" -> \"b\": weight \"heavy\" is not a number");
    EXPECT_EQ(ErrorOf("digraph { a [pos=\"1;2\"] }"), "node \"a\": pos \"1;2\" is not a point");
    EXPECT_EQ(ErrorOf("digraph { a [label=\"\xE9\"] }"), "node \"a\": the label is not UTF-8");
    // The parser has no state left over from a file it refused.
    EXPECT_EQ(Read("digraph { x -> y }").Edges.size(), 1u);
}

TEST(ReadDot, DeepNestingIsRefusedFastInBoundedMemory) {
    const int depth = 100000;
    const std::string text =
        "digraph {" + std::string(depth, '{') + "a" + std::string(depth, '}') + "}";
    const auto start = std::chrono::steady_clock::now();
    std::string message;
    const std::size_t peak = MemoryPeakDuring([&] { message = ErrorOf(text); });
    EXPECT_EQ(message, "line 1: subgraphs nested more than 1000 deep");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_LT(peak, 10 * text.size());
    // As deep as allowed is read, in braces and in subgraphs.
    EXPECT_EQ(Read("digraph {" + std::string(1000, '{') + "a" + std::string(1000, '}') + "}")
                  .Nodes.size(),
              1u);
    std::string subgraphs = "digraph {";
    for (int i = 0; i < 999; ++i) subgraphs += "subgraph s" + std::to_string(i) + " {";
    EXPECT_EQ(Read(subgraphs + "a -> b" + std::string(1000, '}')).Edges.size(), 1u);
}

TEST(WriteDot, PinnedPositionsAndWeightsAsDotNumbers) {
    TGraphDocument document;
    document.Nodes = {Node("a \"1\"", TPosition{10, -20}), Node("b&\\")};
    document.Edges = {Edge(0, 1, 2.5), Edge(1, 0, std::ldexp(1.0L, -20)), Edge(1, 1, -3)};
    TWarnings warnings;
    EXPECT_EQ(WriteDot(document, warnings),
              "digraph G {\n"
              "    n1 [label=\"a \\\"1\\\"\", pos=\"10,-20!\"];\n"
              "    n2 [label=\"b&#38;\\\\\"];\n"
              "    n1 -> n2 [weight=2.5];\n"
              "    n2 -> n1 [weight=\"9.5367431640625e-07\"];\n"
              "    n2 -> n2 [weight=-3];\n"
              "}\n");
}
