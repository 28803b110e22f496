#include "editor/GraphPoint.h"

#include "graph/GraphRecords.h"

IMPLEMENT_CLASS(TGraphPoint, TGraphNode)

TGraphPoint::TGraphPoint(std::int32_t x, std::int32_t y, const std::string& caption)
    : TGraphNode(std::make_unique<TStringObj>(caption)), X(x), Y(y) {}

void WriteGraphPoint(TObject* point, TObjectWriter& writer) {
    auto* node = As<TGraphPoint>(point);
    WriteGraphNode(node, writer);  // the node part: the caption
    writer.WriteInt(node->X);
    writer.WriteInt(node->Y);
}

void ReadGraphPoint(TObject* point, TObjectReader& reader) {
    auto* node = As<TGraphPoint>(point);
    ReadGraphNode(node, reader);
    node->X = reader.ReadInt();
    node->Y = reader.ReadInt();
}
