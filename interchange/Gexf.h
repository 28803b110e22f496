// GEXF 1.2 and 1.3, as Gephi and NetworkX write it.
#pragma once

#include <string>
#include <string_view>

#include "interchange/Document.h"

/// The graph of a GEXF document: each node's label (its id when it has none) and
/// viz:position, each edge's weight (1 when it has none). Nodes nested in nodes are
/// read as nodes of the graph. An undirected or mutual edge (by its type or the graph's
/// defaultedgetype) becomes an edge each way.
/// EFormatError at the line: not GEXF, a node without an id or given twice, an edge with
/// an end that is no node, a number that is none, a label that is not UTF-8, and the
/// errors of TXmlInput.
TGraphDocument ReadGexf(std::string_view bytes, TWarnings& warnings);

/// The document as GEXF 1.2 (which Gephi and every NetworkX read): nodes n1..nN in order
/// with their label and viz:position, edges e1..eM with their weight. Characters that
/// XML cannot hold are noted in warnings.
std::string WriteGexf(const TGraphDocument& document, TWarnings& warnings);
