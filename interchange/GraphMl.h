// GraphML, as NetworkX, Gephi and yEd write it.
#pragma once

#include <string>
#include <string_view>

#include "interchange/Document.h"

/// The graph of a GraphML document (its first `<graph>`, with the graphs nested in its
/// nodes). A node's caption is its "label" data, else the label of its yEd graphics
/// (y:NodeLabel), else its id; its position the "x" and "y" data, else the centre of its
/// yEd box (y:Geometry). Data is found by its key's attr.name (or id when it has none),
/// without regard to case; a key's `<default>` counts for the nodes or edges without such
/// data. An edge's weight is its "weight" data, else a number that its yEd label is, else
/// 1. An undirected edge (edgedefault="undirected", or directed="false") becomes an edge
/// each way. Hyperedges are noted in warnings and left out.
/// EFormatError at the line: not GraphML, a node without an id or given twice, an edge
/// with an end that is no node, a number that is none, a caption that is not UTF-8, and
/// the errors of TXmlInput.
TGraphDocument ReadGraphMl(std::string_view bytes, TWarnings& warnings);

/// The document as GraphML that NetworkX and Gephi read: keys "label", "x", "y" (only
/// when a node has a position) and "weight", nodes n1..nN in order, edges e1..eM. Every
/// node has its label, every edge its weight in the shortest text that reads back as it.
/// Characters that XML cannot hold are noted in warnings.
std::string WriteGraphMl(const TGraphDocument& document, TWarnings& warnings);
