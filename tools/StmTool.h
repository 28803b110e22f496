// stmtool: shows, searches, writes and draws graph files from the command line, through
// the same library calls as the editor's File menu.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

/// Exit statuses: success, a library error (its message alone on err), wrong usage (the
/// usage text on err).
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

/// Runs one command, args without the program's name:
///   show FILE            the graph as JSON: {"nodes": [...], "edges": [...]}
///   path FILE FROM TO    the shortest path between two 1-based node positions, as JSON
///   new FILE             writes the graph given as JSON on in, in show's form
///   dot FILE             the graph in Graphviz's language
///   convert IN OUT ...   the graph of IN written to OUT in another format (RunConvert)
///   render FILE OUT.svg  a picture of the graph as the editor draws it (RunRender)
///   paths, distances, components, order, tree, flow, stats: tools/AnalysisCommands.h
/// Returns the exit status. REQUIRES: RegisterAllUnits has run.
int RunStmTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err);
