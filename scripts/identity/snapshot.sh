#!/usr/bin/env bash
# Takes a snapshot of everything a user sees from zellora-cli for the corpus
# of scripts/identity/corpus.sh, so that two builds can be compared byte for
# byte with scripts/identity/compare.sh.
#
# Usage: scripts/identity/snapshot.sh CLI OUTDIR [N [SEED]]
#   CLI     the zellora-cli binary to run
#   OUTDIR  folder for the snapshot (created; an existing snapshot there is
#           replaced, any other content of the folder is refused)
#   N       number of requests (default 100000), SEED (default 1)
# Environment:
#   SINGLE  one-request runs sampled from the corpus (default 2000), plus
#           every request built to be refused, invalid or unreachable
#   DOCX    statements sampled (default 500), plus a tenth of those requests
#   FULL=1  every request is also run alone (takes long: one process each)
#   JOBS    parallel one-request runs (default 2)
#
# The snapshot holds: the corpus; the two batch outputs (JSON Lines and CSV)
# with their standard error and exit status; for each sampled request run
# alone, its exit status and the sha256 of its standard output and error
# (single.sums) and the outputs themselves (single.txt); for each sampled
# statement, the same plus the sha256 of its unzipped parts and of the zip
# with its file times blanked (docx.sums, the parts in docx.txt). The DOCX
# bytes themselves change with the clock (the zip entries carry the time they
# were written), so they are hashed in run.txt only. manifest.txt holds the
# sha256 of every compared file; run.txt the binary, date and durations.
set -euo pipefail

usage() { echo "usage: $0 CLI OUTDIR [N [SEED]]" >&2; exit 2; }
[ $# -ge 2 ] && [ $# -le 4 ] || usage
cli=$1
out=$2
n=${3:-100000}
seed=${4:-1}
single=${SINGLE:-2000}
docx=${DOCX:-500}
jobs=${JOBS:-2}
here=$(cd "$(dirname "$0")" && pwd)

for v in "$n" "$seed" "$single" "$docx" "$jobs"; do
  case $v in '' | *[!0-9]*) echo "$0: N, SEED, SINGLE, DOCX and JOBS are whole numbers, not '$v'" >&2; exit 2 ;; esac
done
[ -x "$cli" ] && [ -f "$cli" ] || { echo "$0: $cli is not an executable file" >&2; exit 2; }
command -v unzip >/dev/null || { echo "$0: unzip is needed (Debian package unzip)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

# The environment of every run: neutral locale (Italian numbers), UTC.
while IFS='=' read -r name _; do
  case $name in LC_* | LANG | LANGUAGE) unset "$name" ;; esac
done < <(env)
export LC_ALL=C TZ=UTC
unset QT_QPA_PLATFORM

if [ -e "$out" ]; then
  [ -d "$out" ] || { echo "$0: $out exists and is not a folder" >&2; exit 2; }
  if [ -n "$(ls -A "$out")" ] && [ ! -f "$out/.identity-snapshot" ]; then
    echo "$0: $out is not empty and holds no snapshot; not touching it" >&2; exit 2
  fi
  rm -rf -- "$out"
fi
mkdir -p "$out"
: >"$out/.identity-snapshot"
work=$(mktemp -d "${TMPDIR:-/tmp}/zellora-identity.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
trap 'exit 130' INT TERM HUP

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f s", b - a }'; }
t_start=$(now)
log() { echo "snapshot: $(date -u +%T) $*" >&2; }

log "corpus of $n requests, seed $seed"
"$here/corpus.sh" "$n" "$seed" "$out"

log "batch, JSON Lines"
t=$(now)
set +e
"$cli" batch "$out/corpus.jsonl" --format jsonl -o "$out/batch.jsonl" 2>"$out/batch.jsonl.stderr"
echo $? >"$out/batch.jsonl.rc"
t_jsonl=$(elapsed "$t")
log "batch, CSV"
t=$(now)
"$cli" batch "$out/corpus.csv" -o "$out/batch.csv" 2>"$out/batch.csv.stderr"
echo $? >"$out/batch.csv.rc"
set -e
t_csv=$(elapsed "$t")

# The samples: request numbers, one a line, in ascending order.
if [ "${FULL:-0}" = 1 ]; then
  seq 1 "$n" >"$work/single.list"
else
  awk -v n="$n" -v s="$single" '
    BEGIN { step = s > 0 ? int(n / s) : 0; if (s > 0 && step < 1) step = 1 }
    (step > 0 && $1 % step == 0) || $6 ~ /^(refused|invalid|unreachable|unread)/ { print $1 }' \
    "$out/corpus.kinds" >"$work/single.list"
fi
awk -v n="$n" -v s="$docx" '
  BEGIN { step = s > 0 ? int(n / s) : 0; if (s > 0 && step < 1) step = 1 }
  (step > 0 && $1 % step == 1 % step) || ($6 ~ /^(refused|invalid|unreachable|unread)/ && $1 % 10 == 0) { print $1 }' \
  "$out/corpus.kinds" >"$work/docx.list"

# One request file per sampled request.
mkdir -p "$work/req" "$work/single" "$work/docx"
sort -nu "$work/single.list" "$work/docx.list" |
  awk 'NR == FNR { want[$1] = 1; next } FNR in want { print > (dir "/" FNR ".json"); close(dir "/" FNR ".json") }' \
    dir="$work/req" - "$out/corpus.jsonl"

export cli work
log "$(wc -l <"$work/single.list") requests alone ($jobs at a time)"
t=$(now)
xargs -P "$jobs" -n 100 bash -c '
  for k; do
    "$cli" --format json <"$work/req/$k.json" >"$work/single/$k.out" 2>"$work/single/$k.err"
    echo $? >"$work/single/$k.rc"
  done' _ <"$work/single.list"
t_single=$(elapsed "$t")

log "$(wc -l <"$work/docx.list") statements"
t=$(now)
xargs -P "$jobs" -n 20 bash -c '
  for k; do
    d=$work/docx/$k
    "$cli" --format json --export "$d.docx" <"$work/req/$k.json" >"$d.out" 2>"$d.err"
    echo $? >"$d.rc"
    : >"$d.parts"; : >"$d.zip"
    [ -f "$d.docx" ] || continue
    # The parts in the order of the archive, each under its name.
    unzip -Z1 "$d.docx" | while IFS= read -r part; do
      # unzip takes the name as a pattern: "[Content_Types].xml" needs escapes.
      printf "=== %s\n" "$part"; unzip -p "$d.docx" "$(printf "%s" "$part" | sed "s/[][*?\\]/\\\\&/g")"; printf "\n"
    done >"$d.parts"
    # The archive as hex, with the time and date of every entry blanked
    # (local headers and central directory); everything else as written.
    od -An -v -tx1 "$d.docx" | awk "
      { for (i = 1; i <= NF; i++) b[n++] = \$i }
      function u16(o) { return (\"0x\" b[o+1] b[o]) + 0 }
      function u32(o) { return u16(o) + 65536 * u16(o+2) }
      END {
        o = 0
        while (o + 4 <= n) {
          sig = b[o] b[o+1] b[o+2] b[o+3]
          if (sig == \"504b0304\") { for (j = 10; j < 14; j++) b[o+j] = \"..\"; o += 30 + u16(o+26) + u16(o+28) + u32(o+18) }
          else if (sig == \"504b0102\") { for (j = 12; j < 16; j++) b[o+j] = \"..\"; o += 46 + u16(o+28) + u16(o+30) + u16(o+32) }
          else break
        }
        for (i = 0; i < n; i++) printf \"%s%s\", b[i], (i % 32 == 31 || i == n - 1) ? \"\n\" : \" \"
      }" >"$d.zip"
  done' _ <"$work/docx.list"
t_docx=$(elapsed "$t")

log "checksums"
# sha256 of every per-request file, in one pass.
(cd "$work" && find single docx -type f ! -name '*.docx' -print0 | xargs -0 -r sha256sum) >"$work/sums"
(cd "$work" && find docx -type f -name '*.docx' -print0 | xargs -0 -r sha256sum) >"$work/rawsums"
awk -v w="$work" '
  FILENAME == w "/sums" { s[$2] = $1; next }
  FILENAME == w "/single.list" {
    k = $1; f = w "/single/" k ".rc"; getline rc < f; close(f)
    print k, rc, s["single/" k ".out"], s["single/" k ".err"] > (w "/single.sums"); next }
  FILENAME == w "/docx.list" {
    k = $1; f = w "/docx/" k ".rc"; getline rc < f; close(f)
    print k, rc, s["docx/" k ".out"], s["docx/" k ".err"], s["docx/" k ".parts"], s["docx/" k ".zip"] > (w "/docx.sums") }' \
  "$work/sums" "$work/single.list" "$work/docx.list"
mv "$work/single.sums" "$work/docx.sums" "$out/"

# The outputs themselves, for the differences that compare.sh shows.
awk -v w="$work" -v part="$1" '
  function dump(f,   line) { while ((getline line < f) > 0) print line; close(f) }
  FILENAME == w "/single.list" { k = $1; f = w "/single/" k
    getline rc < (f ".rc"); close(f ".rc")
    print "### request " k " exit " rc > (w "/single.txt")
    while ((getline line < (f ".out")) > 0) print line > (w "/single.txt"); close(f ".out")
    print "### stderr" > (w "/single.txt")
    while ((getline line < (f ".err")) > 0) print line > (w "/single.txt"); close(f ".err")
    next }
  { k = $1; f = w "/docx/" k
    getline rc < (f ".rc"); close(f ".rc")
    print "### request " k " exit " rc > (w "/docx.txt")
    while ((getline line < (f ".out")) > 0) print line > (w "/docx.txt"); close(f ".out")
    print "### stderr" > (w "/docx.txt")
    while ((getline line < (f ".err")) > 0) print line > (w "/docx.txt"); close(f ".err")
    print "### parts" > (w "/docx.txt")
    while ((getline line < (f ".parts")) > 0) print line > (w "/docx.txt"); close(f ".parts") }' \
  "$work/single.list" "$work/docx.list"
mv "$work/single.txt" "$work/docx.txt" "$out/"
sed 's| docx/| |' "$work/rawsums" | sort -k2,2n >"$out/docx-raw.sums.txt"

awk -f "$here/coverage.awk" "$out/corpus.kinds" "$out/batch.jsonl" >"$out/coverage.txt"

{
  echo "requests $n"
  echo "seed $seed"
  echo "single $(wc -l <"$out/single.sums")"
  echo "docx $(wc -l <"$out/docx.sums")"
  echo "batch.jsonl.rc $(cat "$out/batch.jsonl.rc")"
  echo "batch.csv.rc $(cat "$out/batch.csv.rc")"
  (cd "$out" && sha256sum corpus.jsonl corpus.csv corpus.kinds batch.jsonl batch.jsonl.stderr batch.jsonl.rc \
    batch.csv batch.csv.stderr batch.csv.rc single.sums docx.sums coverage.txt)
} >"$out/manifest.txt"

{
  echo "cli $cli"
  echo "cli_sha256 $(sha256sum <"$cli" | cut -d' ' -f1)"
  echo "date $(date -u +%Y-%m-%dT%H:%M:%SZ)"
  echo "jobs $jobs full ${FULL:-0}"
  echo "time batch jsonl $t_jsonl"
  echo "time batch csv $t_csv"
  echo "time single $(wc -l <"$out/single.sums") requests $t_single"
  echo "time docx $(wc -l <"$out/docx.sums") statements $t_docx"
  echo "time total $(elapsed "$t_start")"
} >"$out/run.txt"
cat "$out/run.txt" >&2
