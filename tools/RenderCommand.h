// stmtool render: a picture of a graph file as the editor draws it, in SVG.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// args: "render", FILE, OUT (ending in .svg), and the options --captions, --weights,
/// --separate (opposite edges bent apart) and --adapt (edges as wide as their weights)
/// anywhere after it, each switching on the editor's View option of that name. Reads FILE
/// in the format of its extension, lays it out by default when some node has no position,
/// and draws it at Actual Size, nothing selected, into OUT, which then holds the whole
/// picture or is left as it was. What reading lost goes to err, a line "warning: ..."
/// each, once OUT is written.
/// EUsage for a wrong command line or an unknown extension; the errors of
/// ReadPlacedDocument and of writing OUT (EFCreateError, EWriteError).
void RunRender(const std::vector<std::string>& args, std::ostream& err);
