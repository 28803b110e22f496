#include "editor/GraphDocument.h"

#include <algorithm>
#include <unordered_set>

#include "editor/GraphPoint.h"
#include "persistence/ObjStream.h"
#include "values/CodePage.h"

namespace {

constexpr std::size_t kCaptionLimit = 255;  // bytes of a caption in a graph file

std::string CaptionOf(const TGraphNode& node) {
    return node.Caption != nullptr ? node.Caption->Text : std::string();
}

/// The number of characters of well-formed UTF-8: each is one Windows-1252 byte.
std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void CheckStrict(const TWarnings& warnings, bool strict) {
    if (strict && !warnings.Empty())
        throw EFormatError("", warnings.Lines().front() + "; nothing written");
}

void WriteGraphFile(const TGraphDocument& document, const std::string& fileName,
                    TWarnings& warnings, bool strict) {
    if (document.Nodes.size() > kMaxGraphFileNodes)
        throw EFormatError("", "a graph file holds at most " + std::to_string(kMaxGraphFileNodes) +
                                   " nodes, as it has a weight for every pair; this graph has " +
                                   std::to_string(document.Nodes.size()));
    const std::unique_ptr<TMathGraph> graph = GraphOfDocument(document, warnings);
    NoteGraphFileLosses(document, warnings);
    CheckStrict(warnings, strict);
    SaveObjectToFile(graph.get(), fileName, true);
}

}  // namespace

TGraphDocument DocumentOfGraph(TMathGraph& graph) {
    const TNodeIndex index(*graph.Nodes);
    TGraphDocument document;
    document.Nodes.reserve(static_cast<std::size_t>(index.Count()));
    for (int i = 1; i <= index.Count(); ++i) {
        const TGraphNode* node = index.NodeAt(i);
        TDocumentNode& added = document.Nodes.emplace_back(TDocumentNode{
            "n" + std::to_string(i), Windows1252ToUtf8(CaptionOf(*node)), std::nullopt});
        if (IsA<TGraphPoint>(node)) {
            const auto* point = static_cast<const TGraphPoint*>(node);
            added.Position = TPosition{point->X, point->Y};
        }
    }
    for (int k = 0; k < graph.Edges->Count(); ++k) {
        const TGraphEdge* edge = graph.Edges->Get(k);
        document.Edges.push_back({index.PositionOf(edge->FromNode) - 1,
                                  index.PositionOf(edge->ToNode) - 1, edge->Weight});
    }
    return document;
}

std::unique_ptr<TMathGraph> GraphOfDocument(const TGraphDocument& document, TWarnings& warnings) {
    auto graph = std::make_unique<TMathGraph>();
    std::vector<TGraphNode*> nodes;
    nodes.reserve(document.Nodes.size());
    for (const TDocumentNode& node : document.Nodes) {
        const TPosition at = node.Position.value_or(TPosition{});
        auto point = std::make_unique<TGraphPoint>(at.X, at.Y, CaptionForGraph(node, warnings));
        graph->Nodes->Append(point.get());
        nodes.push_back(point.release());  // the node list's from here
    }
    for (const TDocumentEdge& edge : document.Edges) {
        auto added = std::make_unique<TGraphEdge>(nodes[static_cast<std::size_t>(edge.From)],
                                                  nodes[static_cast<std::size_t>(edge.To)]);
        added->Weight = edge.Weight;
        graph->Edges->Add(added.get());
        added.release();  // the graph's from here
    }
    return graph;
}

std::string CaptionForGraph(const TDocumentNode& node, TWarnings& warnings) {
    std::string caption = Utf8ToWindows1252(node.Caption);
    if (Windows1252ToUtf8(caption) != node.Caption)
        warnings.Note("characters outside Windows-1252 replaced by \"?\"", NodePlace(node));
    return caption;
}

void NoteGraphFileLosses(const TGraphDocument& document, TWarnings& warnings) {
    for (const TDocumentNode& node : document.Nodes)
        if (CharacterCount(node.Caption) > kCaptionLimit)
            warnings.Note("captions cut to 255 bytes", NodePlace(node));
    // The file keeps one weight per pair of ends, the last edge's: walked from the end,
    // every edge whose pair was met already is lost.
    std::unordered_set<std::uint64_t> pairs;
    for (auto edge = document.Edges.rbegin(); edge != document.Edges.rend(); ++edge) {
        const std::uint64_t pair =
            static_cast<std::uint64_t>(edge->From) << 32 | static_cast<std::uint32_t>(edge->To);
        if (!pairs.insert(pair).second)
            warnings.Note("parallel edges left out, the last of each kept",
                          EdgePlace(document, *edge));
    }
    for (const TDocumentEdge& edge : document.Edges)
        if (edge.Weight == Real48())
            warnings.Note("edges of weight 0 left out", EdgePlace(document, edge));
}

void PlaceNodes(TGraphDocument& document, std::optional<TLayoutEngine> engine,
                TWarnings& warnings) {
    const auto positioned =
        std::find_if(document.Nodes.begin(), document.Nodes.end(),
                     [](const TDocumentNode& n) { return n.Position.has_value(); });
    const bool all = std::all_of(document.Nodes.begin(), document.Nodes.end(),
                                 [](const TDocumentNode& n) { return n.Position.has_value(); });
    if (document.Nodes.empty() || (!engine && all)) return;
    if (!engine && positioned != document.Nodes.end())
        warnings.Note("positions replaced by a layout, as other nodes had none",
                      NodePlace(*positioned));
    const std::vector<TPosition> positions = LayOut(
        document, engine.value_or(DefaultLayoutEngine(document.Nodes.size())), kStartViewBox);
    for (std::size_t i = 0; i < positions.size(); ++i) document.Nodes[i].Position = positions[i];
}

TGraphDocument ReadGraphDocument(const std::string& fileName, TFileFormat format,
                                 TWarnings& warnings) {
    if (format != TFileFormat::GraphFile) return ReadDocumentFile(fileName, format, warnings);
    try {
        std::unique_ptr<TObject> object(LoadObjectFromFile(fileName, true));
        auto* graph = As<TMathGraph>(object.get());
        return DocumentOfGraph(*graph);
    } catch (const EFOpenError&) {
        throw;
    } catch (const Exception& e) {
        throw EFormatError(fileName, e.what());
    }
}

TGraphDocument ReadPlacedDocument(const std::string& fileName, TFileFormat format,
                                  TWarnings& warnings) {
    TGraphDocument document = ReadGraphDocument(fileName, format, warnings);
    try {
        PlaceNodes(document, std::nullopt, warnings);
    } catch (const ELayoutError& e) {
        const TLayoutEngine used = DefaultLayoutEngine(document.Nodes.size());
        throw ELayoutError(std::string(LayoutEngineName(used)) + ": " + e.what());
    }
    return document;
}

void WriteGraphDocument(const TGraphDocument& document, const std::string& fileName,
                        TFileFormat format, TWarnings& warnings, bool strict) {
    if (format == TFileFormat::GraphFile)
        return WriteGraphFile(document, fileName, warnings, strict);
    const std::string bytes = EncodeDocument(document, format, warnings);
    CheckStrict(warnings, strict);
    WriteFileBytes(fileName, bytes);
}
