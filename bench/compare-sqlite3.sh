#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# kestro-cli against sqlite3 doing the same work, whole processes, alternating runs:
#   import: an export of 1000, 2000, 4000, 8000 and 16390 lines, the listing to /dev/null,
#           against sqlite3 reading the CSV (.import), keeping one row per phone and text
#           (INSERT OR IGNORE ... ORDER BY time) and listing the rows newest first;
#   dump:   a full store of 100-byte texts against sqlite3 listing the same rows.
# Prints the median wall time of each side's whole process (start-up included) and the
# median of the pairwise ratios; on a busy machine give more runs. Not run by the tests; sqlite3 is only a yardstick, never something Kestro needs.
#
# usage: bench/compare-sqlite3.sh [KESTRO_CLI] [RUNS]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../build/release/bin/kestro-cli}
runs=${2:-21}
if ! command -v sqlite3 >/dev/null; then
    echo "sqlite3 is not installed: nothing to compare against, skipped."
    exit 0
fi
if [[ -z ${EPOCHREALTIME:-} ]]; then
    echo "this shell has no microsecond clock (bash 5 or later): skipped."
    exit 0
fi
[[ -x $cli ]] || { echo "no kestro-cli at $cli (build it, or name it as the first argument)" >&2; exit 2; }

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

# Runs A and B in turn, `runs` times each after one warm-up of each; prints one table row.
compare() {  # label, then A's words, "--", B's words
    local label=$1; shift
    local a=() b=()
    while [[ $1 != -- ]]; do a+=("$1"); shift; done
    shift; b=("$@")
    "${a[@]}" >/dev/null 2>&1 || true; "${b[@]}" >/dev/null 2>&1 || true
    : >"$work/a"; : >"$work/b"; : >"$work/r"
    for ((i = 0; i < runs; ++i)); do
        local ta tb
        ta=$(seconds_of "${a[@]}"); tb=$(seconds_of "${b[@]}")
        echo "$ta" >>"$work/a"; echo "$tb" >>"$work/b"
        awk -v a="$ta" -v b="$tb" 'BEGIN { if (b > 0) printf "%.4f\n", a / b }' >>"$work/r"
    done
    printf "%-14s %10.2f %10.2f %8.2f\n" "$label" "$(median <"$work/a" | awk '{print $1 * 1000}')" \
        "$(median <"$work/b" | awk '{print $1 * 1000}')" "$(median <"$work/r")"
}

printf "%-14s %10s %10s %8s\n" "work" "kestro ms" "sqlite3 ms" "ratio"
for lines in 1000 2000 4000 8000 16390; do
    export_of "$lines" >"$work/export$lines.csv"
    import_sql "$work/export$lines.csv" >"$work/import$lines.sql"
    compare "import $lines" "$cli" import "$work/export$lines.csv" -- \
        sh -c "exec sqlite3 :memory: <'$work/import$lines.sql'"
done

# The realistic store: a full export of 100-byte texts as kestro-cli keeps it, and the
# same rows in an sqlite3 database.
export_of 16390 100 >"$work/texts100.csv"
"$cli" import "$work/texts100.csv" -o "$work/store.kst" >/dev/null
"$cli" dump "$work/store.kst" | sed '$d' >"$work/rows.tsv"
sqlite3 "$work/store.db" <<SQL
CREATE TABLE messages(serial INTEGER, flags TEXT, color INTEGER, time TEXT, phone TEXT, name TEXT, text TEXT);
.mode tabs
.import $work/rows.tsv messages
SQL
compare "dump 16380" "$cli" dump "$work/store.kst" -- \
    sqlite3 -tabs "$work/store.db" "SELECT serial, flags, color, time, phone, name, text FROM messages"
echo "(ms: median wall time of whole processes; ratio: median of kestro/sqlite3 per pair, below 1 is ahead)"
