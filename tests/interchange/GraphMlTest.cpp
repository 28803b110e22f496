// GraphML as NetworkX, Gephi and yEd write it, read and refused.
#include <gtest/gtest.h>

#include <chrono>

#include "fuzz/MemoryPeak.h"
#include "interchange/GraphMl.h"
#include "tests/MessageOf.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

TGraphDocument Read(const std::string& text) {
    TWarnings warnings;
    return ReadGraphMl(text, warnings);
}

std::string ErrorOf(const std::string& text) {
    return MessageOf<EFormatError>([&] { Read(text); });
}

// A file as yEd writes it, by its published schema (ygraphml.xsd): a shape node, a node
// whose label has no text, a group with a graph of its own, labelled edges.
const char* const kYed = R"(<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns" xmlns:java="http://www.yworks.com/xml/yfiles-common/1.0/java" xmlns:sys="http://www.yworks.com/xml/yfiles-common/markup/primitives/2.0" xmlns:x="http://www.yworks.com/xml/yfiles-common/markup/2.0" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:y="http://www.yworks.com/xml/graphml" xmlns:yed="http://www.yworks.com/xml/yed/3" xsi:schemaLocation="http://graphml.graphdrawing.org/xmlns http://www.yworks.com/xml/schema/graphml/1.1/ygraphml.xsd">
  <key attr.name="Description" attr.type="string" for="graph" id="d0"/>
  <key for="port" id="d1" yfiles.type="portgraphics"/>
  <key attr.name="url" attr.type="string" for="node" id="d3"/>
  <key attr.name="description" attr.type="string" for="node" id="d4"/>
  <key for="node" id="d5" yfiles.type="nodegraphics"/>
  <key for="graphml" id="d6" yfiles.type="resources"/>
  <key for="edge" id="d9" yfiles.type="edgegraphics"/>
  <graph edgedefault="directed" id="G">
    <data key="d0"/>
    <node id="n0">
      <data key="d5">
        <y:ShapeNode>
          <y:Geometry height="30.0" width="30.0" x="100.0" y="200.0"/>
          <y:Fill color="#FFCC00" transparent="false"/>
          <y:BorderStyle color="#000000" type="line" width="1.0"/>
          <y:NodeLabel alignment="center" autoSizePolicy="content" fontFamily="Dialog" fontSize="12" fontStyle="plain" hasBackgroundColor="false" hasLineColor="false" height="18.1" modelName="custom" textColor="#000000" visible="true" width="31.0" x="-0.5" y="5.9">Start<y:LabelModel><y:SmartNodeLabelModel distance="4.0"/></y:LabelModel><y:ModelParameter><y:SmartNodeLabelModelParameter labelRatioX="0.0" labelRatioY="0.0" nodeRatioX="0.0" nodeRatioY="0.0" offsetX="0.0" offsetY="0.0" upX="0.0" upY="-1.0"/></y:ModelParameter></y:NodeLabel>
          <y:Shape type="ellipse"/>
        </y:ShapeNode>
      </data>
    </node>
    <node id="n1">
      <data key="d4"><![CDATA[not a label]]></data>
      <data key="d5">
        <y:ShapeNode>
          <y:Geometry height="40.0" width="61.0" x="-20.5" y="0.0"/>
          <y:NodeLabel hasText="false" visible="true"/>
        </y:ShapeNode>
      </data>
    </node>
    <node id="n2" yfiles.foldertype="group">
      <data key="d5">
        <y:ProxyAutoBoundsNode>
          <y:Realizers active="0">
            <y:GroupNode>
              <y:Geometry height="83.0" width="110.0" x="300.0" y="100.5"/>
              <y:NodeLabel alignment="right" modelName="internal" modelPosition="t">Z&#252;rich &amp; more</y:NodeLabel>
              <y:Shape type="roundrectangle"/>
            </y:GroupNode>
          </y:Realizers>
        </y:ProxyAutoBoundsNode>
      </data>
      <graph edgedefault="directed" id="n2:">
        <node id="n2::n0">
          <data key="d5"><y:ShapeNode><y:Geometry height="30.0" width="30.0" x="315.0" y="140.0"/><y:NodeLabel>inner</y:NodeLabel></y:ShapeNode></data>
        </node>
      </graph>
    </node>
    <edge id="e0" source="n0" target="n1">
      <data key="d9">
        <y:PolyLineEdge>
          <y:Path sx="0.0" sy="0.0" tx="0.0" ty="0.0"/>
          <y:LineStyle color="#000000" type="line" width="1.0"/>
          <y:Arrows source="none" target="standard"/>
          <y:EdgeLabel alignment="center" distance="2.0" fontFamily="Dialog" fontSize="12">2.5</y:EdgeLabel>
          <y:BendStyle smoothed="false"/>
        </y:PolyLineEdge>
      </data>
    </edge>
    <edge id="e1" source="n1" target="n2::n0">
      <data key="d9"><y:PolyLineEdge><y:EdgeLabel>a road</y:EdgeLabel></y:PolyLineEdge></data>
    </edge>
  </graph>
  <data key="d6"><y:Resources/></data>
</graphml>
)";

}  // namespace

TEST(ReadGraphMl, YedLabelsAndTheCentresOfItsBoxes) {
    TGraphDocument expected;
    expected.Nodes = {Node("Start", TPosition{115, 215}), Node("n1", TPosition{10, 20}),
                      Node("Zürich & more", TPosition{355, 142}),
                      Node("inner", TPosition{330, 155})};
    expected.Edges = {Edge(0, 1, 2.5), Edge(1, 3)};
    ExpectSameGraph(expected, Read(kYed));
}

TEST(ReadGraphMl, DataByAttributeNameWithDefaultsAndUndirectedEdges) {
    TWarnings warnings;
    const TGraphDocument document = ReadGraphMl(R"(<?xml version="1.0"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns">
  <key id="d0" for="node" attr.name="label" attr.type="string"/>
  <key id="d1" for="edge" attr.name="weight" attr.type="double"><default>2.5</default></key>
  <key id="d2" for="node" attr.name="X" attr.type="double"/>
  <key id="y" for="node" attr.type="double"/>
  <graph edgedefault="undirected">
    <node id="a"><data key="d0"></data><data key="d2">1.5</data><data key="y">-2.5</data></node>
    <node id="b"><data key="d0">  </data></node>
    <node id="c"/>
    <edge source="a" target="b"/>
    <edge source="c" target="c"><data key="d1">4</data></edge>
    <edge source="b" target="c" directed="true"><data key="d1">1e-3</data></edge>
    <hyperedge><endpoint node="a"/><endpoint node="b"/><endpoint node="c"/></hyperedge>
  </graph>
</graphml>)",
                                                warnings);
    TGraphDocument expected;
    expected.Nodes = {Node("", TPosition{2, -3}), Node("  "), Node("c")};
    expected.Edges = {Edge(0, 1, 2.5), Edge(1, 0, 2.5), Edge(2, 2, 4), Edge(1, 2, 1e-3L)};
    ExpectSameGraph(expected, document);
    EXPECT_EQ(warnings.Lines(),
              std::vector<std::string>{"hyperedges left out: 1 (first: line 14)"});
}

TEST(ReadGraphMl, WhereAndWhatIsWrong) {
    const std::string head =
        "<graphml><key id=\"w\" for=\"edge\" attr.name=\"weight\"/>\n<graph>\n";
    EXPECT_EQ(ErrorOf("<gexf/>"), "line 1: the root element is <gexf>, not <graphml>");
    EXPECT_EQ(ErrorOf("<graphml>\n<key id=\"a\"/>\n</graphml>"),
              "line 1: there is no <graph> in <graphml>");
    EXPECT_EQ(ErrorOf(head + "<node id=\"a\"/>\n<node/></graph></graphml>"),
              "line 4: a node has no id");
    EXPECT_EQ(ErrorOf(head + "<node id=\"a\"/>\n<node id=\"a\"/></graph></graphml>"),
              "line 4: node \"a\" appears twice");
    EXPECT_EQ(
        ErrorOf(head + "<edge source=\"a\" target=\"z\"/>\n<node id=\"a\"/></graph></graphml>"),
        "line 3: edge \"a\" -> \"z\": no node \"z\"");
    EXPECT_EQ(
        ErrorOf(head + "<node id=\"a\"/>\n<edge source=\"a\" target=\"a\"><data key=\"w\">heavy"
                       "</data></edge></graph></graphml>"),
        "line 4, edge \"a\" -> \"a\": weight \"heavy\" is not a number");
    EXPECT_EQ(ErrorOf(head + "<node id=\"a\">\n</graph></graphml>"),
              "line 4: not well-formed XML (Start-end tags mismatch)");
    EXPECT_EQ(ErrorOf("<graphml><key id=\"l\" for=\"node\" attr.name=\"label\"/><graph>\n"
                      "<node id=\"a\"><data key=\"l\">\xE9</data></node></graph></graphml>"),
              "line 2, node \"a\": the label is not UTF-8");
}

TEST(ReadGraphMl, GroupsNestedDeepAreReadFastInBoundedMemory) {
    const int depth = 100000;
    std::string text = "<graphml><graph>";
    for (int i = 0; i < depth; ++i) text += "<node id=\"g" + std::to_string(i) + "\"><graph>";
    for (int i = 0; i < depth; ++i) text += "</graph></node>";
    text += "</graph></graphml>";
    const auto start = std::chrono::steady_clock::now();
    std::size_t nodes = 0;
    const std::size_t peak = MemoryPeakDuring([&] { nodes = Read(text).Nodes.size(); });
    EXPECT_EQ(nodes, static_cast<std::size_t>(depth));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_LT(peak, 40 * text.size()) << "file " << text.size() << " bytes";
}

TEST(WriteGraphMl, KeysOfNetworkxAndGephiAndCharactersXmlCannotHold) {
    TGraphDocument document;
    document.Nodes = {Node("a\x01<b>", TPosition{1, -2}), Node("c")};
    document.Edges = {Edge(0, 1, 0.5)};
    TWarnings warnings;
    const std::string text = WriteGraphMl(document, warnings);
    EXPECT_NE(
        text.find("<key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>"),
        std::string::npos);
    EXPECT_NE(
        text.find("<node id=\"n1\"><data key=\"label\">a?&lt;b&gt;</data><data key=\"x\">1</data>"
                  "<data key=\"y\">-2</data></node>"),
        std::string::npos);
    EXPECT_NE(
        text.find("<edge id=\"e1\" source=\"n1\" target=\"n2\"><data key=\"weight\">0.5</data>"),
        std::string::npos);
    EXPECT_EQ(warnings.Lines(), std::vector<std::string>{
                                    "characters that XML cannot hold written as \"?\": 1 (first: "
                                    "node \"a?<b>\")"});
}
