// What the editor does with the bytes of a graph file, end to end, and the promise that
// whatever it accepts survives a save and a load unchanged. Shared by the fuzz target
// and the test that replays every input that ever made it fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// How one input fared.
struct TGraphFileCheck {
    /// The library error that refused the bytes (its what()), empty when they loaded.
    std::string Refusal;
    /// Empty when the input is handled soundly; otherwise what went wrong: a loaded graph
    /// that cannot be saved, or that comes back different after a save and a load.
    std::string Fault;
};

/// Loads size bytes at data as File, Load does (a memory stream read by ReadObject, then
/// the view's check that it is a graph of TGraphPoints), paints it and searches a path in
/// it as the view would; when it loaded, saves it as File, Save does (buffered, here into
/// memory), loads that back and compares nodes, captions, positions, edges and weights,
/// then saves again and compares the bytes. Library errors (Exception) are refusals; any
/// other exception passes through. REQUIRES: RegisterAllUnits has run.
TGraphFileCheck CheckGraphFile(const std::uint8_t* data, std::size_t size);
