#include "graph/GraphRecords.h"

#include <cmath>

#include "graph/ObjGraph.h"
#include "persistence/LibRecords.h"
#include "persistence/LibraryStartup.h"
#include "persistence/ObjPerst.h"
#include "support/MemoryLimit.h"

namespace {

std::string SizeText(long double bytes) {
    constexpr long double kMB = 1e6L, kGB = 1e9L;
    if (bytes >= kGB)
        return std::to_string(static_cast<std::uint64_t>(std::ceil(bytes / kGB))) + " GB";
    return std::to_string(static_cast<std::uint64_t>(std::ceil(bytes / kMB))) + " MB";
}

/// The bytes of WriteInt(value) for value >= 0.
long double IntBytes(long double value) { return value <= 127 ? 2 : value <= 32767 ? 3 : 5; }

/// A frame's signature, class name and version.
long double HeaderBytes(long double nameLength) { return 4 + 2 + nameLength + 2; }

/// An array's record up to its items: item class, compare function, count, capacity,
/// growth 0 and the Sorted flag.
long double ArrayRecordBytes(long double itemClassLength, long double compareLength,
                             long double count) {
    return 2 + itemClassLength + 2 + compareLength + 2 * IntBytes(count) + 2 + 1;
}

// The frame is made in memory before the file is written, and the cells (a slot each, and
// a reference in their row) live until it is.
void CheckGraphFits(const TMathGraph& graph) {
    if (graph.Nodes == nullptr) return;  // nothing to build a matrix from
    const auto n = static_cast<long double>(graph.Nodes->Count());
    const long double fileBytes = MatrixFileBytes(graph.Nodes->Count());
    constexpr long double kCellBytes = sizeof(TInteger) + sizeof(TObject*);
    if (fileBytes + n * n * kCellBytes > static_cast<long double>(UsableMemory()))
        throw EGraphTooLarge(fileBytes);
}

}  // namespace

EGraphTooLarge::EGraphTooLarge(long double fileBytes)
    : Exception("The graph's file would take " + SizeText(fileBytes) + ": too large to save") {}

long double MatrixFileBytes(int nodeCount) {
    const auto n = static_cast<long double>(nodeCount);
    const long double cell = HeaderBytes(8) + 11;  // "TInteger", a tagged extended
    const long double row = HeaderBytes(6) + ArrayRecordBytes(8, 14, n) + n * cell;
    return HeaderBytes(6) + ArrayRecordBytes(6, 12, n) + n * row;  // "TArray", "CompareArray"
}

void WriteStringObj(TObject* text, TObjectWriter& writer) {
    writer.WriteShortText(As<TStringObj>(text)->Text);
}

void ReadStringObj(TObject* text, TObjectReader& reader) {
    As<TStringObj>(text)->Text = reader.ReadShortText();
}

void WriteInteger(TObject* number, TObjectWriter& writer) {
    writer.WriteReal48(As<TInteger>(number)->Value);
}

void ReadInteger(TObject* number, TObjectReader& reader) {
    As<TInteger>(number)->Value = reader.ReadReal48();
}

void WriteGraphNode(TObject* node, TObjectWriter& writer) {
    writer.WriteObject(As<TGraphNode>(node)->Caption.get());
}

void ReadGraphNode(TObject* node, TObjectReader& reader) {
    // Any class would do for the stream, but a caption is used as a TStringObj everywhere.
    As<TGraphNode>(node)->Caption = ReadObjectAs<TStringObj>(reader);
}

void WriteMathGraph(TObject* graph, TObjectWriter& writer) {
    auto* math = As<TMathGraph>(graph);
    CheckGraphFits(*math);
    writer.WriteObject(math->Nodes.get());
    math->BuildMatrix();
    writer.WriteObject(math->Matrix.get());
}

namespace {

/// The node list of a graph holds nodes and finds them by identity: another item class
/// would let non-nodes in, another compare function would make deleting a node drop a
/// different one, whose edges would then point nowhere.
void CheckNodeList(const TNodeList& nodes) {
    if (!TObject::ClassInheritsFrom(nodes.GetItemClass(), TGraphNode::StaticClass()) ||
        nodes.GetCompareFunction() != &CompareNodes)
        throw EInvalidCast();
}

}  // namespace

void ReadMathGraph(TObject* graph, TObjectReader& reader) {
    auto* math = As<TMathGraph>(graph);
    math->Nodes = ReadObjectAs<TNodeList>(reader);
    CheckNodeList(*math->Nodes);
    math->Matrix = ReadObjectAs<TArray>(reader);
    math->BuildEdgesFromMatrix();
}

void ObjGraphStartup() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterLibraryUnits();
    RegisterStreamableClass(TGraphNode::StaticClass(), {&ReadGraphNode}, {&WriteGraphNode});
    RegisterStreamableClass(TMathGraph::StaticClass(), {&ReadMathGraph}, {&WriteMathGraph});
    RegisterStreamableClass(TInteger::StaticClass(), {&ReadInteger}, {&WriteInteger});
    RegisterStreamableClass(TNodeList::StaticClass(), {&ReadListRecord}, {&WriteListRecord});
    RegisterStreamableClass(TStringObj::StaticClass(), {&ReadStringObj}, {&WriteStringObj});
    // An array orders by its own compare function, which another array need not share: no
    // order holds over a list of arrays, and only the walk finds an array's place.
    RegisterCompareFunc("CompareArray", &CompareArray);
    RegisterCompareFunc("CompareInteger", &CompareInteger, TCompareKind::TotalOrder);
    RegisterCompareFunc("CompareNodes", &CompareNodes, TCompareKind::Identity);
}
