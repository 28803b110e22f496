// Graphviz's libraries for the whole process. They keep global state (the parser, the
// error handler, the context) and print their errors: here one caller uses them at a
// time, through one context, and their errors are taken rather than printed.
#pragma once

#include <mutex>
#include <string>

struct GVC_s;
struct Agraph_s;

/// Graphviz held for one caller, for as long as this lives.
class TGraphvizUse {
public:
    /// Waits for any other use to end; forgets the messages of earlier uses.
    TGraphvizUse();
    TGraphvizUse(const TGraphvizUse&) = delete;
    TGraphvizUse& operator=(const TGraphvizUse&) = delete;
    ~TGraphvizUse() = default;

    /// The process's one layout context, made on first use with the plugins Graphviz has
    /// installed.
    GVC_s* Context();
    /// gvLayout of graph by the engine of that name, in Context(), from the C library's
    /// random number generators in the state a process starts with, from which the
    /// engines draw their starting places: a graph gets the same layout every time, the
    /// one Graphviz's command line gives it. Graphviz's status: 0 on success.
    int LayOut(Agraph_s* graph, const char* engine);
    /// The errors Graphviz reported during this use, joined by "; "; empty when none.
    /// Warnings are dropped.
    std::string Errors() const;

private:
    std::lock_guard<std::mutex> lock_;
};
