#!/usr/bin/env python3
"""stmtool's analysis commands against NetworkX on seeded random graphs.

usage: networkx_diff.py ANALYSIS_DRIVER STMTOOL [SEED]

Graphs in memory (through the driver) hold parallel edges, weights of 0, negative
weights, loops and unreachable nodes; a few graphs without those also go through real
.stm files and stmtool itself. Weights are multiples of 1/4, so every sum is exact and
results are compared exactly. Small graphs are also checked against brute force (every
simple path, every simple cycle) where the commands break ties. Exits 77 when NetworkX
is missing, 1 with the seed and the case on the first difference.
"""
import itertools
import json
import os
import random
import subprocess
import sys
import tempfile

try:
    import networkx as nx
except ImportError:
    print("networkx is not installed: skipped")
    sys.exit(77)

GRAPHS = 300
BRUTE_FORCE_NODES = 7


class Mismatch(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Mismatch(what)


# ----------------------------------------------------------------------------
# Random graphs


def random_graph(rng, index):
    n = rng.randint(1, BRUTE_FORCE_NODES) if index % 4 else rng.randint(8, 30)
    m = rng.randint(0, 3 * n)
    negative = rng.random() < 0.3
    edges = []
    for _ in range(m):
        if edges and rng.random() < 0.15:
            u, v = rng.choice(edges)[:2]  # a parallel edge
        else:
            u, v = rng.randint(1, n), rng.randint(1, n)
            if u == v and rng.random() < 0.7:
                continue  # loops now and then
        low = -8 if negative and rng.random() < 0.2 else 0
        edges.append([u, v, rng.randint(low, 20) / 4])
    return {"nodes": n, "edges": edges}


def cases_for(rng, graph):
    n = graph["nodes"]
    pick = lambda: str(rng.randint(1, n))
    s, t = pick(), pick()
    yield ["paths", "-", s, t, "--k", str(rng.randint(1, 6))]
    yield ["distances", "-", "--from", pick()]
    yield ["distances", "-"]
    yield ["components", "-"]
    yield ["components", "-", "--strong"]
    yield ["order", "-"]
    yield ["tree", "-"]
    if n >= 2:
        while s == t:
            t = pick()
        yield ["flow", "-", s, t]
    yield ["stats", "-"]


# ----------------------------------------------------------------------------
# References


def multigraph(graph):
    g = nx.MultiDiGraph()
    g.add_nodes_from(range(1, graph["nodes"] + 1))
    for u, v, w in graph["edges"]:
        g.add_edge(u, v, weight=w)
    return g


def cheapest(graph, loops):
    """A simple digraph with the cheapest of parallel edges; loops only if asked."""
    g = nx.DiGraph()
    g.add_nodes_from(range(1, graph["nodes"] + 1))
    for u, v, w in graph["edges"]:
        if u == v and not loops:
            continue
        if not g.has_edge(u, v) or w < g[u][v]["weight"]:
            g.add_edge(u, v, weight=w)
    return g


def path_cost(g, nodes):
    cost = 0.0
    for u, v in zip(nodes, nodes[1:]):
        cost += g[u][v]["weight"]
    return cost


def has_negative(graph, loops):
    return any(w < 0 and (loops or u != v) for u, v, w in graph["edges"])


def negative_cycle_reachable(g, sources):
    reach = set(sources)
    for s in sources:
        reach |= nx.descendants(g, s)
    sub = g.subgraph(reach)
    if any(sub[u][u]["weight"] < 0 for u in sub if sub.has_edge(u, u)):
        return True
    return nx.negative_edge_cycle(nx.DiGraph(sub), weight="weight")


def distances_from(g, s):
    if any(d["weight"] < 0 for _, _, d in g.edges(data=True)):
        lengths = nx.single_source_bellman_ford_path_length(g, s, weight="weight")
    else:
        lengths = nx.single_source_dijkstra_path_length(g, s, weight="weight")
    return [lengths.get(v) for v in range(1, g.number_of_nodes() + 1)]


def check_negative_cycle(g, err, sources):
    prefix = "Negative cycle:"
    expect(err.startswith(prefix), "error " + err)
    cycle = [int(x) for x in err[len(prefix):].split()]
    expect(len(cycle) >= 2 and cycle[0] == cycle[-1], "cycle not closed")
    expect(cycle[0] == min(cycle), "cycle does not start at its smallest node")
    expect(all(g.has_edge(u, v) for u, v in zip(cycle, cycle[1:])), "cycle edge missing")
    expect(path_cost(g, cycle) < 0, "cycle not negative")
    reach = set(sources)
    for s in sources:
        reach |= nx.descendants(g, s)
    expect(cycle[0] in reach, "cycle not reachable")


# ----------------------------------------------------------------------------
# Checks, one per command


def check_paths(graph, args, result):
    s, t, k = int(args[2]), int(args[3]), int(args[5])
    if has_negative(graph, loops=False):
        expect(result["status"] == 1 and result["err"] == "Negative weights are not allowed here",
               "negative weights accepted")
        return
    expect(result["status"] == 0, "failed: " + result["err"])
    g = cheapest(graph, loops=False)
    paths = json.loads(result["out"])["paths"]
    for p in paths:
        expect(p["nodes"][0] == s and p["nodes"][-1] == t, "path ends")
        expect(len(set(p["nodes"])) == len(p["nodes"]), "path not loopless")
        expect(all(g.has_edge(u, v) for u, v in zip(p["nodes"], p["nodes"][1:])), "path edge")
        expect(p["cost"] == path_cost(g, p["nodes"]), "path cost")
    if s == t:
        expect(paths == [{"cost": 0, "nodes": [s]}], "path of one node")
        return
    if graph["nodes"] <= BRUTE_FORCE_NODES:
        every = sorted((path_cost(g, p), p) for p in nx.all_simple_paths(g, s, t))
        expect([[p["cost"], p["nodes"]] for p in paths] == [list(x) for x in every[:k]],
               "paths differ from brute force")
        return
    costs = [path_cost(g, p) for p in
             itertools.islice(nx.shortest_simple_paths(g, s, t, weight="weight"), k)] \
        if nx.has_path(g, s, t) else []
    expect([p["cost"] for p in paths] == costs, "path costs differ")
    expect(len({tuple(p["nodes"]) for p in paths}) == len(paths), "a path twice")
    expect(paths == sorted(paths, key=lambda p: (p["cost"], p["nodes"])), "paths out of order")


def check_distances(graph, args, result):
    g = cheapest(graph, loops=True)
    sources = [int(args[3])] if len(args) > 2 else list(g.nodes)
    if negative_cycle_reachable(g, sources):
        expect(result["status"] == 1, "negative cycle not reported")
        check_negative_cycle(g, result["err"], sources)
        return
    out = json.loads(result["out"])
    if len(args) > 2:
        expect(out == {"from": sources[0], "distances": distances_from(g, sources[0])},
               "distances differ")
    else:
        expect(out == {"distances": [distances_from(g, s) for s in sources]}, "all pairs differ")


def components(found):
    return sorted(sorted(c) for c in found)


def check_components(graph, args, result):
    g = multigraph(graph)
    found = nx.strongly_connected_components(g) if len(args) > 2 \
        else nx.weakly_connected_components(g)
    expect(json.loads(result["out"]) == {"components": components(found)}, "components differ")


def first_cycle(graph):
    """The cycle through the smallest node on any cycle, fewest edges, then smallest."""
    g = cheapest(graph, loops=True)
    cycles = [c for c in nx.simple_cycles(g)]
    start = min(min(c) for c in cycles)
    best = None
    for c in cycles:
        if start in c:
            i = c.index(start)
            rotated = c[i:] + c[:i] + [start]
            best = rotated if best is None or (len(rotated), rotated) < (len(best), best) else best
    return best


def check_order(graph, args, result):
    g = multigraph(graph)
    out = json.loads(result["out"])
    if nx.is_directed_acyclic_graph(g):
        expect(out == {"order": list(nx.lexicographical_topological_sort(g))}, "order differs")
    elif graph["nodes"] <= BRUTE_FORCE_NODES:
        expect(out == {"cycle": first_cycle(graph)}, "cycle differs")
    else:
        cycle = out["cycle"]
        expect(all(g.has_edge(u, v) for u, v in zip(cycle, cycle[1:])), "cycle edge missing")


def check_tree(graph, args, result):
    undirected = nx.Graph()
    undirected.add_nodes_from(range(1, graph["nodes"] + 1))
    for u, v, w in graph["edges"]:
        if u != v and (not undirected.has_edge(u, v) or w < undirected[u][v]["weight"]):
            undirected.add_edge(u, v, weight=w)
    forest = nx.minimum_spanning_tree(undirected, weight="weight")
    out = json.loads(result["out"])
    expect(len(out["edges"]) == forest.number_of_edges(), "forest size")
    total, weights, sets = 0.0, [], nx.utils.UnionFind(range(1, graph["nodes"] + 1))
    for i, j in out["edges"]:
        stored = [w for u, v, w in graph["edges"] if (u, v) == (i, j)]
        expect(stored and min(stored) == undirected[i][j]["weight"], "not the lighter edge")
        expect(sets[i] != sets[j], "forest has a cycle")
        sets.union(i, j)
        weights.append(min(stored))
        total += min(stored)
    expect(weights == sorted(weights), "forest edges out of order")
    expect(out["weight"] == total == forest.size(weight="weight"), "forest weight")


def check_flow(graph, args, result):
    s, t = int(args[2]), int(args[3])
    if has_negative(graph, loops=False):
        expect(result["status"] == 1 and result["err"] == "Negative weights are not allowed here",
               "negative capacity accepted")
        return
    g = nx.DiGraph()
    g.add_nodes_from(range(1, graph["nodes"] + 1))
    for u, v, w in graph["edges"]:
        if u != v:
            old = g[u][v]["capacity"] if g.has_edge(u, v) else 0
            g.add_edge(u, v, capacity=old + w)
    value, flow = nx.maximum_flow(g, s, t)
    # The nodes s reaches through capacity to spare: the same for every maximum flow.
    residual = nx.DiGraph()
    for u, v, d in g.edges(data=True):
        if flow[u][v] < d["capacity"]:
            residual.add_edge(u, v)
        if flow[u][v] > 0:
            residual.add_edge(v, u)
    side = {s} | (nx.descendants(residual, s) if s in residual else set())
    expect(json.loads(result["out"]) == {"value": value, "cut": sorted(side)}, "flow differs")


def check_stats(graph, args, result):
    g = multigraph(graph)
    n, e = graph["nodes"], len(graph["edges"])
    strong = components(nx.strongly_connected_components(g))
    largest = max(strong, key=len)  # max keeps the first of equals
    sub = cheapest({"nodes": n, "edges": [x for x in graph["edges"]
                                          if x[0] in largest and x[1] in largest]}, loops=True)
    sub = sub.subgraph(largest)
    diameter = None if negative_cycle_reachable(sub, largest) else \
        max(d for s in largest for d in distances_from(nx.convert_node_labels_to_integers(
            sub, first_label=1, ordering="sorted"), largest.index(s) + 1) if d is not None)
    degrees = [d for _, d in g.degree()]
    expected = {
        "nodes": n, "edges": e, "density": e / (n * (n - 1)) if n >= 2 else None,
        "weak_components": nx.number_weakly_connected_components(g),
        "strong_components": len(strong),
        "has_cycle": not nx.is_directed_acyclic_graph(g),
        "degree": {"min": min(degrees), "max": max(degrees), "mean": 2 * e / n},
        "diameter": diameter,
    }
    expect(json.loads(result["out"]) == expected, "stats differ: expected %s" % expected)


CHECKS = {"paths": check_paths, "distances": check_distances, "components": check_components,
          "order": check_order, "tree": check_tree, "flow": check_flow, "stats": check_stats}


def check(graph, args, result):
    if result["status"] != 0 and not (args[0] in ("paths", "flow", "distances")):
        raise Mismatch("failed: " + result["err"])
    CHECKS[args[0]](graph, args, result)


# ----------------------------------------------------------------------------
# Runs


def run_driver(driver, cases):
    lines = "".join(json.dumps(dict(graph, args=args)) + "\n" for graph, args in cases)
    done = subprocess.run([driver], input=lines, capture_output=True, text=True, check=True)
    return [json.loads(line) for line in done.stdout.splitlines()]


def file_graphs(stmtool, rng, folder):
    """Graphs that a file can hold, written with stmtool new and read back with show."""
    for i in range(8):
        n = rng.randint(2, 12)
        edges = {}
        for _ in range(rng.randint(0, 3 * n)):
            u, v = rng.randint(1, n), rng.randint(1, n)
            if u != v:
                edges[(u, v)] = rng.randint(1, 20) / 4
        document = {"nodes": [{"caption": str(i), "x": 0, "y": 0} for i in range(n)],
                    "edges": [{"from": u, "to": v, "weight": w} for (u, v), w in edges.items()]}
        path = os.path.join(folder, "g%d.stm" % i)
        subprocess.run([stmtool, "new", path], input=json.dumps(document), text=True, check=True)
        shown = json.loads(subprocess.run([stmtool, "show", path], capture_output=True,
                                          text=True, check=True).stdout)
        yield path, {"nodes": n, "edges": [[x["from"], x["to"], x["weight"]]
                                           for x in shown["edges"]]}


def main():
    driver, stmtool = sys.argv[1], sys.argv[2]
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20240611
    rng = random.Random(seed)
    cases = []
    for index in range(GRAPHS):
        graph = random_graph(rng, index)
        cases += [(graph, args) for args in cases_for(rng, graph)]
    results = run_driver(driver, cases)
    with tempfile.TemporaryDirectory() as folder:
        for path, graph in file_graphs(stmtool, rng, folder):
            for args in cases_for(rng, graph):
                args[1] = path
                done = subprocess.run([stmtool] + args, capture_output=True, text=True)
                cases.append((graph, args))
                results.append({"status": done.returncode, "out": done.stdout,
                                "err": done.stderr.rstrip("\n")})
    for number, ((graph, args), result) in enumerate(zip(cases, results)):
        try:
            check(graph, args, result)
        except (Mismatch, KeyError, ValueError, nx.NetworkXException) as e:
            print("seed %d, case %d: %s" % (seed, number, e))
            print("graph:", json.dumps(graph))
            print("args:", args)
            print("result:", result)
            return 1
    print("%d cases agree with NetworkX %s (seed %d)" % (len(cases), nx.__version__, seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
