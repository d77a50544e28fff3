#!/usr/bin/env bash
# run-peers.sh - time the installed duplicate finders in their "find identical
# files below these folders" mode, and Parlind's
#     vrx-cli --same-content DIR+
# the same way.
#
# Usage: run-peers.sh [-r RUNS] [-w WARMUP] [-o OUTDIR] [-e EXPECTED_JSON]
#                     [-t "TOOLS"] [-c] [-L] DIR...
#   -r RUNS      timed runs per tool (default 5)
#   -w WARMUP    untimed warm-up runs per tool (default 1: warm page cache)
#   -o OUTDIR    outputs, hyperfine json, /usr/bin/time logs, table.txt
#                (default /tmp/parlind-bench/out/<name of DIR>)
#   -e FILE      expected.json of make-corpus.py: adds a column telling
#                whether the tool's groups equal the expected ones
#   -t TOOLS     which rows, in this order (default: "find cat fdupes jdupes
#                rdfind rmlint", the limits first; rows whose program is not
#                installed are skipped; add "vrx" for vrx-cli)
#   -c           cold-ish: before every run (no warm-up) drop the tree's files
#                from the page cache with posix_fadvise(DONTNEED) (needs
#                python3; pages of the host's cache in a VM may stay warm)
#   -L           leave out the two limit rows (find, cat)
#
# Rows and the settings chosen (all: recursive, symbolic links never
# followed, hidden files included, empty files left out, hard links as each
# tool does by default - the generated corpora contain none):
#   find    bare traversal:  find DIR... -type f -printf '%s\n' > /dev/null
#   cat     read every file once:  find DIR... -type f -print0 | xargs -0 cat > /dev/null
#   fdupes  fdupes -r -n -q DIR...            (-n: no empty files; no -s, no -H)
#   jdupes  jdupes -r -q DIR...               (empty files out by default; no -s,
#                                              no -z, no -H, no -Q: byte-for-byte check on)
#   rdfind  rdfind -ignoreempty true -followsymlinks false -removeidentinode true
#                  -outputname OUT DIR...     (sha1 after first/last-bytes checks)
#   rmlint  rmlint -T df --hidden --no-followlinks --no-backup -o json:OUT DIR...
#                                             (--hidden: rmlint skips dot files by
#                                              default; --no-followlinks: by default
#                                              it reports symlinks as tiny files;
#                                              --no-backup: keep no old result files;
#                                              blake2b hashes, no byte compare)
#   vrx     vrx-cli --quiet --same-content --same-content-case --size '>0' --csv DIR+...
#                                             (--size '>0' leaves out empty files and
#                                              folders, like the peers; --csv gives a
#                                              parseable list; --same-content-case:
#                                              byte-identical, like the peers)
#
# Environment: VRX_CLI names the vrx-cli binary (default: vrx-cli on the
# PATH); VRX_CASE_BLIND=1 leaves out --same-content-case, so that vrx-cli
# compares letters case-blind as it does by default.
# Every tool writes its result to OUTDIR/<tool>.out in every run, so all pay
# for their output.  Times come from hyperfine (median of RUNS), the peak
# memory from one further run under /usr/bin/time -v, and the groups and
# redundant bytes (sum over groups of (members - 1) x size) from that run's
# output.  The table goes to standard output and OUTDIR/table.txt.
#
# Needs: hyperfine, GNU time (/usr/bin/time), python3, and the tools.
# Large generated data belongs under /tmp/parlind-bench, never in a repository.

set -euo pipefail

RUNS=5
WARMUP=1
OUTDIR=
EXPECTED=
TOOLS="find cat fdupes jdupes rdfind rmlint"
# TOOLS="find cat fdupes jdupes rdfind rmlint vrx"   # with vrx-cli
COLD=0
LIMITS=1
VRX_CLI=${VRX_CLI:-vrx-cli}
VRX_CASE=(--same-content-case)
[ "${VRX_CASE_BLIND:-0}" = 1 ] && VRX_CASE=()

usage() { sed -n '2,/^$/p' "$0" | sed 's/^# \{0,1\}//'; exit "${1:-2}"; }

while getopts "r:w:o:e:t:cLh" opt; do
  case $opt in
    r) RUNS=$OPTARG ;;
    w) WARMUP=$OPTARG ;;
    o) OUTDIR=$OPTARG ;;
    e) EXPECTED=$(realpath "$OPTARG") ;;
    t) TOOLS=$OPTARG ;;
    c) COLD=1 ;;
    L) LIMITS=0 ;;
    h) usage 0 ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || usage
DIRS=()
for d in "$@"; do
  [ -d "$d" ] || { echo "run-peers.sh: not a folder: $d" >&2; exit 2; }
  DIRS+=("$(realpath -s "$d")")
done
PLUS_DIRS=()
for d in "${DIRS[@]}"; do PLUS_DIRS+=("$d+"); done

if [ -z "$OUTDIR" ]; then
  name=$(basename "${DIRS[0]}")
  [ "$name" = tree ] && name=$(basename "$(dirname "${DIRS[0]}")")
  OUTDIR=/tmp/parlind-bench/out/$name
fi
mkdir -p "$OUTDIR"
OUTDIR=$(realpath "$OUTDIR")

for need in hyperfine /usr/bin/time python3; do
  command -v "$need" >/dev/null || { echo "run-peers.sh: $need is missing" >&2; exit 2; }
done

# CMD: the tool's argument vector; STDOUT_TO: where its standard output goes.
set_cmd() {
  local out=$OUTDIR/$1.out
  case $1 in
    find)   CMD=(find "${DIRS[@]}" -type f -printf '%s\n'); STDOUT_TO=/dev/null ;;
    cat)    CMD=(sh -c 'find "$@" -type f -print0 | xargs -0 cat' sh "${DIRS[@]}"); STDOUT_TO=/dev/null ;;
    fdupes) CMD=(fdupes -r -n -q "${DIRS[@]}"); STDOUT_TO=$out ;;
    jdupes) CMD=(jdupes -r -q "${DIRS[@]}"); STDOUT_TO=$out ;;
    rdfind) CMD=(rdfind -ignoreempty true -followsymlinks false -removeidentinode true
                 -outputname "$out" "${DIRS[@]}"); STDOUT_TO=/dev/null ;;
    rmlint) CMD=(rmlint -T df --hidden --no-followlinks --no-backup -o "json:$out" "${DIRS[@]}"); STDOUT_TO=/dev/null ;;
    vrx)    CMD=("$VRX_CLI" --quiet --same-content "${VRX_CASE[@]}" --size '>0' --csv "${PLUS_DIRS[@]}"); STDOUT_TO=$out ;;
    *) return 1 ;;
  esac
}

# Page-cache eviction for -c.
EVICT=$OUTDIR/evict.py
cat > "$EVICT" <<'EOF'
import os, sys
for top in sys.argv[1:]:
    for dirpath, dirnames, filenames in os.walk(top):
        for n in filenames:
            p = os.path.join(dirpath, n)
            try:
                if os.path.islink(p):
                    continue
                fd = os.open(p, os.O_RDONLY | os.O_NONBLOCK)
                try:
                    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
                finally:
                    os.close(fd)
            except OSError:
                pass
EOF

# Groups and redundant bytes of one output; with an expected.json also
# whether the groups equal the expected ones.
COUNT=$OUTDIR/count.py
cat > "$COUNT" <<'EOF'
import json, os, re, sys
tool, path, expected = sys.argv[1], sys.argv[2], sys.argv[3]
def norm(p):
    d, n = os.path.split(os.path.abspath(p))
    return os.path.join(os.path.realpath(d), n)
def size_of(p):
    try:
        return os.lstat(p).st_size
    except OSError:
        return 0
text = open(path, "rb").read().decode("utf-8", "surrogateescape")
groups = []          # lists of (path, size)
if tool in ("fdupes", "jdupes"):
    cur = []
    for line in text.split("\n") + [""]:
        if line and not re.match(r"^\d+ bytes? each:$", line):
            cur.append((line, None))
        elif not line and cur:
            groups.append(cur); cur = []
elif tool == "rdfind":
    by = {}
    for line in text.split("\n"):
        if line.startswith("DUPTYPE_"):
            f = line.split(" ", 7)
            by.setdefault(abs(int(f[1])), []).append((f[7], int(f[3])))
    groups = list(by.values())
elif tool == "rmlint":
    by = {}
    for e in json.loads(text):
        if e.get("type") == "duplicate_file":
            by.setdefault(e["checksum"], []).append((e["path"], e["size"]))
    groups = list(by.values())
elif tool == "vrx":
    # class,name,directory,size,attributes,date as RFC 4180 has it: a name or
    # folder holding a comma, a double quote or a line break is quoted.
    import csv, io
    by = {}
    for row in csv.reader(io.StringIO(text, newline="")):
        if len(row) != 6:
            continue
        cls, name, d, size, attrs, date = row
        if name == "." or int(size) == 0:
            continue                      # folder rows and empty files: not counted
        by.setdefault(cls, []).append((os.path.join(d, name) if d else "/" + name, int(size)))
    groups = [g for g in by.values() if len(g) > 1]
sets = []
redundant = 0
for g in groups:
    members = [(norm(p), size_of(p) if s is None else s) for p, s in g]
    members = [(p, s) for p, s in members if s > 0]
    if len(members) < 2:
        continue
    sets.append(frozenset(p for p, _ in members))
    redundant += (len(members) - 1) * max(s for _, s in members)
match = "-"
if expected != "-":
    e = json.load(open(expected))
    tree = os.path.join(os.path.dirname(os.path.abspath(expected)), e.get("tree", "tree"))
    want = set(frozenset(norm(os.path.join(tree, p)) for p in g["paths"]) for g in e["groups"])
    got = set(sets)
    match = "yes" if got == want else "NO(-%d/+%d)" % (len(want - got), len(got - want))
print(len(sets), redundant, match)
EOF

q() { printf '%q ' "$@"; }

{
  echo "# run-peers.sh on: ${DIRS[*]}"
  echo "# $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), runs=$RUNS warmup=$([ $COLD = 1 ] && echo 0 || echo "$WARMUP") cold=$COLD"
  for t in fdupes jdupes rdfind rmlint "$VRX_CLI"; do
    if command -v "$t" >/dev/null; then echo "# $t: $("$t" --version 2>&1 | head -1)"; fi
  done
} | tee "$OUTDIR/table.txt"

ROWS=()
for tool in $TOOLS; do
  if [ $LIMITS = 0 ] && { [ "$tool" = find ] || [ "$tool" = cat ]; }; then continue; fi
  if ! set_cmd "$tool"; then
    echo "# $tool: no command line defined" | tee -a "$OUTDIR/table.txt"
    continue
  fi
  if ! command -v "${CMD[0]}" >/dev/null; then
    echo "# $tool: ${CMD[0]} not installed, skipped" | tee -a "$OUTDIR/table.txt"
    continue
  fi
  line="$(q "${CMD[@]}")> $(q "$STDOUT_TO")"
  echo "# $tool: $line" | tee -a "$OUTDIR/table.txt"
  hf=(hyperfine -S bash -i --runs "$RUNS" --export-json "$OUTDIR/$tool.hyperfine.json" -n "$tool")
  if [ $COLD = 1 ]; then
    hf+=(--warmup 0 --prepare "$(q python3 "$EVICT" "${DIRS[@]}")")
  else
    hf+=(--warmup "$WARMUP")
  fi
  "${hf[@]}" "$line" >&2
  [ $COLD = 1 ] && python3 "$EVICT" "${DIRS[@]}"
  set +e
  /usr/bin/time -v -o "$OUTDIR/$tool.time" "${CMD[@]}" > "$STDOUT_TO" 2> "$OUTDIR/$tool.stderr"
  set -e
  read -r median tmin tmax < <(python3 -c '
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
print("%.3f %.3f %.3f" % (r["median"], r["min"], r["max"]))' "$OUTDIR/$tool.hyperfine.json")
  rss=$(awk -F': ' '/Maximum resident set size/ {printf "%.1f", $2/1024}' "$OUTDIR/$tool.time")
  rc=$(awk -F': ' '/Exit status/ {print $2}' "$OUTDIR/$tool.time")
  if [ "$tool" = find ] || [ "$tool" = cat ]; then
    groups=- redundant=- match=-
  else
    counted=$(python3 "$COUNT" "$tool" "$OUTDIR/$tool.out" "${EXPECTED:--}") || counted="ERR ERR ERR"
    read -r groups redundant match <<< "$counted"
  fi
  ROWS+=("$(printf '%-8s %9s %9s %9s %10s %5s %8s %16s %s' "$tool" "$median" "$tmin" "$tmax" "$rss" "$rc" "$groups" "$redundant" "$match")")
done

{
  printf '%-8s %9s %9s %9s %10s %5s %8s %16s %s\n' tool median_s min_s max_s maxRSS_MiB exit groups redundant_bytes "match"
  printf '%s\n' "${ROWS[@]}"
} | tee -a "$OUTDIR/table.txt"
echo "# outputs in $OUTDIR" >&2
