#!/usr/bin/env bash
# Measures tempconv as a user runs it, with c and 25 on standard input, and prints the figures
# next to their goals. It never fails because the machine is busy: it only reports.
# Usage: bench.sh TEMPCONV MINIMAL STARTUP
set -euo pipefail
tempconv=$1 minimal=$2 startup=$3

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

# glibc's start-up reads every environment variable, so the count depends on the environment.
count_instructions() {
  "$@" valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tempconv" <"$input" 2>&1 \
    >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
instructions=$(count_instructions env)
bare_instructions=$(count_instructions env -i)
peak=$( { /usr/bin/time -f %M "$tempconv" <"$input" >/dev/null; } 2>&1 )
minimal_peak=$( { /usr/bin/time -f %M "$minimal" <"$input" >/dev/null; } 2>&1 )
# A temperature of 10^8 digits, too large for a double: refused, in the memory of a short answer.
long_peak=$( { (printf 'c\n'; head -c 100000000 /dev/zero | tr '\0' 7; printf '\n') |
  /usr/bin/time -f %M "$tempconv" >/dev/null || true; } 2>&1 | tail -n 1)

echo "tempconv start-up benchmark, release build, $(file -b "$tempconv" | grep -o '[a-z]* linked')"
echo "instructions per run: $instructions with this environment of $(env | wc -l) variables," \
  "$bare_instructions with an empty one (goal: at most 100000)"
echo "peak resident memory: $peak KiB; minimal C program: $minimal_peak KiB (goal: at most 1536 KiB)"
echo "peak resident memory for a number of 10^8 digits: $long_peak KiB (goal: at most 1536 KiB)"
"$startup" 2000 "$input" "$tempconv" "$minimal" | sed 's/$/ (goal: at most 1.30)/'
