#!/usr/bin/env bash
# Mutation check of the cases: for every number of a rule set (2007 unless
# named), copies of the file with that one number changed (by about +1 % and
# -1 %, and by one in its last digit, up and down; an integer stays an
# integer), each run through the cases of the rule set of that name. A
# mutation must make some case fail, or be refused by the loader; one that
# leaves the cases green is a figure no case depends on, and is reported.
# The "no limit" marks 99999999 and 999999999 are not figures and are left
# alone, and so are the regional reliefs kept but never applied (the
# sections [[addizionale_regionale.non_applicate]]): no calculation reads
# them. A change that cannot alter any result is listed, with the reason,
# in mutazioni_equivalenti.txt and not reported. MUTAZIONI_TUTTE=1 lists
# every mutation and its fate.
#
#   tests/casi/mutazioni.sh build/tests/zellora_cli_tests [src/rules/data/2026.toml]
#
# Exit status 0 when no mutation survives, 1 otherwise, 2 when the check
# cannot run (the cases fail on the file as it is).
set -euo pipefail
prove=${1:?usage: mutazioni.sh ZELLORA_TESTS [RULES.toml]}
cartella=$(cd "$(dirname "$0")" && pwd)
regole=${2:-$cartella/../../src/rules/data/2007.toml}
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
inizio=$SECONDS

# Runs the cases with the rule set $1: "ok", "refused" or "failed".
esegui() {
  local uscita
  if uscita=$(ZELLORA_REGOLE_PROVA=$1 "$prove" --gtest_filter='Casi/*' --gtest_brief=1 2>&1); then
    echo ok
  elif grep -q -m1 'rule set refused' <<<"$uscita"; then
    echo refused
  else
    echo failed
  fi
}

if [ "$(esegui "$regole")" != ok ]; then
  echo "mutazioni.sh: the cases do not pass with $regole as it is" >&2
  exit 2
fi

# Every number outside comments and strings: line, column, text. A bracket
# limit between two equal rates (a regional law that raises two brackets by
# the same points) changes nothing wherever it stands: it is left alone.
awk 'NR == FNR { riga[FNR] = $0; next }
/^[ \t]*\[/ { fuori = ($0 ~ /^[ \t]*\[\[addizionale_regionale\.non_applicate\]\]/) }
fuori { next }
{
  delete uguale
  if ($0 ~ /^[ \t]*limiti = \[/ && riga[FNR + 1] ~ /^[ \t]*aliquote = \[/) {
    a = riga[FNR + 1]; sub(/^[^[]*\[/, "", a); sub(/\].*$/, "", a)
    m = split(a, r, /[ ,]+/)
    for (k = 1; k < m; k++) if (r[k] + 0 == r[k + 1] + 0) uguale[k] = 1
  }
  s = $0; n = length(s); in_str = 0; quale = 0
  for (i = 1; i <= n; i++) {
    ch = substr(s, i, 1)
    if (in_str) { if (ch == "\\") i++; else if (ch == "\"") in_str = 0; continue }
    if (ch == "\"") { in_str = 1; continue }
    if (ch == "#") break
    if (ch ~ /[0-9]/ && (i == 1 || substr(s, i - 1, 1) !~ /[A-Za-z0-9_.]/)) {
      match(substr(s, i), /^[0-9]+(\.[0-9]+)?/)
      t = substr(s, i, RLENGTH)
      quale++
      if (t != "99999999" && t != "999999999" && !(quale in uguale)) print FNR, i, t
      i += RLENGTH - 1
    }
  }
}' "$regole" "$regole" > "$lavoro/numeri"

# The changed text of number $1 by $2: "+1%" or "-1%" (an integer rounded,
# its last digit changed when rounding kept it; a decimal with two more
# decimals, its last one not 0), or "+1" or "-1" in its last written digit.
# Empty: no such mutation (below 0).
cambia() {
  awk -v v="$1" -v m="$2" 'BEGIN {
    p = index(v, ".")
    if (m == "+1" || m == "-1") {
      cifre = v; sub(/\./, "", cifre)
      n = cifre + (m == "+1" ? 1 : -1)
      if (n < 0) exit
      t = sprintf("%0" length(cifre) "d", n)
      if (p > 0) t = substr(t, 1, length(t) - (length(v) - p)) "." substr(t, length(t) - (length(v) - p) + 1)
      print t
      exit
    }
    f = m == "+1%" ? 1.01 : 0.99
    if (p == 0) {
      if (v + 0 == 0) { if (f > 1) print 1; exit }
      n = int(v * f + 0.5)
      if (n % 10 == v % 10) n += (f > 1 ? 1 : -1)
      printf "%.0f\n", n
    } else {
      t = sprintf("%." (length(v) - p + 2) "f", v * f)
      if (substr(t, length(t)) == "0") t = substr(t, 1, length(t) - 1) "1"
      print t
    }
  }'
}

provate=0 prese=0 rifiutate=0 sopravvissute=0 equivalenti=0
while read -r riga colonna testo; do
  fatte=" "
  for modo in +1% -1% +1 -1; do
    nuovo=$(cambia "$testo" "$modo")
    [[ -n $nuovo && $fatte != *" $nuovo "* ]] || continue
    fatte+="$nuovo "
    awk -v r="$riga" -v c="$colonna" -v l="${#testo}" -v t="$nuovo" \
      'NR == r { $0 = substr($0, 1, c - 1) t substr($0, c + l) } { print }' \
      "$regole" > "$lavoro/regole.toml"
    provate=$((provate + 1))
    esito=$(esegui "$lavoro/regole.toml")
    case $esito in
      failed) prese=$((prese + 1)) ;;
      refused) rifiutate=$((rifiutate + 1)) ;;
      ok)
        chiave="$(basename "$regole")|$testo|$nuovo|$(sed -n "${riga}p" "$regole" | sed 's/^ *//')"
        if cut -d'|' -f1-4 "$cartella/mutazioni_equivalenti.txt" | grep -Fxq -- "$chiave"; then
          equivalenti=$((equivalenti + 1))
          continue
        fi
        sopravvissute=$((sopravvissute + 1))
        printf 'SURVIVED line %s column %s: %s -> %s: %s\n' "$riga" "$colonna" "$testo" "$nuovo" \
          "$(sed -n "${riga}p" "$regole" | sed 's/^ *//')" ;;
    esac
    [ -z "${MUTAZIONI_TUTTE:-}" ] || printf '%s line %s: %s -> %s\n' "$esito" "$riga" "$testo" "$nuovo"
  done
done < "$lavoro/numeri"

echo "numbers: $(wc -l < "$lavoro/numeri"), mutations: $provate, caught by the cases: $prese," \
  "refused by the loader: $rifiutate, equivalent: $equivalenti, survived: $sopravvissute" \
  "($((SECONDS - inizio)) s)"
[ "$sopravvissute" -eq 0 ]
