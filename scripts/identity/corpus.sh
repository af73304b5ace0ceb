#!/usr/bin/env bash
# Writes a deterministic corpus of requests for the identity check, the same
# requests twice: as JSON Lines (one request object a line) and as a CSV sheet
# (semicolon separated, Italian numbers, header of control names), plus a
# list of what each request was built to exercise.
#
# Usage: scripts/identity/corpus.sh [N [SEED [OUTDIR]]]
#   N       number of requests (default 100000)
#   SEED    seed of the generator (default 1)
#   OUTDIR  folder for corpus.jsonl, corpus.csv, corpus.kinds (default .)
#
# Request k is line k of corpus.jsonl, row k+1 of corpus.csv (the header is
# row 1) and line k of corpus.kinds. The generator uses its own random
# numbers (Park-Miller), not awk's rand(), so mawk and gawk write the same
# bytes for the same N and SEED.
set -euo pipefail
export LC_ALL=C
n=${1:-100000}
seed=${2:-1}
out=${3:-.}
case $n in '' | *[!0-9]*) echo "corpus.sh: N must be a whole number, not '$n'" >&2; exit 2 ;; esac
case $seed in '' | *[!0-9]*) echo "corpus.sh: SEED must be a whole number, not '$seed'" >&2; exit 2 ;; esac
mkdir -p "$out"

awk -v n="$n" -v seed="$seed" -v fj="$out/corpus.jsonl" -v fc="$out/corpus.csv" \
    -v fk="$out/corpus.kinds" '
function rnd() { x = (x * 48271) % 2147483647; return x / 2147483647 }
function ri(m) { return int(rnd() * m) }            # 0 .. m-1
function pick(s,   a, k) { k = split(s, a, "|"); return a[ri(k) + 1] }
# Italian text of an amount in cents: "30000", "30.000", "30000,5", "30.000,50".
function it(c, grouped,   neg, e, d, s, t) {
  neg = c < 0; if (neg) c = -c
  e = int(c / 100); d = c - e * 100
  s = sprintf("%d", e)
  if (grouped) { t = ""; while (length(s) > 3) { t = "." substr(s, length(s) - 2) t; s = substr(s, 1, length(s) - 3) } s = s t }
  if (d != 0) s = s "," (d % 10 == 0 && ri(2) ? sprintf("%d", d / 10) : sprintf("%02d", d))
  return (neg ? "-" : "") s
}
function amount(c) { return it(c, ri(3) == 0) }
function set(k, v) { val[k] = v }
function boolcsv(b,   s) { s = pick("t|t|t|1|s"); return s == "t" ? (b ? "true" : "false") : s == "1" ? (b ? "1" : "0") : (b ? "si" : "no") }
# One option pair: the key of the true side, or the other key set to false,
# or (when it is the initial state) nothing at all.
function choose(first, second, want_second) {
  if (!want_second && ri(3) == 0) return
  if (ri(2)) set(second, want_second ? "T" : "F"); else set(first, want_second ? "F" : "T")
}
function gross_for(L, r, k) { return int(L / (1 - r) + 0.5) * 100 + k }
BEGIN {
  x = (seed * 7919 + 12345) % 2147483646 + 1
  for (i = 0; i < 5; i++) rnd()
  ncat = split("Collaborazioni Coordinate e Continuative|Impiegato|Operaio|Apprendista", cat, "|")
  nsec[1] = split("Non Iscritto ad altre forme di previdenza|Iscritto ad altre forme di previdenza/pensionato", s1, "|")
  nsec[2] = split("Settore previdenziale Commercio +50dip|Settore previdenziale Commercio -50dip|Settore previdenziale Industria +50dip|Settore previdenziale Industria +15dip|Settore previdenziale Industria -15dip|Settore previdenziale Pubblici-Esercizi|Settore previdenziale Artigianato", s2, "|")
  nsec[3] = nsec[2]
  nsec[4] = split("azienda +9 dip.|azienda -9 dip. 1\302\260 anno di apprendistato|azienda -9 dip. 2\302\260 anno di apprendistato|azienda -9 dip. dal 3\302\260 anno di apprendistato", s4, "|")
  np = 0
  for (c = 1; c <= 4; c++) for (s = 1; s <= nsec[c]; s++) {
    np++; pc[np] = c
    ps[np] = c == 1 ? s1[s] : c == 4 ? s4[s] : s2[s]
    psn[np] = s
  }
  # Worker INPS rate of each pair, to aim the gross at a limit of the taxable income.
  split("0.0949 0.0919 0.0949 0.0949 0.0919 0.0919 0.0919", rdip, " ")
  split("0.0857 0.05666666", rcol, " ")
  for (q = 1; q <= np; q++) prate[q] = pc[q] == 1 ? rcol[psn[q]] : pc[q] == 4 ? 0.0584 : rdip[psn[q]]
  # Limits of the taxable income: deductions (worker, spouse, children,
  # others) and IRPEF brackets; then limits of the gross (additional INPS,
  # INPS ceiling, INAIL floor and ceiling of the collaborators).
  nla = split("0 8000 15000 23000 24000 24000.01 25000 25000.01 26000 26000.01 27700 27700.01 28000 29000 29200 29200.01 34700 34700.01 35000 35000.01 35100 35100.01 35200 40000 55000 75000 80000 95000 110000 125000 140000 155000 170000", lima, " ")
  nlm = split("1250 2333.33 4583.33 6250", limm, " ")
  nga = split("42111 91595 13899.9 25814.1", lga, " ")
  ngm = split("3509.25 7632.92 1158.33 2151.18", lgm, " ")

  keys = "List1 List2 Option1 Option2 Option4 Option3 Text1 Text5 Text7 Combo3 Text2 Text4 Combo1 Text6 Text9 Text3 Combo2 Text10 Option5 Option6 Text14 Text15 Text11 Check1 Text13 Text19 Text21 profile.aliquota_inps_dip profile.soglia_contributo_aggiuntivo"
  nk = split(keys, key, " ")
  h = ""; for (j = 1; j <= nk; j++) h = h (j > 1 ? ";" : "") key[j]
  print h > fc

  for (i = 1; i <= n; i++) {
    delete val
    kind = ""
    p = (i - 1) % np + 1
    v = int((i - 1) / np) % 4
    mensile = v % 2; netto = int(v / 2)
    c = pc[p]
    set("List1", cat[c]); set("List2", ps[p])
    choose("Option1", "Option2", mensile)
    choose("Option4", "Option3", netto)
    mx = mensile ? 2500000 : 30000000
    N = 14
    if (mensile) {
      N = pick("14|14|14|14|13|12|15|16")
      if (N != 14 || ri(4) == 0) set("Text7", N)
    } else if (ri(10) == 0) set("Text7", pick("12|13|15"))
    if (!mensile && ri(2)) set("Text5", ri(8) == 0 ? pick("0|1|180|365|366") : ri(366))

    # Family.
    r = ri(10)
    if (r < 4) { set("Combo3", "Si"); if (ri(2)) set("Text2", ri(13)) }
    else if (r < 7) set("Combo3", "No")
    else if (r < 8) set("Combo3", "")
    if (ri(2)) {
      f = pick("1|1|1|2|2|3|4|5|8")
      set("Text4", f); set("Combo1", pick("50|100"))
      if (ri(3) == 0) set("Text6", ri(f + 1))
      if (ri(3) == 0) set("Text9", ri(13))
    }
    if (ri(4) == 0) {
      set("Text3", pick("1|1|2|3")); set("Combo2", pick("50|100"))
      if (ri(3) == 0) set("Text10", ri(13))
    }
    # Other contributions, INAIL, IRAP, benefit, deductions and additions.
    fisso = 0
    if (ri(7) == 0) {
      fisso = ri(2)
      choose("Option5", "Option6", fisso)
      if (fisso) { set("Text14", amount(ri(mensile ? 30000 : 300000))); if (ri(2)) set("Text15", amount(ri(mensile ? 50000 : 500000))) }
      else { set("Text14", pick("1|1,5|2,75|10|-5")); if (ri(2)) set("Text15", pick("1|3,5|8|12")) }
    } else if (ri(30) == 0) choose("Option5", "Option6", ri(2))
    if (ri(5) == 0) set("Text11", pick("5|7,5|12|30|60|110"))
    if (ri(3) == 0) set("Check1", ri(4) ? "T" : "F")
    if (ri(10) == 0) set("Text13", amount(ri(mensile ? 50000 : 500000)))
    if (ri(10) == 0) set("Text19", amount(ri(mensile ? 30000 : 200000)))
    if (ri(10) == 0) set("Text21", amount(ri(mensile ? 30000 : 200000)))

    # Pay.
    if (!netto) {
      r = ri(100)
      if (r < 40) { t = ri(mx + 1); if (ri(2)) t = int(t / 100) * 100; kind = "uniform" }
      else if (r < 70) {
        k = 100 * pick("-2|-1|0|0|0|1|2")
        delete val["Text14"]; delete val["Text11"]
        if (mensile) {
          if (ri(3)) { j = ri(nla) + 1; t = int(lima[j] / (N * (1 - prate[p])) + 0.5) * 100 + k }
          else { j = ri(nlm) + 1; t = gross_for(limm[j], prate[p], k) }
        } else {
          if (ri(5)) { j = ri(nla) + 1; t = gross_for(lima[j], prate[p], k) }
          else { j = ri(nga) + 1; t = int(lga[j] + 0.5) * 100 + k }
        }
        if (t < 0) t = 0
        kind = "near-limit"
      } else if (r < 75) {
        # No INPS withheld and a fixed other contribution of the worker: the
        # taxable income is the whole gross less that amount, aimed exactly
        # at a limit.
        set("profile.aliquota_inps_dip", "0"); set("profile.soglia_contributo_aggiuntivo", "99999999")
        delete val["Text11"]; delete val["Text13"]; delete val["Option5"]; set("Option6", "T")
        # In half cents: one euro, one cent or half a cent either side (half
        # a cent above a limit such as 24000 falls in the gap before 24000.01).
        off = pick("-200|-2|-1|0|0|0|1|2|200") + 0
        if (mensile) {
          if (ri(2)) { j = ri(nlm) + 1; L = limm[j] }
          else { j = ri(nla) + 1; L = lima[j]; set("Text7", "1") }
        } else { j = ri(nla) + 1; L = lima[j] }
        th = int(L * 200 + 0.5) + off; if (th < 0) th = 0
        t = int((th + 199) / 200) * 100
        d = t * 2 - th
        w = it(int(d / 2), ri(2))
        if (d % 2) w = (w ~ /,/ ? w : w ",00") "5"
        set("Text14", w)
        kind = "on-limit"
      } else if (r < 95) { t = ri((mensile ? 500000 : 6000000) + 1); kind = "dense" }
      else { t = pick("0|1|99|100|10000|99999|100000") + 0; kind = "small" }
    } else {
      r = ri(100)
      if (r < 80) { t = ri(int(mx * 0.7 / 100) + 1) * 100; kind = "net" }
      else if (r < 95) { t = ri((mensile ? 3000 : 40000) + 1) * 100; kind = "net-low" }
      else if (r < 98) { t = ri(mx / 2); kind = "net-cents" }
      else { t = pick("0|100|50000") + 0; kind = "net-small" }
    }
    set("Text1", amount(t))

    # Special rows: refused, invalid, unreachable, fields the mode does not read.
    r = ri(10000)
    if (r < 10) { set("Text1", pick("abc|30.5|1500.50|12a|--3|1,2,3")); kind = "refused-number" }
    else if (r < 20) { set("Text19", pick("x|1.2.3|5 0")); kind = "refused-number" }
    else if (r < 30) { set("Text4", pick("1|2|3")); delete val["Combo1"]; kind = "refused-children-share" }
    else if (r < 40) { set("Text3", pick("1|2")); delete val["Combo2"]; kind = "refused-others-share" }
    else if (r < 45) { set("Text4", pick("1,5|-1|0,5")); set("Combo1", "100"); kind = "refused-children-count" }
    else if (r < 55) {
      delete val["Option4"]; set("Option3", "T")
      set("Text1", "-" amount(1 + ri(mx / 2))); kind = "refused-negative-net"
    }
    else if (r < 58) { set("List1", "Dirigente"); kind = "invalid-category" }
    else if (r < 61) { set("List2", c == 4 ? s1[1] : s4[1]); kind = "invalid-sector" }
    else if (r < 63) { set("Option1", "T"); set("Option2", "T"); kind = "invalid-options" }
    else if (r < 75) {
      delete val["Option4"]; set("Option3", "T"); delete val["Option6"]; set("Option5", "T")
      set("Text14", pick("100|120|150")); kind = "unreachable-contributions"
    }
    else if (r < 85) {
      delete val["Option4"]; set("Option3", "T")
      set("Text21", amount((mensile ? 100000 : 1200000) + ri(100000))); kind = "unreachable-addition"
    }
    else if (r < 90) { if (mensile) set("Text5", "x"); else set("Text7", "x"); kind = "unread-field" }

    # Write the request.
    j1 = "{"; cs = ""; jp = ""
    for (j = 1; j <= nk; j++) {
      kk = key[j]
      if (j > 1) cs = cs ";"
      if (!(kk in val)) continue
      w = val[kk]
      if (kk ~ /^profile\./) { cs = cs w; jp = jp (jp == "" ? "" : ",") "\"" substr(kk, 9) "\":" w; continue }
      if (kk ~ /^(Option|Check)/) { cs = cs boolcsv(w == "T"); jv = (w == "T" ? "true" : "false") }
      else { cs = cs w; jv = "\"" w "\"" }
      j1 = j1 (j1 == "{" ? "" : ",") "\"" kk "\":" jv
    }
    if (jp != "") j1 = j1 (j1 == "{" ? "" : ",") "\"profile\":{" jp "}"
    print j1 "}" > fj
    print cs > fc
    printf "%d %s %s %s %d %s\n", i, mensile ? "Option2" : "Option1", netto ? "Option3" : "Option4", c, psn[p], kind > fk
  }
}'
