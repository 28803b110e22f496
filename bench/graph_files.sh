#!/usr/bin/env bash
# Times writing and reading a large graph file with stmtool, as whole processes: elapsed
# time and peak memory of `stmtool new` and `stmtool show`, next to `cp` of the same file
# in the same run, which is what moving the bytes alone costs.
#
# usage: bench/graph_files.sh [STMTOOL] [NODES] [EDGES] [SEED] [RUNS]
# defaults: build/bin/stmtool 2000 10000 42 3
#
# The graph is random but fixed by the seed: the same JSON on every machine (a Park-Miller
# generator in awk, exact in any awk's doubles). Needs GNU time (/usr/bin/time, Debian's
# `time` package).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
stmtool=${1:-$root/build/bin/stmtool}
nodes=${2:-2000}
edges=${3:-10000}
seed=${4:-42}
runs=${5:-3}

[[ -x $stmtool ]] || { echo "graph_files: no stmtool at $stmtool; build it first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "graph_files: needs GNU time at /usr/bin/time" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Captions N1..Nn at random places; edges between random distinct nodes, with weights of
# two decimals between 1 and 100.
awk -v n="$nodes" -v e="$edges" -v seed="$seed" '
    function rand31() { state = (state * 16807) % 2147483647; return state }
    BEGIN {
        state = seed % 2147483646 + 1
        printf "{\"nodes\": ["
        for (i = 1; i <= n; i++)
            printf "%s{\"caption\": \"N%d\", \"x\": %d, \"y\": %d}", (i > 1 ? ", " : ""), i,
                   rand31() % 1000, rand31() % 1000
        printf "], \"edges\": ["
        for (k = 1; k <= e; k++) {
            from = rand31() % n + 1
            to = (from + rand31() % (n - 1)) % n + 1
            printf "%s{\"from\": %d, \"to\": %d, \"weight\": %d.%02d}", (k > 1 ? ", " : ""),
                   from, to, 1 + rand31() % 99, rand31() % 100
        }
        printf "]}\n"
    }' >"$work/graph.json"

# measure NAME INPUT COMMAND...: one line per run, elapsed seconds and peak resident
# megabytes of the command run with INPUT as its standard input.
measure() {
    local name=$1 input=$2
    shift 2
    local run elapsed kilobytes
    for ((run = 1; run <= runs; run++)); do
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" <"$input" >/dev/null
        read -r elapsed kilobytes <"$work/time"
        printf "%-6s %4d %10.2f %12.1f\n" "$name" "$run" "$elapsed" "$((kilobytes))e-3"
    done
}

"$stmtool" new "$work/graph.stm" <"$work/graph.json"
echo "graph: $nodes nodes, $edges edges, seed $seed;" \
     "file $(stat -c %s "$work/graph.stm") bytes; JSON $(stat -c %s "$work/graph.json") bytes"
printf "%-6s %4s %10s %12s\n" step run elapsed_s peak_rss_MB
measure new "$work/graph.json" "$stmtool" new "$work/new.stm"
measure show /dev/null "$stmtool" show "$work/graph.stm"
measure cp /dev/null cp "$work/graph.stm" "$work/copy.stm"
