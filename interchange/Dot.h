// Graphviz's DOT language, read through Graphviz's own parser.
#pragma once

#include <string>
#include <string_view>

#include "interchange/Document.h"

/// The first graph of a DOT file, read by Graphviz's cgraph: nodes in the order they
/// first appear, with their label (with `\N`, `\G`, line breaks and character entities as
/// Graphviz reads them; their name when they have none) and pos (in points, "x,y" or
/// pinned "x,y!"); edges in the order they appear, with their weight, else a label that
/// is a number, else 1. An undirected graph's edges go each way. Latin-1 text is read as
/// such when the graph says charset=latin1; other text must be UTF-8.
/// EFormatError: Graphviz's message for a file it cannot read (it says the line), a NUL
/// byte, subgraphs nested more than 1000 deep, and at the node or edge a pos or a weight
/// that is none or out of range, or a label that is not UTF-8.
TGraphDocument ReadDot(std::string_view bytes, TWarnings& warnings);

/// A digraph with nodes n1..nN in order, each with its label and, when it has one, its
/// position as pos="x,y!" (points, pinned, so that `neato -n` draws the positions kept),
/// and edges with their weight, in the shortest text that reads back as it (quoted in
/// exponent form, which DOT's numbers lack).
std::string WriteDot(const TGraphDocument& document, TWarnings& warnings);

/// A double-quoted DOT string that Graphviz reads back as utf8: \" and \\ escaped, a
/// line break as \n, & and the control characters as character entities.
std::string DotQuoted(std::string_view utf8);
