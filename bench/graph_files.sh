#!/usr/bin/env bash
# Times writing and reading a large graph file with stmtool, as whole processes: elapsed
# time and peak memory of `stmtool new` and `stmtool show`, next to `cp` of the same file
# in the same run, which is what moving the bytes alone costs, and next to `dd
# conv=fsync`, a copy that also waits for the disk as a save does before it replaces the
# old file.
#
# usage: bench/graph_files.sh [STMTOOL] [NODES] [EDGES] [SEED] [RUNS]
# defaults: build/bin/stmtool 2000 10000 42 3
#
# Prints one line per run and step, then the medians and their ratios, and last a line
# "summary key=value ..." for scripts (scripts/bench reads it).
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
# megabytes of the command run with INPUT as its standard input; the runs also go to
# $work/runs for the medians. Elapsed time is taken by the shell to the microsecond (GNU
# time rounds to 10 ms, too coarse for cp). One run first is not counted: on a virtual
# machine, memory that no process has touched for a while costs several times more on its
# first touch, and which run meets it is chance. Before each run `sync` writes back what
# earlier runs left dirty, so that no run waits for another's writeback.
measure() {
    local name=$1 input=$2
    shift 2
    local run start end elapsed kilobytes
    "$@" <"$input" >/dev/null
    for ((run = 1; run <= runs; run++)); do
        sync
        start=$EPOCHREALTIME
        /usr/bin/time -f "%M" -o "$work/time" "$@" <"$input" >/dev/null
        end=$EPOCHREALTIME
        elapsed=$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.4f", e - s }')
        read -r kilobytes <"$work/time"
        printf "%-8s %4d %10.3f %12.1f\n" "$name" "$run" "$elapsed" "$((kilobytes))e-3"
        echo "$name $elapsed $kilobytes" >>"$work/runs"
    done
}

# median NAME FIELD: the median over the runs of NAME of field 2 (seconds) or 3 (kB).
median() {
    awk -v name="$1" -v field="$2" '$1 == name { print $field }' "$work/runs" | sort -g |
        awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

"$stmtool" new "$work/graph.stm" <"$work/graph.json"
file_bytes=$(stat -c %s "$work/graph.stm")
echo "graph: $nodes nodes, $edges edges, seed $seed; file $file_bytes bytes;" \
     "JSON $(stat -c %s "$work/graph.json") bytes"
printf "%-8s %4s %10s %12s\n" step run elapsed_s peak_rss_MB
: >"$work/runs"
measure new "$work/graph.json" "$stmtool" new "$work/new.stm"
measure show /dev/null "$stmtool" show "$work/graph.stm"
measure cp /dev/null cp "$work/graph.stm" "$work/copy.stm"
measure cp+fsync /dev/null dd if="$work/graph.stm" of="$work/synced.stm" bs=4M conv=fsync \
    status=none

new_s=$(median new 2)
show_s=$(median show 2)
cp_s=$(median cp 2)
sync_s=$(median cp+fsync 2)
show_kb=$(median show 3)
new_kb=$(median new 3)
awk -v new="$new_s" -v show="$show_s" -v cp="$cp_s" -v sync="$sync_s" -v showkb="$show_kb" \
    -v newkb="$new_kb" -v bytes="$file_bytes" 'BEGIN {
        printf "medians: new %.3f s, show %.3f s, cp %.3f s, cp+fsync %.3f s\n", new, show, cp, sync
        printf "ratios:  new/cp %.1f, show/cp %.1f, new/(cp+fsync) %.1f, fsync alone %.3f s\n",
               new / (cp > 0 ? cp : 0.01), show / (cp > 0 ? cp : 0.01),
               new / (sync > 0 ? sync : 0.01), sync - cp
        printf "memory:  show peak %.1f MB = %.2f x file, new peak %.1f MB\n",
               showkb / 1000, showkb * 1024 / bytes, newkb / 1000
    }'
echo "summary nodes=$nodes edges=$edges file_bytes=$file_bytes new_s=$new_s show_s=$show_s" \
     "cp_s=$cp_s cp_fsync_s=$sync_s new_kb=$new_kb show_kb=$show_kb"
