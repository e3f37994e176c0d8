#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kestro against sqlite3 doing the same work, whole processes, alternating runs. Each job
# is one command:
#   import-full  an export of 16390 lines imported, the listing to /dev/null, against sqlite3
#                reading the CSV (.import), keeping one row per phone and text (INSERT OR
#                IGNORE ... ORDER BY time) and listing the rows newest first;
#   import-1000  the same with 1000 lines;
#   import-3     the same with 3 lines: little more than each program's start;
#   dump         a full store of 100-byte texts listed, against sqlite3 listing the same rows;
#   csv          the same store exported as CSV, against sqlite3 writing the same rows with
#                `.mode csv`;
#   start        the window's start-up by its own timing (KESTRO_STARTUP_TIMING, offscreen),
#                reopening the full store against reopening nothing (no sqlite3);
#   all          every job above, in that order (the default).
# Every --cli (or --program for `start`) takes its turn in each round, so that a build
# before a change and one after it are measured in one alternating run. Prints the machine's
# load, then per job and program the median wall time of each side's whole process (start-up
# included) and the median of the pairwise ratios sqlite3/Kestro (above 1: Kestro is ahead);
# for `start` the medians and the median of the pairwise differences full - empty. Not run
# by the tests; sqlite3 is only a yardstick, never something Kestro needs.
#
# usage: bench/compare-sqlite3.sh [--runs N] [--cli KESTRO_CLI]... [--program KESTRO]... [JOB...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
runs=21
clis=() programs=() jobs=()
while (($#)); do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --cli) clis+=("$(realpath "$2")"); shift 2 ;;
        --program) programs+=("$(realpath "$2")"); shift 2 ;;
        import-full | import-1000 | import-3 | dump | csv | start) jobs+=("$1"); shift ;;
        all) jobs+=(import-full import-1000 import-3 dump csv start); shift ;;
        *) echo "usage: $0 [--runs N] [--cli KESTRO_CLI]... [--program KESTRO]... [import-full|import-1000|import-3|dump|csv|start|all]..." >&2
           exit 2 ;;
    esac
done
((${#jobs[@]})) || jobs=(import-full import-1000 import-3 dump csv start)
((${#clis[@]})) || clis=("$here/../build/release/bin/kestro-cli")
((${#programs[@]})) || programs=("$here/../build/release/bin/kestro")
if ! command -v sqlite3 >/dev/null; then
    echo "sqlite3 is not installed: nothing to compare against, skipped."
    exit 0
fi
if [[ -z ${EPOCHREALTIME:-} ]]; then
    echo "this shell has no microsecond clock (bash 5 or later): skipped."
    exit 0
fi
for cli in "${clis[@]}"; do
    [[ -x $cli ]] || { echo "no kestro-cli at $cli (build it, or name it with --cli)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A word-form message export of `lines` lines, oldest first, both directions, a thousand
# phones; texts of 70-150 bytes, or of exactly `textlen` bytes when it is given.
export_of() {  # lines [textlen]
    awk -v lines="$1" -v textlen="${2:-0}" 'BEGIN {
        srand(5); letters = "abcdefghijklmnopqrstuvwxyz";
        for (i = 0; i < lines; ++i) {
            minute = i * 7;
            time = sprintf("20%02d.%02d.%02d %02d:%02d", 5 + int(minute / 483840), 1 + int(minute / 40320) % 12,
                           1 + int(minute / 1440) % 28, int(minute / 60) % 24, minute % 60);
            phone = "+1555555" (1000 + int(rand() * 1000));
            c = substr(letters, 1 + int(rand() * 26), 1);
            text = "Message " i " ";
            n = textlen > 0 ? textlen - length(text) : 60 + int(rand() * 80);
            for (k = 0; k < n; ++k) text = text c;
            if (rand() < 0.5) printf "\"sms\",\"deliver\",\"%s\",\"\",\"\",\"%s\",\"\",\"%s\"\r\n", phone, time, text;
            else printf "\"sms\",\"submit\",\"\",\"%s\",\"\",\"%s\",\"\",\"%s\"\r\n", phone, time, text;
        }
    }'
}

# The import as SQL: the CSV's columns into a table, then one row per phone and text in
# time order, then the rows listed newest first.
import_sql() {  # csv
    cat <<SQL
CREATE TABLE raw(type TEXT, status TEXT, sender TEXT, receiver TEXT, unused1 TEXT, time TEXT, unused2 TEXT, text TEXT);
.mode csv
.import $1 raw
CREATE TABLE messages(time TEXT, phone TEXT, sent INTEGER, text TEXT, UNIQUE(phone, text));
INSERT OR IGNORE INTO messages
  SELECT time, CASE WHEN sender <> '' THEN sender ELSE receiver END, status = 'submit', rtrim(text)
  FROM raw WHERE type = 'sms' ORDER BY time;
.mode tabs
SELECT rowid, sent, time, phone, text FROM messages ORDER BY time DESC;
SQL
}

# Wall seconds of one run, its output thrown away.
seconds_of() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    local end=$EPOCHREALTIME
    awk -v s="${start/,/.}" -v e="${end/,/.}" 'BEGIN { printf "%.6f\n", e - s }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ms() { median <"$1" | awk '{ printf "%.2f", $1 * 1000 }'; }

# sqlite3's words, then for each kestro-cli its words with KESTRO standing for it: each
# round runs sqlite3 and every kestro-cli in turn, after one warm-up of each; one table row
# per kestro-cli.
compare() {  # label, sqlite3's words..., "--", kestro's words with KESTRO...
    local label=$1; shift
    local s=() k=()
    while [[ $1 != -- ]]; do s+=("$1"); shift; done
    shift; k=("$@")
    local i c
    "${s[@]}" >/dev/null 2>&1 || true
    for c in "${!clis[@]}"; do "${clis[c]}" "${k[@]:1}" >/dev/null 2>&1 || true; : >"$work/k$c"; : >"$work/r$c"; done
    : >"$work/s"
    for ((i = 0; i < runs; ++i)); do
        local ts tk
        ts=$(seconds_of "${s[@]}"); echo "$ts" >>"$work/s"
        for c in "${!clis[@]}"; do
            tk=$(seconds_of "${clis[c]}" "${k[@]:1}"); echo "$tk" >>"$work/k$c"
            awk -v s="$ts" -v k="$tk" 'BEGIN { if (k > 0) printf "%.4f\n", s / k }' >>"$work/r$c"
        done
    done
    for c in "${!clis[@]}"; do
        printf "%-12s %-3s %10s %10s %8.2f\n" "$label" "$((c + 1))" "$(ms "$work/k$c")" "$(ms "$work/s")" "$(median <"$work/r$c")"
    done
}

import_job() {  # lines
    local lines=$1
    export_of "$lines" >"$work/export$lines.csv"
    import_sql "$work/export$lines.csv" >"$work/import$lines.sql"
    compare "import $lines" sh -c "exec sqlite3 :memory: <'$work/import$lines.sql'" -- \
        KESTRO import "$work/export$lines.csv"
}

# The realistic store: a full export of 100-byte texts as kestro-cli keeps it, and the
# same rows in an sqlite3 database.
make_store() {
    [[ -f $work/store.db ]] && return
    export_of 16390 100 >"$work/texts100.csv"
    "${clis[0]}" import "$work/texts100.csv" -o "$work/store.kst" >/dev/null 2>&1  # 10 past the capacity
    "${clis[0]}" dump "$work/store.kst" | sed '$d' >"$work/rows.tsv"
    sqlite3 "$work/store.db" <<SQL
CREATE TABLE messages(serial INTEGER, flags TEXT, color INTEGER, time TEXT, phone TEXT, name TEXT, text TEXT);
.mode tabs
.import $work/rows.tsv messages
SQL
}

dump_job() {
    make_store
    compare "dump 16380" sqlite3 -tabs "$work/store.db" "SELECT serial, flags, color, time, phone, name, text FROM messages" -- \
        KESTRO dump "$work/store.kst"
}

# The same rows as the CSV export writes them: its time, phone, name, direction (the flags'
# lowest bit, MsgSent, from the dump's hexadecimal) and text.
csv_job() {
    make_store
    compare "csv 16380" sqlite3 -csv -header "$work/store.db" \
        "SELECT replace(time, '.', '-') AS Time, phone AS Phone, name AS Name,
                CASE WHEN instr('13579bdf', substr(flags, -1)) > 0 THEN 'Sent' ELSE 'Received' END AS Direction, text AS Message
         FROM messages" -- \
        KESTRO export "$work/store.kst" --format csv
}

# The window's own start-up time, reopening the full store (as its settings name it) and
# reopening nothing, each in a home of its own; one row per program.
start_job() {
    make_store
    local home p i
    for home in full empty; do
        mkdir -p "$work/$home/Documents/Kestro" "$work/$home/.config" && chmod 700 "$work/$home/.config"
        [[ $home == full ]] && printf '[General]\nLastSavedFile=%s\n' "$work/store.kst" >"$work/$home/Documents/Kestro/Kestro.cfg"
    done
    started_ms() {  # program home
        HOME=$work/$2 XDG_CONFIG_HOME=$work/$2/.config XDG_RUNTIME_DIR=$work/$2/.config QT_QPA_PLATFORM=offscreen KESTRO_STARTUP_TIMING=1 \
            "$1" 2>/dev/null | sed -n 's/^start-up: \([0-9.]*\) ms.*/\1/p'
    }
    for p in "${!programs[@]}"; do
        [[ -x ${programs[p]} ]] || { echo "no kestro at ${programs[p]} (build it, or name it with --program)" >&2; return; }
        started_ms "${programs[p]}" full >/dev/null; started_ms "${programs[p]}" empty >/dev/null
        : >"$work/f$p"; : >"$work/e$p"; : >"$work/d$p"
    done
    for ((i = 0; i < runs; ++i)); do
        for p in "${!programs[@]}"; do
            local tf te
            tf=$(started_ms "${programs[p]}" full); te=$(started_ms "${programs[p]}" empty)
            echo "$tf" >>"$work/f$p"; echo "$te" >>"$work/e$p"
            awk -v f="$tf" -v e="$te" 'BEGIN { printf "%.2f\n", f - e }' >>"$work/d$p"
        done
    done
    printf "%-12s %-3s %10s %10s %8s\n" "" "" "full ms" "empty ms" "+ms"
    for p in "${!programs[@]}"; do
        printf "%-12s %-3s %10s %10s %+8.1f\n" "start" "$((p + 1))" "$(median <"$work/f$p")" "$(median <"$work/e$p")" \
            "$(median <"$work/d$p")"
    done
}

echo "load: $(uptime | sed 's/.*load average: //')"
for c in "${!clis[@]}"; do echo "kestro-cli $((c + 1)): ${clis[c]}"; done
for j in "${jobs[@]}"; do [[ $j == start ]] && for p in "${!programs[@]}"; do echo "kestro $((p + 1)): ${programs[p]}"; done; done
printf "%-12s %-3s %10s %10s %8s\n" "job" "#" "kestro ms" "sqlite3 ms" "ratio"
for j in "${jobs[@]}"; do
    case $j in
        import-full) import_job 16390 ;;
        import-1000) import_job 1000 ;;
        import-3) import_job 3 ;;
        dump) dump_job ;;
        csv) csv_job ;;
        start) start_job ;;
    esac
done
echo "load: $(uptime | sed 's/.*load average: //')"
echo "(ms: median wall time of whole processes; ratio: median of sqlite3/kestro per round, above 1 is ahead;"
echo " start: the window's own timing, full store and empty, and the median difference in ms)"
