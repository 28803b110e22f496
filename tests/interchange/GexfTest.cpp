// GEXF 1.2 and 1.3 read; the writer's output is read back in FormatsTest and by NetworkX.
#include <gtest/gtest.h>

#include "interchange/Gexf.h"
#include "tests/MessageOf.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

TGraphDocument Read(const std::string& text) {
    TWarnings warnings;
    return ReadGexf(text, warnings);
}

}  // namespace

TEST(ReadGexf, LabelsPositionsWeightsAndEdgeKinds) {
    const TGraphDocument document = Read(R"(<?xml version="1.0" encoding="UTF-8"?>
<gexf xmlns="http://gexf.net/1.3" xmlns:viz="http://gexf.net/1.3/viz" version="1.3">
  <meta lastmodifieddate="2024-01-01"><creator>Gephi 0.10</creator></meta>
  <graph defaultedgetype="undirected" mode="static">
    <attributes class="node"><attribute id="0" title="kind" type="string"/></attributes>
    <nodes>
      <node id="0" label="Alpha">
        <attvalues><attvalue for="0" value="x"/></attvalues>
        <viz:size value="10.0"/>
        <viz:position x="-12.5" y="40.4" z="0.0"/>
        <viz:color r="0" g="0" b="0"/>
      </node>
      <node id="1" label=""/>
      <node id="2">
        <nodes><node id="2.1" label="inner"/></nodes>
      </node>
    </nodes>
    <edges>
      <edge id="0" source="0" target="1" weight="2.5"/>
      <edge id="1" source="1" target="2" type="directed"/>
      <edge id="2" source="2" target="2.1" type="mutual" weight="-1"/>
    </edges>
  </graph>
</gexf>)");
    TGraphDocument expected;
    expected.Nodes = {Node("Alpha", TPosition{-13, 40}), Node(""), Node("2"), Node("inner")};
    expected.Edges = {Edge(0, 1, 2.5), Edge(1, 0, 2.5), Edge(1, 2), Edge(2, 3, -1), Edge(3, 2, -1)};
    ExpectSameGraph(expected, document);
}

TEST(ReadGexf, WhereAndWhatIsWrong) {
    auto error = [](const std::string& text) {
        return MessageOf<EFormatError>([&] { Read(text); });
    };
    EXPECT_EQ(error("<graphml/>"), "line 1: the root element is <graphml>, not <gexf>");
    EXPECT_EQ(error("<gexf>\n<graph><nodes><node id=\"a\">\n<viz:position x=\"1\"/></node></nodes>"
                    "</graph></gexf>"),
              "line 2, node \"a\": a position lacks its x or y");
    EXPECT_EQ(error("<gexf><graph><nodes><node id=\"a\"/></nodes>\n<edges><edge source=\"a\" "
                    "target=\"b\"/></edges></graph></gexf>"),
              "line 2: edge \"a\" -> \"b\": no node \"b\"");
    EXPECT_EQ(error("<gexf><graph><nodes><node id=\"a\"/></nodes><edges>\n<edge source=\"a\" "
                    "target=\"a\" weight=\"1e400\"/></edges></graph></gexf>"),
              "line 2, edge \"a\" -> \"a\": Floating point overflow");
}
