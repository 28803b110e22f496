// stmtool's questions about a whole graph: paths, distances, components, order, trees,
// flows and figures, each printed as one line of JSON with nodes by position from 1 and
// edges as [from, to].
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "graph/ObjGraph.h"

/// True for paths, distances, components, order, tree, flow and stats.
bool IsAnalysisCommand(const std::string& command);

/// Runs one of them, args[0] being its name and args[1] the graph file:
///   paths FILE FROM TO [--k K]   {"paths": [{"cost": C, "nodes": [FROM, ..., TO]}, ...]}
///   distances FILE [--from N]    {"from": N, "distances": [...]} or {"distances": [[...]]}
///   components FILE [--strong]   {"components": [[...], ...]}
///   order FILE                   {"order": [...]} or {"cycle": [N1, ..., N1]}
///   tree FILE                    {"weight": W, "edges": [[I, J], ...]}
///   flow FILE SOURCE SINK        {"value": V, "cut": [...]}
///   stats FILE                   {"nodes": N, "edges": E, ...}
/// EUsage for a wrong command line, checked before the file is read; the library's
/// errors as they are ("Invalid index in TContainer" for a position beyond the graph,
/// "Negative cycle: ..." and the like). REQUIRES: IsAnalysisCommand(args[0]).
void RunAnalysisCommand(const std::vector<std::string>& args, std::ostream& out);

/// The same on a graph in memory, which may hold what a file cannot (parallel edges,
/// weights of 0, loops); args[1] is not read.
void RunAnalysisOnGraph(const std::vector<std::string>& args, TMathGraph& graph, std::ostream& out);
