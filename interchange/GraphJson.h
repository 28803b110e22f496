// stmtool's JSON: the form that `stmtool show` prints and `stmtool new` reads.
#pragma once

#include <string>
#include <string_view>

#include "interchange/Document.h"

/// {"nodes": [{"caption": ..., "x": ..., "y": ...}, ...], "edges": [{"from": ..., "to":
/// ..., "weight": ...}, ...]}: from and to count the nodes from 1. A node may lack x and y
/// together (it has no position; a fractional one is rounded), an edge its weight (1).
/// EFormatError: not JSON (with its line and column), and at "node N" or "edge N" a
/// member missing or of the wrong kind, an end that is no node, a weight out of range.
TGraphDocument ReadGraphJson(std::string_view bytes, TWarnings& warnings);

/// The document in the form show prints it, byte for byte the same for a graph file's graph.
std::string WriteGraphJson(const TGraphDocument& document, TWarnings& warnings);
