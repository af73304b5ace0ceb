#!/usr/bin/env bash
# Compares two snapshots of scripts/identity/snapshot.sh and prints the first
# differences: the request, the output, and the differing lines.
#
# Usage: scripts/identity/compare.sh DIR_BEFORE DIR_AFTER
# Exit status: 0 identical, 1 some output differs, 2 usage error or a
# snapshot that is missing or incomplete.
# LIMIT (default 3): how many differing requests are shown per output.
set -uo pipefail
export LC_ALL=C
[ $# -eq 2 ] || { echo "usage: $0 DIR_BEFORE DIR_AFTER" >&2; exit 2; }
a=$1
b=$2
limit=${LIMIT:-3}
for d in "$a" "$b"; do
  for f in manifest.txt corpus.jsonl corpus.csv batch.jsonl batch.csv single.sums docx.sums single.txt docx.txt; do
    [ -f "$d/$f" ] || { echo "compare: $d/$f is missing: not a complete snapshot" >&2; exit 2; }
  done
done

differ=0
field() { awk -v k="$1" '$1 == k { print $2 }' "$2/manifest.txt"; }
same() { cmp -s "$a/$1" "$b/$1"; }

# The same corpus on both sides, or nothing else can be compared.
for f in corpus.jsonl corpus.csv; do
  if ! same "$f"; then
    echo "compare: the snapshots are of different corpora ($f differs: requests $(field requests "$a") seed $(field seed "$a") / requests $(field requests "$b") seed $(field seed "$b"))"
    exit 1
  fi
done
n=$(field requests "$a")

# A request's text, as in the corpus.
request() { sed -n "${1}p" "$a/corpus.jsonl"; }

# Whole files: the batch outputs, their standard error and exit status.
for f in batch.jsonl.rc batch.csv.rc batch.jsonl.stderr batch.csv.stderr; do
  if ! same "$f"; then
    differ=1
    echo "== $f differs"
    diff "$a/$f" "$b/$f" | head -20
  fi
done

if ! same batch.jsonl; then
  differ=1
  count=$(awk 'NR == FNR { l[FNR] = $0; next } l[FNR] != $0 { c++ } END { print c + 0 }' "$a/batch.jsonl" "$b/batch.jsonl")
  echo "== batch.jsonl differs ($(wc -l <"$a/batch.jsonl") / $(wc -l <"$b/batch.jsonl") lines, $count differing lines)"
  awk 'NR == FNR { l[FNR] = $0; next } l[FNR] != $0 { print FNR; if (++c == lim) exit }' lim="$limit" \
    "$a/batch.jsonl" "$b/batch.jsonl" | while read -r k; do
    echo "-- request $k (line $k of batch.jsonl): $(request "$k")"
    diff <(sed -n "${k}p" "$a/batch.jsonl" | sed 's/,"/,\n"/g') <(sed -n "${k}p" "$b/batch.jsonl" | sed 's/,"/,\n"/g') | head -40
  done
  [ "$(wc -l <"$a/batch.jsonl")" = "$(wc -l <"$b/batch.jsonl")" ] || echo "-- line counts differ"
fi

if ! same batch.csv; then
  differ=1
  count=$(awk 'NR == FNR { l[FNR] = $0; next } l[FNR] != $0 { c++ } END { print c + 0 }' "$a/batch.csv" "$b/batch.csv")
  echo "== batch.csv differs ($count differing lines)"
  awk -F';' 'NR == FNR { l[FNR] = $0; next }
    FNR == 1 { if (l[1] != $0) { print "-- header row:"; print "< " l[1]; print "> " $0; c++ } split($0, h, ";"); next }
    l[FNR] != $0 {
      print "-- request " FNR - 1 " (row " FNR " of batch.csv):"
      m = split(l[FNR], o, ";")
      for (i = 1; i <= (m > NF ? m : NF); i++) if (o[i] != $i) print "   " (i in h ? h[i] : "column " i) ": " o[i] "  ->  " $i
      if (++c == lim) exit
    }' lim="$limit" "$a/batch.csv" "$b/batch.csv"
fi

# Requests run alone and statements: by request number, on the requests both
# snapshots hold (a FULL=1 snapshot holds more).
per_request() { # sums-file text-file name
  local s=$1 t=$2 what=$3 diffs
  diffs=$(awk 'NR == FNR { l[$1] = $0; next } ($1 in l) && l[$1] != $0 { print $1 }' "$a/$s" "$b/$s")
  local common
  common=$(awk 'NR == FNR { l[$1] = 1; next } ($1 in l) { c++ } END { print c + 0 }' "$a/$s" "$b/$s")
  if [ -z "$diffs" ]; then
    echo "== $what: $common requests identical"
    return 0
  fi
  differ=1
  echo "== $what: $(echo "$diffs" | wc -l) of $common requests differ"
  echo "$diffs" | head -n "$limit" | while read -r k; do
    echo "-- request $k: $(request "$k")"
    awk -v k="$k" '$1 == k { print "   exit " $2 }' "$a/$s" | sed 's/^/   before:/'
    awk -v k="$k" '$1 == k { print "   exit " $2 }' "$b/$s" | sed 's/^/   after: /'
    block() { awk -v k="$k" '/^### request / { on = ($3 == k) } on' "$1/$t" | sed 's/></>\n</g'; }
    diff <(block "$a") <(block "$b") | head -40
  done
}
per_request single.sums single.txt "single requests (zellora-cli --format json)"
per_request docx.sums docx.txt "statements (--export .docx: output, parts, zip without times)"

if [ "$differ" = 0 ]; then
  echo "identical: $n requests, batch JSON Lines and CSV, standard error and exit status"
  exit 0
fi
exit 1
