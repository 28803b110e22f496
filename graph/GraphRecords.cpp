#include "graph/GraphRecords.h"

#include "graph/ObjGraph.h"
#include "persistence/LibRecords.h"
#include "persistence/LibraryStartup.h"
#include "persistence/ObjPerst.h"

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
