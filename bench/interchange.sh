#!/usr/bin/env bash
# Reading other tools' files against NetworkX, and Graphviz's layouts through the library
# against Graphviz's command line, in one run: InterchangeBench makes the files (a
# 1,000,000-edge CSV edge list, a 100,000-edge GraphML file, a 2,000-node graph) and times
# our side; NetworkX then reads the same two files, timed around its reading call alone.
#
# usage: bench/interchange.sh [BIN] [RUNS]     defaults: build/bin 3
#
# Prints the benchmark's table, NetworkX's runs, the medians and their ratios, and last a
# line "summary key=value ..." for scripts (scripts/bench reads it): the readers' figures
# are processor times (both sides read on one thread), the layouts' elapsed times (the
# command line runs in a process of its own). Needs NetworkX
# (Debian's python3-networkx) and Graphviz's command line (graphviz).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${1:-$root/build/bin}
runs=${2:-3}
[[ -x $bin/InterchangeBench ]] || { echo "interchange: no $bin/InterchangeBench; build it first" >&2; exit 1; }
python=/usr/bin/python3
"$python" -c 'import networkx' 2>/dev/null || python=python3
"$python" -c 'import networkx' || { echo "interchange: needs NetworkX" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Repetitions interleaved, so that a busy spell of the machine falls on both sides alike.
BENCH_FILES_DIR=$work "$bin/InterchangeBench" --benchmark_repetitions="$runs" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true |
    tee "$work/bench"

# NetworkX's own readers for these files, into a directed graph as ours are. Both sides
# read on one thread: the readers are compared by processor time, which another process
# on the machine does not inflate; elapsed time is printed too.
"$python" - "$work" "$runs" <<'PY' | tee "$work/networkx"
import statistics, sys, time
import networkx as nx
work, runs = sys.argv[1], int(sys.argv[2])
readers = {
    "csv": lambda: nx.read_edgelist(f"{work}/edges.csv", delimiter=",", nodetype=str,
                                    data=[("weight", float)], create_using=nx.DiGraph),
    "graphml": lambda: nx.read_graphml(f"{work}/graph.graphml"),
}
for name, read in readers.items():
    times, cpu = [], []
    for run in range(runs):
        start, start_cpu = time.perf_counter(), time.process_time()
        graph = read()
        times.append((time.perf_counter() - start) * 1000)
        cpu.append((time.process_time() - start_cpu) * 1000)
        print(f"networkx {name} run {run + 1}: {times[-1]:.0f} ms elapsed, {cpu[-1]:.0f} ms "
              f"processor, {graph.number_of_edges()} edges")
    print(f"networkx_{name}_ms {statistics.median(times):.1f}")
    print(f"networkx_{name}_cpu_ms {statistics.median(cpu):.1f}")
print(f"networkx_version {nx.__version__}")
PY

# median NAME [cpu]: the median elapsed (or processor) time of benchmark NAME in ms.
median() {
    awk -v name="$1_median" -v cpu="${2:-}" '$1 == name {
        v = cpu ? $4 : $2; u = cpu ? $5 : $3
        if (u == "ns") v /= 1e6; else if (u == "us") v /= 1e3; else if (u == "s") v *= 1e3
        print v }' "$work/bench"
}
nx_ms() { awk -v k="networkx_$1_ms" '$1 == k { print $2 }' "$work/networkx"; }

csv=$(median BM_ReadCsv/real_time cpu)
csv_graph=$(median BM_ReadCsvToGraph/real_time cpu)
graphml=$(median BM_ReadGraphMl/real_time cpu)
graphml_graph=$(median BM_ReadGraphMlToGraph/real_time cpu)
neato=$(median BM_Layout/0/real_time)
sfdp=$(median BM_Layout/1/real_time)
editor_neato=$(median BM_EditorLayout/0/real_time)
editor_sfdp=$(median BM_EditorLayout/1/real_time)
neato_cli=$(median BM_CommandLine/0/real_time)
sfdp_cli=$(median BM_CommandLine/1/real_time)
awk -v c="$csv" -v cg="$csv_graph" -v nc="$(nx_ms csv_cpu)" -v g="$graphml" -v gg="$graphml_graph" \
    -v ng="$(nx_ms graphml_cpu)" -v n="$neato" -v nl="$neato_cli" -v s="$sfdp" -v sl="$sfdp_cli" 'BEGIN {
        printf "medians, processor time: CSV %.0f ms (to graph %.0f), NetworkX %.0f ms: %.1f x faster\n", c, cg, nc, nc / c
        printf "                         GraphML %.0f ms (to graph %.0f), NetworkX %.0f ms: %.1f x faster\n", g, gg, ng, ng / g
        printf "medians, elapsed: neato %.0f ms, command line %.0f ms: %.2f; sfdp %.0f ms, command line %.0f ms: %.2f\n",
               n, nl, n / nl, s, sl, s / sl
    }'
awk -v n="$neato" -v en="$editor_neato" -v nl="$neato_cli" -v s="$sfdp" -v es="$editor_sfdp" \
    -v sl="$sfdp_cli" 'BEGIN {
        printf "the editor Layout menu: neato %.0f ms (%.2f of the command line), sfdp %.0f ms (%.2f)\n",
               en, en / nl, es, es / sl
        printf "                       over LayOut alone: neato %+.0f ms, sfdp %+.0f ms\n", en - n, es - s
    }'
echo "summary csv_ms=$csv csv_graph_ms=$csv_graph networkx_csv_ms=$(nx_ms csv_cpu)" \
     "graphml_ms=$graphml graphml_graph_ms=$graphml_graph networkx_graphml_ms=$(nx_ms graphml_cpu)" \
     "neato_ms=$neato neato_cli_ms=$neato_cli sfdp_ms=$sfdp sfdp_cli_ms=$sfdp_cli" \
     "editor_neato_ms=$editor_neato editor_sfdp_ms=$editor_sfdp"
