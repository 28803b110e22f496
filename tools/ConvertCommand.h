// stmtool convert: a graph from a file in one format into a file in another, each format
// chosen by the file's extension.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// args: "convert", IN, OUT, and the options "--layout ENGINE" and "--strict" anywhere
/// after it. Reads IN, lays it out with ENGINE, or by default when it has nodes without
/// positions (not for a CSV OUT, which holds none), and writes OUT so that it holds the
/// whole graph or is left as it was. What OUT cannot hold goes to err, a line
/// "warning: ..." each, once OUT is written; with --strict it is an error instead and
/// nothing is written.
/// EUsage for a wrong command line, an unknown extension or engine; the errors of
/// ReadGraphDocument, PlaceNodes (ELayoutError, its message begun by the engine's name)
/// and WriteGraphDocument.
void RunConvert(const std::vector<std::string>& args, std::ostream& err);
