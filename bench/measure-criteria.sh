#!/bin/bash
# Times vrx-cli on the comparisons other than plain content equality: three
# warm runs per case, median wall time and median peak RSS, and a checksum of
# the result list so that two builds can be seen to give the same classes.
#
#   bench/measure-criteria.sh VRX_CLI [CORPORA] [SAMESIZE_DIR]
#
# CORPORA holds the generated corpora (mixed/tree, names/tree; default
# /tmp/parlind-bench); SAMESIZE_DIR a folder of 1,000 files of equal size
# (default CORPORA/samesize1000). Missing ones are generated first, with
# make-corpus.py and gen_samesize.py beside this script. RUNS (default 3) sets
# the runs per case, ONLY (an extended regular expression) keeps the cases
# whose label matches.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=${1:?usage: measure-criteria.sh VRX_CLI [CORPORA] [SAMESIZE_DIR]}
corpora=${2:-/tmp/parlind-bench}
samesize=${3:-$corpora/samesize1000}
runs=${RUNS:-3}
bash "$here/../scripts/setup.sh" bench
for corpus in names mixed; do
  if [[ ! -d $corpora/$corpus/tree ]]; then
    python3 "$here/make-corpus.py" --root "$corpora" "$corpus" >&2
  fi
done
if [[ ! -d $samesize ]]; then
  python3 "$here/gen_samesize.py" "$samesize" >&2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# measure LABEL PTY ARGS...: PTY=1 runs under a pseudo terminal so that the
# progress line is drawn.
measure() {
  local label=$1 pty=$2
  shift 2
  [[ -z ${ONLY:-} || $label =~ $ONLY ]] || return 0
  "$cli" "$@" >/dev/null 2>&1 || true  # warm the cache
  for ((i = 0; i < runs; ++i)); do
    if [[ $pty == 1 ]]; then
      local cmd
      cmd=$(printf '%q ' /usr/bin/time -v -o "$work/time" "$cli" "$@")
      # Standard error stays on the pseudo terminal, where the line is drawn.
      script -qc "$cmd >$work/out" /dev/null >/dev/null
    else
      /usr/bin/time -v -o "$work/time" "$cli" "$@" >"$work/out" 2>"$work/err" || true
    fi
    awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
      for (k = 1; k <= n; ++k) s = s * 60 + t[k]; print s}' "$work/time" >>"$work/wall"
    awk -F': ' '/Maximum resident/ {print $2}' "$work/time" >>"$work/rss"
    awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$work/time" >>"$work/cpu"
  done
  local wall cpu rss sum
  wall=$(median <"$work/wall")
  cpu=$(median <"$work/cpu")
  rss=$(median <"$work/rss")
  sum=$(grep -v -e '^Erfassungszeitraum' -e '^Capture' "$work/out" | md5sum | cut -c1-8)
  printf '| %s | %s s | %s s | %.1f MiB | %s |\n' "$label" "$wall" "$cpu" \
    "$(echo "$rss / 1024" | bc -l)" "$sum"
  rm -f "$work/wall" "$work/cpu" "$work/rss"
}

echo '| case | wall (median) | CPU user+sys (median) | peak RSS (median) | result checksum |'
echo '|---|---|---|---|---|'
measure "names within 1 character (names)" 0 --quiet --csv --same-name=1 "$corpora/names/tree+"
measure "names within 2 characters, letter case counts (names)" 0 --quiet --csv --same-name=2 --same-name-case "$corpora/names/tree+"
measure "content within 16 bytes (1,000 same-size files)" 0 --quiet --csv --same-content=16 "$samesize+"
measure "sizes within 10 % (mixed)" 0 --quiet --csv --same-size=10% "$corpora/mixed/tree+"
measure "dates within 1 hour (mixed)" 0 --quiet --csv --same-date=1h "$corpora/mixed/tree+"
measure "identical content, --quiet on a terminal (mixed)" 1 --quiet --csv --same-content --size '>0' "$corpora/mixed/tree+"
measure "identical content, progress line on a terminal (mixed)" 1 --csv --same-content --size '>0' "$corpora/mixed/tree+"
