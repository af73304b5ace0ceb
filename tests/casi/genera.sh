#!/usr/bin/env bash
# Writes the expected outcome of every case from what zellora-cli answers
# today. Each case file keeps, per case, one line
#   {"name": "NAME", "request": {...},
# and the outcome after it; this script keeps those lines and writes the
# outcomes anew. Add a case by adding its line and running the script;
# review the difference before committing it (README.md).
#
#   tests/casi/genera.sh build/zellora-cli [tests/casi/FILE.json ...]
set -euo pipefail
cli=${1:?usage: genera.sh ZELLORA-CLI [CASE-FILE.json ...]}
shift
cartella=$(cd "$(dirname "$0")" && pwd)
if [ $# -eq 0 ]; then set -- "$cartella"/*.json; fi
riga='^\{"name": "([A-Za-z0-9_]+)", ("fonte": \{.*\}, )?"request": (\{.*\}),$'
for file in "$@"; do
  nuovo=$(mktemp "$file.XXXXXX")
  trap 'rm -f "$nuovo"' EXIT
  {
    printf '['
    separa=''
    while IFS= read -r linea; do
      [[ $linea =~ $riga ]] || continue
      nome=${BASH_REMATCH[1]}
      fonte=${BASH_REMATCH[2]}
      richiesta=${BASH_REMATCH[3]}
      # The neutral C locale reads numbers the Italian way.
      esito=0
      uscita=$(printf '%s' "$richiesta" | LC_ALL=C "$cli" --format json) || esito=$?
      if [ $esito -gt 1 ]; then
        echo "genera.sh: $file: case $nome: zellora-cli ended with status $esito" >&2
        exit 1
      fi
      printf '%s\n{"name": "%s", %s"request": %s,\n"expected": %s}' "$separa" "$nome" "$fonte" \
        "$richiesta" "$uscita"
      separa=','
    done < "$file"
    printf '\n]\n'
  } > "$nuovo"
  mv "$nuovo" "$file"
  trap - EXIT
done
