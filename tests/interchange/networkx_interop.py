#!/usr/bin/env python3
"""NetworkX against stmtool convert, both ways: NetworkX reads the GraphML, GEXF and
edge list that stmtool writes and finds the same nodes, labels, positions and weights;
stmtool reads the GraphML, GEXF and edge list that NetworkX writes and shows the same
graph. usage: networkx_interop.py STMTOOL. Exits 77 (skipped) where NetworkX is missing."""
import json
import os
import subprocess
import sys
import tempfile

try:
    import networkx as nx
except ImportError:
    print("networkx is not installed")
    sys.exit(77)

STMTOOL = sys.argv[1]
# Weights that a graph file holds exactly (0.1 is held as 0.10000000000002274), so that
# NetworkX's floats and ours are the same numbers.
GRAPH = {
    "nodes": [
        {"caption": "Zürich", "x": 10, "y": 20},
        {"caption": "", "x": 120, "y": -5},
        {"caption": "Genève & <Lyon>", "x": -300, "y": 4000},
        {"caption": "€ 5", "x": 0, "y": 0},
    ],
    "edges": [
        {"from": 1, "to": 2, "weight": 0.10000000000002274},
        {"from": 2, "to": 3, "weight": -2.5},
        {"from": 3, "to": 4, "weight": 99999999999948619776},
        {"from": 4, "to": 1, "weight": 9.5367431640625e-07},
        {"from": 1, "to": 3, "weight": 3},
    ],
}
failures = []


def check(what, got, expected):
    if got != expected:
        failures.append(f"{what}: got {got!r}, expected {expected!r}")


def stmtool(*args, stdin=None):
    run = subprocess.run([STMTOOL, *args], input=stdin, capture_output=True, text=True)
    if run.returncode != 0:
        raise SystemExit(f"stmtool {' '.join(args)} failed: {run.stderr}")
    return run


def shown(path):
    return json.loads(stmtool("show", path).stdout)


def expected_edges(graph):
    """(from caption, to caption, weight) of every edge, in the order NetworkX keeps
    them: by their start node."""
    nodes = graph["nodes"]
    edges = sorted(graph["edges"], key=lambda e: e["from"])
    return [(nodes[e["from"] - 1]["caption"], nodes[e["to"] - 1]["caption"], e["weight"])
            for e in edges]


def label(data):
    # NetworkX before 3.0 drops a GraphML label with no text: it reads as none.
    return data.get("label", "")


def networkx_reads_ours(work):
    graph_file = os.path.join(work, "g.stm")
    stmtool("new", graph_file, stdin=json.dumps(GRAPH))
    for fmt in ("graphml", "gexf", "csv"):
        stmtool("convert", graph_file, os.path.join(work, "g." + fmt))
    ids = [f"n{i + 1}" for i in range(len(GRAPH["nodes"]))]

    g = nx.read_graphml(os.path.join(work, "g.graphml"))
    check("GraphML directed", g.is_directed(), True)
    check("GraphML nodes", list(g.nodes), ids)
    for node_id, node in zip(ids, GRAPH["nodes"]):
        data = g.nodes[node_id]
        check(f"GraphML {node_id}", (label(data), data["x"], data["y"]),
              (node["caption"], node["x"], node["y"]))
    check("GraphML edges", [(label(g.nodes[u]), label(g.nodes[v]), w)
                            for u, v, w in g.edges(data="weight")], expected_edges(GRAPH))

    g = nx.read_gexf(os.path.join(work, "g.gexf"))
    check("GEXF nodes", list(g.nodes), ids)
    for node_id, node in zip(ids, GRAPH["nodes"]):
        data = g.nodes[node_id]
        position = data["viz"]["position"]
        check(f"GEXF {node_id}", (label(data), position["x"], position["y"]),
              (node["caption"], node["x"], node["y"]))
    check("GEXF edges", [(label(g.nodes[u]), label(g.nodes[v]), w)
                         for u, v, w in g.edges(data="weight")], expected_edges(GRAPH))

    with open(os.path.join(work, "g.csv"), encoding="utf-8") as csv:
        lines = csv.read().splitlines()
    check("CSV header", lines[0], "source,target,weight")
    g = nx.parse_edgelist(lines[1:], delimiter=",", create_using=nx.DiGraph, nodetype=str,
                          data=[("weight", float)])
    check("CSV edges", sorted(g.edges(data="weight")), sorted(expected_edges(GRAPH)))


def ours_reads_networkx(work):
    g = nx.DiGraph()
    for i, node in enumerate(GRAPH["nodes"]):
        g.add_node(f"v{i}", label=node["caption"], x=node["x"], y=node["y"],
                   viz={"position": {"x": float(node["x"]), "y": float(node["y"]), "z": 0.0}})
    for edge in GRAPH["edges"]:
        g.add_edge(f"v{edge['from'] - 1}", f"v{edge['to'] - 1}", weight=float(edge["weight"]))

    # NetworkX writes the edges by their start node: the graph read back has them so.
    in_networkx_order = dict(GRAPH, edges=sorted(GRAPH["edges"], key=lambda e: e["from"]))
    graphml = os.path.join(work, "nx.graphml")
    plain = g.copy()
    for _, data in plain.nodes(data=True):
        del data["viz"]  # GraphML holds no nested values
    nx.write_graphml(plain, graphml)
    stmtool("convert", graphml, os.path.join(work, "from-graphml.json"))
    with open(os.path.join(work, "from-graphml.json"), encoding="utf-8") as f:
        check("NetworkX GraphML", json.load(f), in_networkx_order)

    gexf = os.path.join(work, "nx.gexf")
    for _, data in g.nodes(data=True):
        del data["x"], data["y"]  # GEXF holds positions in viz
    nx.write_gexf(g, gexf)
    stmtool("convert", gexf, os.path.join(work, "from-gexf.stm"))
    check("NetworkX GEXF", shown(os.path.join(work, "from-gexf.stm")), in_networkx_order)

    # An edge list names its nodes by their text: NetworkX's node keys are the captions.
    named = nx.relabel_nodes(g, {f"v{i}": n["caption"] or "blank"
                                 for i, n in enumerate(GRAPH["nodes"])})
    edgelist = os.path.join(work, "nx.csv")
    nx.write_weighted_edgelist(named, edgelist, delimiter=",")
    stmtool("convert", edgelist, os.path.join(work, "from-csv.json"))
    with open(os.path.join(work, "from-csv.json"), encoding="utf-8") as f:
        read = json.load(f)
    expected = [(a or "blank", b or "blank", w) for a, b, w in expected_edges(GRAPH)]
    check("NetworkX edge list", sorted(expected_edges(read)), sorted(expected))


with tempfile.TemporaryDirectory() as work:
    networkx_reads_ours(work)
    ours_reads_networkx(work)
for failure in failures:
    print(failure)
print(f"NetworkX {nx.__version__}: {'1 passed, 0 failed' if not failures else '0 passed, 1 failed'}")
sys.exit(1 if failures else 0)
