#!/usr/bin/env bash
# Measures tempconv as a user runs it, with c and 25 on standard input, side by side with the
# plain dialogue in the same environment, and prints each ratio next to its goal. It never fails
# because the machine is busy: it only reports.
# Usage: bench.sh TEMPCONV PLAIN MINIMAL STARTUP
set -euo pipefail
tempconv=$1 plain=$2 minimal=$3 startup=$4

# A missing tool is named with the Debian package that brings it.
missing=""
for need in valgrind:valgrind /usr/bin/time:time file:file; do
  found=$(command -v "${need%%:*}") && [ -f "$found" ] && [ -x "$found" ] ||
    missing+="${missing:+, }${need%%:*} (package ${need#*:})"
done
if [ -n "$missing" ]; then
  echo "bench.sh: the benchmark needs $missing" >&2
  exit 1
fi

input=$(mktemp)
trap 'rm -f "$input"' EXIT
printf 'c\n25\n' >"$input"

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" <"$input" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
# The least of five runs of PROGRAM on what FEED writes, for the resident size moves from run to
# run.
peak() {
  local feed=$1 program=$2
  for _ in 1 2 3 4 5; do
    { "$feed" | /usr/bin/time -f %M "$program" >/dev/null || true; } 2>&1 | tail -n 1
  done | sort -n | head -n 1
}
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}
short_input() {
  cat "$input"
}
long_input() {
  printf 'c\n'
  head -c 100000000 /dev/zero | tr '\0' 7
  printf '\n'
}

ours=$(instructions "$tempconv")
theirs=$(instructions "$plain")
ours_peak=$(peak short_input "$tempconv")
theirs_peak=$(peak short_input "$plain")
# A temperature of 10^8 digits, too large for a double: refused, in the memory of a short answer.
long_peak=$(peak long_input "$tempconv")

echo "tempconv start-up benchmark, release build, $(file -b "$tempconv" | grep -o '[a-z]* linked')," \
  "in an environment of $(env | wc -l) variables"
echo "instructions per run: $ours against the plain dialogue's $theirs," \
  "ratio $(ratio "$ours" "$theirs") (goal: at most 1.00)"
echo "peak resident memory: $ours_peak KiB against the plain dialogue's $theirs_peak KiB," \
  "ratio $(ratio "$ours_peak" "$theirs_peak") (goal: at most 1.00)"
echo "peak resident memory for a number of 10^8 digits: $long_peak KiB against $ours_peak KiB" \
  "for c 25, ratio $(ratio "$long_peak" "$ours_peak") (goal: at most 1.00)"
"$startup" 2000 "$input" "$tempconv" "$minimal" |
  sed 's/$/ against the minimal C program (goal: at most 1.30)/'
