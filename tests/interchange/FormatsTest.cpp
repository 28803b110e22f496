// Every format reads back what it writes, on random graphs with awkward captions, every
// kind of weight, loops and parallel edges; and finds formats by extension.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "interchange/Formats.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

// Markup, escapes, quotes, separators, blanks, line breaks and characters of one to
// four UTF-8 bytes: whatever a writer must escape and a reader must undo.
const std::vector<std::string> kPieces = {
    "a", "Z", " ", "&", "&amp;", "<",  ">",  "\"", "'", ",",    "\\", "\\N",    "\\n",
    "#", "{", "}", ";", "\n",    "\r", "\t", "é",  "€", "日本", "𝄞",  "\u0081", "x y"};

std::string RandomCaption(std::mt19937& random) {
    std::string caption;
    const int pieces = static_cast<int>(random() % 5);
    for (int i = 0; i < pieces; ++i) caption += kPieces[random() % kPieces.size()];
    return caption;
}

Real48 RandomWeight(std::mt19937& random) {
    switch (random() % 5) {
        case 0:
            return Real48::FromExtended(static_cast<long double>(random() % 100));
        case 1:
            return Real48::FromExtended(std::ldexp(static_cast<long double>(random()), -40));
        case 2:
            return Real48::FromExtended(-std::ldexp(static_cast<long double>(random()), 80));
        case 3:
            return Real48::FromExtended((static_cast<long double>(random()) - 2e9L) / 7);
        default:
            return Real48::FromExtended(std::ldexp(1.0L, static_cast<int>(random() % 254) - 127));
    }
}

TGraphDocument RandomDocument(std::mt19937& random, bool positions) {
    TGraphDocument document;
    const int nodes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < nodes; ++i) {
        std::optional<TPosition> at;
        if (positions)
            at = TPosition{static_cast<std::int32_t>(random()),
                           -static_cast<std::int32_t>(random() % 1000)};
        document.Nodes.push_back({"id" + std::to_string(i), RandomCaption(random), at});
    }
    const int edges = static_cast<int>(random() % 12);
    for (int k = 0; k < edges; ++k)  // loops and parallel edges too
        document.Edges.push_back({static_cast<int>(random() % nodes),
                                  static_cast<int>(random() % nodes), RandomWeight(random)});
    return document;
}

TGraphDocument ThroughFile(const TGraphDocument& document, TFileFormat format) {
    TWarnings warnings;
    const std::string bytes = EncodeDocument(document, format, warnings);
    EXPECT_TRUE(warnings.Empty()) << bytes;
    return DecodeDocument(bytes, format, warnings);
}

}  // namespace

TEST(FormatRoundTrip, EveryFormatButCsvReadsBackWhatItWrote) {
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    for (int round = 0; round < 300; ++round) {
        const TGraphDocument document = RandomDocument(random, round % 3 != 0);
        for (TFileFormat format :
             {TFileFormat::GraphMl, TFileFormat::Gexf, TFileFormat::Dot, TFileFormat::Json}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) +
                         ", format " + std::to_string(static_cast<int>(format)));
            ExpectSameGraph(document, ThroughFile(document, format));
        }
    }
}

TEST(FormatRoundTrip, CsvKeepsEveryEdgeWithItsEndsCaptionsAndWeight) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        TGraphDocument document = RandomDocument(random, false);
        // An edge list can hold no node without edges, nor two nodes of one caption.
        for (std::size_t i = 0; i < document.Nodes.size(); ++i)
            document.Nodes[i].Caption += "#" + std::to_string(i);
        TWarnings warnings;
        const TGraphDocument back = DecodeDocument(
            EncodeDocument(document, TFileFormat::Csv, warnings), TFileFormat::Csv, warnings);
        ASSERT_EQ(back.Edges.size(), document.Edges.size()) << "round " << round;
        for (std::size_t k = 0; k < document.Edges.size(); ++k) {
            const TDocumentEdge& e = document.Edges[k];
            const TDocumentEdge& b = back.Edges[k];
            EXPECT_EQ(back.Nodes[b.From].Caption, document.Nodes[e.From].Caption);
            EXPECT_EQ(back.Nodes[b.To].Caption, document.Nodes[e.To].Caption);
            EXPECT_EQ(b.Weight.ToBytes(), e.Weight.ToBytes());
        }
    }
}

TEST(FormatOfFileName, ByExtensionWithoutRegardToCase) {
    EXPECT_EQ(FormatOfFileName("a/b.STM"), TFileFormat::GraphFile);
    EXPECT_EQ(FormatOfFileName("g.GraphML"), TFileFormat::GraphMl);
    EXPECT_EQ(FormatOfFileName("g.gexf"), TFileFormat::Gexf);
    EXPECT_EQ(FormatOfFileName("g.gv"), TFileFormat::Dot);
    EXPECT_EQ(FormatOfFileName("g.dot"), TFileFormat::Dot);
    EXPECT_EQ(FormatOfFileName("edges.csv"), TFileFormat::Csv);
    EXPECT_EQ(FormatOfFileName("g.json"), TFileFormat::Json);
    EXPECT_EQ(FormatOfFileName("g.xml"), std::nullopt);
    EXPECT_EQ(FormatOfFileName(".csv"), std::nullopt);
    EXPECT_EQ(FormatOfFileName("csv"), std::nullopt);
}
