#!/usr/bin/env python3
"""NetworkX on the analysis commands' workloads, for scale beside bench/AnalysisBench.

usage: networkx_bench.py [NODES] [RUNS]      defaults: 100000 nodes, 3 runs

A seeded random graph of NODES nodes and 5 * NODES edges between distinct nodes, weights
uniform in [1, 100) (the shape AnalysisBench uses, not its very edges), from node 0 to
node NODES - 1: the 10 cheapest loopless paths, the distances from node 0, the strong
components and the maximum flow. Prints one line per workload, "name median_ms", then a
"summary" line with the same figures as key=value pairs.
"""
import itertools
import random
import statistics
import sys
import time

import networkx as nx


def make_graph(nodes):
    rng = random.Random(20240601 + nodes)
    g = nx.DiGraph()
    g.add_nodes_from(range(nodes))
    edges = 0  # number_of_edges() counts afresh on every call
    while edges < 5 * nodes:
        u, v = rng.randrange(nodes), rng.randrange(nodes)
        if u != v and not g.has_edge(u, v):
            w = rng.uniform(1, 100)
            g.add_edge(u, v, weight=w, capacity=w)
            edges += 1
    return g


def median_ms(work, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def main():
    nodes = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    g = make_graph(nodes)
    s, t = 0, nodes - 1
    # The k cheapest paths last: they take far longer than the rest together.
    workloads = {
        "distances_from": lambda: nx.single_source_dijkstra_path_length(g, s, weight="weight"),
        "strong_components": lambda: list(nx.strongly_connected_components(g)),
        "flow": lambda: nx.maximum_flow_value(g, s, t, capacity="capacity"),
        "paths_k10": lambda: list(itertools.islice(
            nx.shortest_simple_paths(g, s, t, weight="weight"), 10)),
    }
    figures = {}
    for name, work in workloads.items():
        # The k cheapest paths take minutes: one run is enough for scale.
        figures[name] = median_ms(work, 1 if name == "paths_k10" else runs)
        print("%s %.1f" % (name, figures[name]), flush=True)
    print("summary " + " ".join("%s=%.1f" % kv for kv in figures.items()))


if __name__ == "__main__":
    main()
