// The editor's kind of node: a graph node with a position on the view, and its record in
// the object stream.
#pragma once

#include <string>

#include "graph/ObjGraph.h"
#include "persistence/ObjStream.h"

/// A node with the position of its centre in the view's client pixels (y grows
/// downward). The only kind of node the editor creates.
class TGraphPoint : public TGraphNode {
    DECLARE_CLASS()
public:
    /// Makes a caption of caption; the node owns it and starts with an empty OutEdges list.
    TGraphPoint(std::int32_t x, std::int32_t y, const std::string& caption);

    std::int32_t X = 0;
    std::int32_t Y = 0;

protected:
    explicit TGraphPoint(TBlank blank) : TGraphNode(blank) {}
};

/// The caption as a nested frame, then X and Y as tagged integers. A caption read back
/// must be a TStringObj: EInvalidCast ("Invalid class typecast") otherwise. Nothing else
/// is read: OutEdges is left to BuildOutEdges.
void WriteGraphPoint(TObject* point, TObjectWriter& writer);
void ReadGraphPoint(TObject* point, TObjectReader& reader);
