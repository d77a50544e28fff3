#!/usr/bin/env bash
# run-bench.sh - times Parlind's identical-file search
#     vrx-cli --quiet --same-content --size '>0' --csv DIR+
# next to the installed duplicate finders, on the generated corpora and on a
# real tree, all in one sitting, and writes one summary table.
#
# Usage: bench/run-bench.sh [-r RUNS] [-R ROOT] [-b BUILD] [-o OUT] [-g] [-P] [-B] [-c|-a]
#                           [CORPUS...]
#   CORPUS   mixed samesize large names usr (default: all five; usr is /usr/share)
#   -r RUNS  timed runs per tool (default 5; the large corpus takes at most 3)
#   -R ROOT  where the corpora are (default /tmp/parlind-bench); a missing
#            corpus is generated there with make-corpus.py
#   -b BUILD Release build folder (default ROOT/build-release); vrx-cli is
#            built there from this worktree
#   -o OUT   outputs and tables (default ROOT/out-bench)
#   -g       time bench/gather_bench (the walk plus the content step alone,
#            printing vrx-cli's CSV) in the vrx row instead of vrx-cli
#   -P       also time vrx-cli with its progress line on a pseudo terminal,
#            next to --quiet on the same terminal
#   -B       compare letters case-blind, as vrx-cli does by default; without
#            -B the vrx row adds --same-content-case, so that vrx-cli, like
#            the peers and expected.json, looks for byte-identical files
#   -c       cold-ish: before every timed run the tree's files are dropped
#            from the page cache (run-peers.sh -c, posix_fadvise DONTNEED)
#   -a       both in one sitting: every corpus warm, then cold as with -c
#            (outputs of the cold runs in OUT/<corpus>-cold); the summary has
#            a warm and a cold row per corpus
#
# Everything it needs is in this repository: the measuring tools and the
# peers are installed first (scripts/setup.sh bench), the rows come from
# bench/run-peers.sh and the corpora from bench/make-corpus.py. Each corpus
# gets OUT/<corpus>/table.txt; the summary goes to standard output and
# OUT/summary.md. For the generated corpora the match column compares the groups with expected.json;
# for /usr/share, vrx-cli's groups are compared with jdupes' groups.

set -euo pipefail

HERE=$(cd "$(dirname "$0")" && pwd)
REPO=$(cd "$HERE/.." && pwd)
RUNS=5
ROOT=/tmp/parlind-bench
BUILD=
OUT=
GATHER=0
PROGRESS=0
CASE_BLIND=0
PHASES=(warm)

usage() { sed -n '2,/^$/p' "$0" | sed 's/^# \{0,1\}//'; exit "${1:-2}"; }

while getopts "r:R:b:o:gPBcah" opt; do
  case $opt in
    r) RUNS=$OPTARG ;;
    R) ROOT=$OPTARG ;;
    b) BUILD=$OPTARG ;;
    o) OUT=$OPTARG ;;
    g) GATHER=1 ;;
    P) PROGRESS=1 ;;
    B) CASE_BLIND=1 ;;
    c) PHASES=(cold) ;;
    a) PHASES=(warm cold) ;;
    h) usage 0 ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
CORPORA=("$@")
[ ${#CORPORA[@]} -gt 0 ] || CORPORA=(mixed samesize large names usr)
BUILD=${BUILD:-$ROOT/build-release}
OUT=${OUT:-$ROOT/out-bench}
mkdir -p "$OUT"
bash "$REPO/scripts/setup.sh" bench

# Build vrx-cli (Release) and the measuring aid.
cmake -S "$REPO" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLIND_GUI=OFF \
  -DPARLIND_TESTS=OFF -DPARLIND_BENCH=ON > "$OUT/cmake.log"
cmake --build "$BUILD" -j2 >> "$OUT/cmake.log"
if [ $GATHER = 1 ]; then
  export VRX_CLI=$BUILD/bench/gather_bench
elif [ -x "$BUILD/src/vrx-cli" ]; then
  export VRX_CLI=$BUILD/src/vrx-cli
else
  echo "run-bench.sh: vrx-cli was not built (not on this branch yet?); use -g" >&2
  exit 2
fi

# The vrx row looks for byte-identical files unless -B.
export VRX_CASE_BLIND=$CASE_BLIND
CASE_OPT=--same-content-case
[ $CASE_BLIND = 1 ] && CASE_OPT=

TOOLS="find cat fdupes jdupes rdfind rmlint vrx"
SUMMARY=()
for phase in "${PHASES[@]}"; do
for corpus in "${CORPORA[@]}"; do
  COLD=()
  out=$OUT/$corpus
  if [ "$phase" = cold ]; then
    COLD=(-c)
    out=$OUT/$corpus-cold
  fi
  SUMMARY+=("$corpus:$phase")
  runs=$RUNS
  expected=()
  if [ "$corpus" = usr ]; then
    dir=/usr/share
  else
    dir=$ROOT/$corpus/tree
    if [ ! -d "$dir" ]; then
      python3 "$HERE/make-corpus.py" --root "$ROOT" "$corpus" >&2
    fi
    expected=(-e "$ROOT/$corpus/expected.json")
    [ "$corpus" = large ] && [ "$runs" -gt 3 ] && runs=3
  fi
  "$HERE/run-peers.sh" "${COLD[@]}" -r "$runs" -o "$out" "${expected[@]}" -t "$TOOLS" \
    "$dir" > /dev/null
  if [ $PROGRESS = 1 ] && [ $GATHER = 0 ]; then
    # The same run on a pseudo terminal, where vrx-cli draws its progress
    # line, next to the run with --quiet on the same terminal.
    wrapper=$out/vrx-on-terminal.sh
    printf '#!/bin/bash\nexec %q "$@" --same-content %s --size %q --csv %q > /dev/null\n' \
      "$VRX_CLI" "$CASE_OPT" '>0' "$dir+" > "$wrapper"
    chmod +x "$wrapper"
    warm=(--warmup 1)
    if [ ${#COLD[@]} -gt 0 ]; then
      # run-peers.sh left its page-cache eviction script in the corpus's outputs.
      warm=(--warmup 0 --prepare "$(printf '%q ' python3 "$out/evict.py" "$dir")")
    fi
    hyperfine -N -i --runs "$runs" "${warm[@]}" --export-json "$out/vrx-progress.json" \
      -n vrx-progress "script -qc '$wrapper' /dev/null" \
      -n vrx-quiet "script -qc '$wrapper --quiet' /dev/null" > /dev/null 2>&1
  fi
done
done

# The summary: medians per tool and corpus, vrx's peak memory, its ratio to the
# fastest peer and whether its groups are the expected ones.
python3 - "$OUT" "${SUMMARY[@]}" <<'EOF' | tee "$OUT/summary.md"
import csv, json, os, re, sys
out, runs = sys.argv[1], [a.split(":") for a in sys.argv[2:]]
peers = ["fdupes", "jdupes", "rdfind", "rmlint"]
cols = ["find", "cat"] + peers + ["vrx"]

def rows(folder):
    got = {}
    for line in open(os.path.join(out, folder, "table.txt")):
        f = line.split()
        if len(f) >= 9 and f[0] in cols:
            got[f[0]] = {"median": float(f[1]), "rss": f[4], "exit": f[5], "groups": f[6],
                         "match": f[8]}
    return got

def groups_vrx(path):
    # The list as RFC 4180 has it: quoted names and folders may hold commas.
    by = {}
    with open(path, encoding="utf-8", errors="surrogateescape", newline="") as f:
        for row in csv.reader(f):
            if len(row) != 6:
                continue
            cls, name, d, size = row[:4]
            if name != "." and int(size) > 0:
                by.setdefault(cls, set()).add(os.path.join(d, name))
    return {frozenset(g) for g in by.values() if len(g) > 1}

def groups_jdupes(path):
    sets, cur = set(), set()
    for line in open(path, encoding="utf-8", errors="surrogateescape").read().split("\n") + [""]:
        if line:
            cur.add(line)
        elif cur:
            if len(cur) > 1:
                sets.add(frozenset(cur))
            cur = set()
    return sets

notes = []
print("| corpus | " + " | ".join(cols) + " | vrx / fastest peer | vrx RSS MiB | leanest peer RSS MiB | groups | match |")
print("|---" * (len(cols) + 6) + "|")
for corpus, phase in runs:
    folder = corpus if phase == "warm" else corpus + "-cold"
    r = rows(folder)
    cells = ["%.3f" % r[c]["median"] if c in r else "-" for c in cols]
    fastest = min((r[p]["median"] for p in peers if p in r), default=None)
    lean = min((float(r[p]["rss"]) for p in peers if p in r), default=None)
    v = r.get("vrx")
    ratio = "%.2f" % (v["median"] / fastest) if v and fastest else "-"
    match = v["match"] if v else "-"
    if corpus == "usr" and v:
        a = groups_vrx(os.path.join(out, folder, "vrx.out"))
        b = groups_jdupes(os.path.join(out, folder, "jdupes.out"))
        match = "= jdupes" if a == b else "jdupes -%d/+%d" % (len(b - a), len(a - b))
    name = "/usr/share" if corpus == "usr" else corpus
    if phase == "cold":
        name += ", cold"
    print("| %s | %s | %s | %s | %s | %s | %s |" % (
        name, " | ".join(cells), ratio, v["rss"] if v else "-",
        "%.1f" % lean if lean is not None else "-", v["groups"] if v else "-", match))
    prog = os.path.join(out, folder, "vrx-progress.json")
    if os.path.exists(prog):
        m = {r["command"]: r["median"] for r in json.load(open(prog))["results"]}
        notes.append("%s: on a terminal, vrx-cli with its progress line: median %.3f s, "
                     "with --quiet: %.3f s" % (name, m["vrx-progress"], m["vrx-quiet"]))
for note in notes:
    print()
    print(note)
EOF
