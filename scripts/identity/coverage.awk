# Counts how the requests of a corpus fall: per mode, direction, category and
# sector (from corpus.kinds), per status and per band of the taxable income
# (from the JSON Lines batch output). Limits are counted as hit when the
# income is within a twentieth of a cent of them.
# Usage: awk -f coverage.awk corpus.kinds batch.jsonl
function num(line, name,   s) {
  if (!match(line, "\"" name "\":[-0-9.e+]+")) return ""
  s = substr(line, RSTART, RLENGTH); sub(/^[^:]*:/, "", s); return s + 0
}
function band(r, lim, nl, tag,   j) {
  for (j = 1; j <= nl; j++) {
    if (r > lim[j] - 0.0005 && r < lim[j] + 0.0005) { hit[tag, 2 * j]++; return }
    if (r < lim[j]) { hit[tag, 2 * j - 1]++; return }
  }
  hit[tag, 2 * nl + 1]++
}
function bands(lim, nl, tag,   j) {
  for (j = 1; j <= nl; j++) {
    printf "%s below %s: %d\n", tag, lim[j], hit[tag, 2 * j - 1]
    printf "%s exactly %s: %d\n", tag, lim[j], hit[tag, 2 * j]
  }
  printf "%s above %s: %d\n", tag, lim[nl], hit[tag, 2 * nl + 1]
}
BEGIN {
  nla = split("0 8000 15000 23000 24000 24000.01 25000 25000.01 26000 26000.01 27700 27700.01 28000 29000 29200 29200.01 34700 34700.01 35000 35000.01 35100 35100.01 35200 40000 55000 75000 80000 95000 110000 125000 140000 155000 170000", la, " ")
  nlm = split("0 1250 2333.33 4583.33 6250", lm, " ")
  split("Collaborazioni|Impiegato|Operaio|Apprendista", cn, "|")
}
FNR == NR {
  mode[$1] = $2; combo[$2 " " $3 " " cn[$4] " sector " $5]++; kinds[$6]++; next
}
{
  k = FNR
  st = $0; sub(/^[^,]*,"status":"/, "", st); sub(/".*/, "", st); status[st]++
  if (st != "ok" && st != "unreachable") next
  if (mode[k] == "Option1") band(num($0, "imponibile_fiscale"), la, nla, "annual taxable income")
  else { band(num($0, "imponibile_annuo"), la, nla, "monthly taxable income x months"); band(num($0, "imponibile_fiscale"), lm, nlm, "monthly taxable income") }
}
END {
  for (c in combo) print "requests " c ": " combo[c] | "sort"
  close("sort")
  for (c in kinds) print "built as " c ": " kinds[c] | "sort"
  close("sort")
  for (c in status) print "status " c ": " status[c] | "sort"
  close("sort")
  bands(la, nla, "annual taxable income")
  bands(lm, nlm, "monthly taxable income")
  bands(la, nla, "monthly taxable income x months")
}
