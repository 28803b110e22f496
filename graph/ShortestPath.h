// What a graph holds of its shortest-path search (TMathGraph::ShortestPath): the search's
// constant and its working memory, which a graph keeps from one search to the next.
#pragma once

#include <memory>

/// The starting Distance of every node and the starting bound of a search: a node still
/// this far away counts as unreached, so no path of this length or more is ever found.
inline constexpr long double InfiniteDistance = 100000.0L;

/// The arrays a search works in, by node position and by edge; only the search knows them.
struct TSearchWorkspace;

/// Frees a workspace, so that a graph can own one without knowing what it holds.
struct TSearchWorkspaceFree {
    void operator()(TSearchWorkspace* workspace) const noexcept;
};
using TSearchWorkspacePtr = std::unique_ptr<TSearchWorkspace, TSearchWorkspaceFree>;
