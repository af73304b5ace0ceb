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
# A case of a year of payslips (buste_*.json) also gives the options of
# `zellora-cli payslips` (strings without quotes, commas or brackets) and
# the published figures it must show, before its request.
riga_buste='^\{"name": "([A-Za-z0-9_]+)", ("fonte": \{.*\}, )"options": (\[[^]]*\]), "checks": (\[[^]]*\]), "request": (\{.*\}),$'
for file in "$@"; do
  nuovo=$(mktemp "$file.XXXXXX")
  trap 'rm -f "$nuovo"' EXIT
  {
    printf '['
    separa=''
    while IFS= read -r linea; do
      argomenti=(--format json)
      if [[ $linea =~ $riga_buste ]]; then
        nome=${BASH_REMATCH[1]}
        opzioni=${BASH_REMATCH[3]}
        fonte="${BASH_REMATCH[2]}\"options\": $opzioni, \"checks\": ${BASH_REMATCH[4]}, "
        richiesta=${BASH_REMATCH[5]}
        opzioni=${opzioni#[}
        opzioni=${opzioni%]}
        argomenti=(payslips --format json)
        IFS=',' read -ra lette <<< "$opzioni"
        for a in "${lette[@]}"; do
          a=${a# }
          a=${a#\"}
          a=${a%\"}
          [ -n "$a" ] && argomenti+=("$a")
        done
      elif [[ $linea =~ $riga ]]; then
        nome=${BASH_REMATCH[1]}
        fonte=${BASH_REMATCH[2]}
        richiesta=${BASH_REMATCH[3]}
      else
        continue
      fi
      # The neutral C locale reads numbers the Italian way.
      esito=0
      uscita=$(printf '%s' "$richiesta" | LC_ALL=C "$cli" "${argomenti[@]}") || esito=$?
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
