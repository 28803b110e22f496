// Edge lists as spreadsheets, Gephi and NetworkX write them.
#include <gtest/gtest.h>

#include "interchange/Csv.h"
#include "tests/MessageOf.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

TGraphDocument Read(const std::string& text) {
    TWarnings warnings;
    return ReadCsv(text, warnings);
}

std::string ErrorOf(const std::string& text) {
    return MessageOf<EFormatError>([&] { Read(text); });
}

}  // namespace

TEST(ReadCsv, QuotedFieldsHeaderOfAnyCaseByteOrderMarkAndMissingWeights) {
    const TGraphDocument document = Read(
        "\xEF\xBB\xBFSource,Target,Weight\r\n"
        "\"a,1\",b,2.5\r\n"
        "b,\"c \"\"q\"\"\nnext\",\r\n"
        "\r\n"
        "\"c \"\"q\"\"\nnext\",\"a,1\"\r\n"
        "b,b, -3 \r\n");
    TGraphDocument expected;
    expected.Nodes = {Node("a,1"), Node("b"), Node("c \"q\"\nnext")};
    expected.Edges = {Edge(0, 1, 2.5), Edge(1, 2), Edge(2, 0), Edge(1, 1, -3)};
    ExpectSameGraph(expected, document);
}

TEST(ReadCsv, ColumnsByNameInGephisEdgeTable) {
    const TGraphDocument document = Read(
        "Source,Target,Type,Id,Label,timeset,Weight\n"
        "x,y,Undirected,0,,,3\n"
        "y,z,Directed,1,,,\n");
    TGraphDocument expected;
    expected.Nodes = {Node("x"), Node("y"), Node("z")};
    expected.Edges = {Edge(0, 1, 3), Edge(1, 0, 3), Edge(1, 2)};
    ExpectSameGraph(expected, document);
}

TEST(ReadCsv, NetworkxEdgeListWithoutHeader) {
    TGraphDocument expected;
    expected.Nodes = {Node("1"), Node("2"), Node("3")};
    expected.Edges = {Edge(0, 1, 0.5), Edge(1, 2, 1e-3L), Edge(2, 0)};
    ExpectSameGraph(expected, Read("1,2,0.5\n2,3,0.001\n3,1\n"));
}

TEST(ReadCsv, WhereAndWhatIsWrong) {
    EXPECT_EQ(ErrorOf("a,b\na,b,1,2\n"),
              "line 2: 4 fields: a row holds a source, a target and perhaps a weight");
    EXPECT_EQ(ErrorOf("a\n"),
              "line 1: 1 field: a row holds a source, a target and perhaps a weight");
    EXPECT_EQ(ErrorOf("source,target,weight\na,b,1\n\"x\ny,z\n"),
              "line 3: a quoted field is not closed");
    EXPECT_EQ(ErrorOf("\"a\nb\",c\n\"d\"e,f\n"), "line 3: text after a closing quote");
    EXPECT_EQ(ErrorOf("a,b\n\"c\n\",d,heavy\n"), "line 2: weight \"heavy\" is not a number");
    EXPECT_EQ(ErrorOf("a,b,1e39\n"), "line 1: Floating point overflow");
    EXPECT_EQ(ErrorOf("a,b\n\xE9t\xE9,b\n"), "line 2: the text is not UTF-8");
}

TEST(WriteCsv, SaysWhatAnEdgeListCannotHold) {
    TGraphDocument document;
    document.Nodes = {Node("a", TPosition{1, 2}), Node("b"), Node("a"), Node("lonely")};
    document.Edges = {Edge(0, 1, 2.5), Edge(1, 2)};
    TWarnings warnings;
    EXPECT_EQ(WriteCsv(document, warnings), "source,target,weight\r\na,b,2.5\r\nb,a,1\r\n");
    EXPECT_EQ(warnings.Lines(),
              (std::vector<std::string>{
                  "positions left out: 1 (first: node \"a\")",
                  "nodes that share a caption, read back as one: 1 (first: node \"a\")",
                  "nodes without edges left out: 1 (first: node \"lonely\")"}));
}
