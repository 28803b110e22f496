// What stmtool's commands share: the error for a wrong command line, node positions,
// argument counts and loading a graph file.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "graph/ObjGraph.h"

/// The command line or the JSON given is not what the tool takes: the tool prints the
/// message and its usage text and exits with kExitUsage.
class EUsage : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// A node position from the command line. One that does not fit an int is out of range
/// all the same: it becomes 0, which no node has. EUsage when text is not a number.
int PositionArgument(const std::string& text);

/// EUsage unless args holds count entries, the command's name first.
void CheckArgumentCount(const std::vector<std::string>& args, std::size_t count);

/// Loads the file as the editor's File, Load does; the library's errors as they are, and
/// EInvalidCast ("Invalid class typecast") when it holds something other than a graph.
std::unique_ptr<TMathGraph> LoadGraph(const std::string& fileName);
