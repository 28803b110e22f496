// The graph model's records in the object stream and the start-up step that registers
// them. A graph travels as its node list and a weight matrix built from its edges; the
// edges are rebuilt from the matrix when it is read.
#pragma once

#include "persistence/ObjStream.h"

/// A graph whose file, and the matrix built for it, would not fit in the memory there is.
class EGraphTooLarge : public Exception {
public:
    /// fileBytes: what the file would take, shown in GB (in MB below 1 GB).
    explicit EGraphTooLarge(long double fileBytes);
};

/// The bytes of a graph file's weight matrix for a graph of nodeCount nodes: its frame, the
/// rows' frames and a TInteger frame per cell, whatever the edges. Exact: a long double
/// holds every count of bytes up to 2^64.
long double MatrixFileBytes(int nodeCount);

/// Registers TGraphNode, TMathGraph, TInteger, TNodeList and TStringObj, each with one
/// reader and one writer, then "CompareArray", "CompareInteger" and "CompareNodes".
/// Runs RegisterLibraryUnits first; only the first call in a process does anything.
void ObjGraphStartup();

/// Text as a length byte and at most its first 255 bytes.
void WriteStringObj(TObject* text, TObjectWriter& writer);
void ReadStringObj(TObject* text, TObjectReader& reader);

/// Value widened to extended. Reading narrows what was stored: EOverflow ("Floating point
/// overflow") from a magnitude of 2^127 up, and a magnitude below 2^-128 reads as 0.
void WriteInteger(TObject* number, TObjectWriter& writer);
void ReadInteger(TObject* number, TObjectReader& reader);

/// Caption as a nested frame; nothing else of a node travels. A caption read back must
/// be a TStringObj: EInvalidCast ("Invalid class typecast") otherwise.
void WriteGraphNode(TObject* node, TObjectWriter& writer);
void ReadGraphNode(TObject* node, TObjectReader& reader);

/// Writes Nodes, builds the matrix (BuildMatrix, with its errors, after the node list's
/// frame is written) and writes it. First, before anything is written or allocated,
/// EGraphTooLarge ("The graph's file would take N GB: too large to save") when the file and
/// the matrix's cells would need more than UsableMemory(); the graph is then unchanged. Reading
/// takes a TNodeList of nodes under CompareNodes and a TArray, then rebuilds the edges
/// (BuildEdgesFromMatrix); EInvalidCast for anything else in their place.
void WriteMathGraph(TObject* graph, TObjectWriter& writer);
void ReadMathGraph(TObject* graph, TObjectReader& reader);
