// The editor's graph and the interchange formats' document, both ways, and graphs read
// from and written to files of every format whole: what stmtool's convert and the
// editor's import and export share.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "graph/ObjGraph.h"
#include "interchange/Document.h"
#include "interchange/Formats.h"
#include "interchange/Layout.h"

/// The view's client area at the window's start size (the graph panel's 497 x 550 pixels
/// inside its one-pixel frame), less a margin: where a layout puts the nodes of a graph
/// that comes without positions.
inline constexpr TLayoutBox kStartViewBox{495, 548, 20};

/// The most nodes a graph file is written with: its weight matrix has a cell for every
/// pair of nodes, some 27 bytes in the file and 50 in memory while it is written, so
/// 10,000 nodes make a file of 2.7 GB.
inline constexpr std::size_t kMaxGraphFileNodes = 10000;

/// Nodes n1..nN in the order of Nodes, with their captions in UTF-8 and, for the editor's
/// nodes (TGraphPoint), their positions; the edges in the order of Edges.
TGraphDocument DocumentOfGraph(TMathGraph& graph);

/// The graph the editor would hold: a TGraphPoint per node in order (one without a
/// position at (0, 0)), its caption in Windows-1252, then the edges in order. Characters
/// outside Windows-1252 become "?", noted in warnings. Caller owns the result.
std::unique_ptr<TMathGraph> GraphOfDocument(const TGraphDocument& document, TWarnings& warnings);

/// The node's caption as the editor holds it, in Windows-1252: each character outside it
/// becomes "?", noted in warnings.
std::string CaptionForGraph(const TDocumentNode& node, TWarnings& warnings);

/// Notes in warnings what a graph file cannot hold of document: captions longer than 255
/// bytes (cut), parallel edges (only the last is kept), edges of weight 0 (left out).
void NoteGraphFileLosses(const TGraphDocument& document, TWarnings& warnings);

/// Gives every node a position in kStartViewBox by Graphviz's engine: always when one is
/// given, otherwise only when some node lacks a position, with DefaultLayoutEngine (and
/// noted in warnings when other nodes had positions, which the layout replaces).
/// ELayoutError.
void PlaceNodes(TGraphDocument& document, std::optional<TLayoutEngine> engine, TWarnings& warnings);

/// The graph of a file in format; a graph file is loaded as the editor's File, Load
/// loads it. The errors of ReadDocumentFile; for a graph file those of
/// LoadObjectFromFile, EInvalidCast for an object that is not a graph, each as an
/// EFormatError begun by the file's name (but for EFOpenError, which names it).
TGraphDocument ReadGraphDocument(const std::string& fileName, TFileFormat format,
                                 TWarnings& warnings);

/// ReadGraphDocument, then PlaceNodes without an engine: nodes without positions laid out
/// by default, as stmtool convert and the editor's import do. Their errors, ELayoutError
/// with its message begun by the engine's name.
TGraphDocument ReadPlacedDocument(const std::string& fileName, TFileFormat format,
                                  TWarnings& warnings);

/// Writes document to the file in format, so that the file holds all of it or is left
/// as it was; what the format cannot hold is noted in warnings first. With strict, any
/// warning (these or those noted before) is raised as an EFormatError instead and nothing
/// is written. A graph file is written as File, Save writes it, with at most
/// kMaxGraphFileNodes nodes (EFormatError beyond), and its errors; the others raise
/// EFCreateError ("Cannot create file %s") and EWriteError ("Stream write error").
void WriteGraphDocument(const TGraphDocument& document, const std::string& fileName,
                        TFileFormat format, TWarnings& warnings, bool strict);
