#!/usr/bin/env bash
# Prints an example staff as CSV (semicolon separated, as an Italian
# spreadsheet writes it).
# Usage: scripts/staff-example.sh [WORKERS [NET_EVERY [RULES [payslips]]]]
#   WORKERS    how many workers (default 100000)
#   NET_EVERY  every how many workers one asks for a net (default 10; 0: none)
#   RULES      the rule set of every worker, in a Combo4 column ("2026"; none
#              by default: the program's default, "2007")
#   payslips   also the choices of a year of payslips (`batch --payslips`):
#              some workers with 14 payments, leaving in the year, the
#              deductions in twelfths or the income projected from the year
#              to date; with a rule set of today's law, every worker's region
#              and most of them a comune (Milano, Roma, Torino, Napoli)
# Three rows are bad on purpose, where the staff is large enough: row 18 has
# a pay that is not a number, row 50001 an unknown category, row 77778
# children without the "%" share.
awk -v n="${1:-100000}" -v ogni="${2:-10}" -v regole="${3:-}" -v buste="${4:-}" 'BEGIN {
  coda = regole == "" ? "" : ";" regole
  addizionali = buste == "payslips" && regole != "" && regole != "2007"
  intestazione = "List1;List2;Text1;Option2;Option3;Combo3;Text4;Combo1" (regole == "" ? "" : ";Combo4")
  if (addizionali) intestazione = intestazione ";Combo5;Text22"
  if (buste == "payslips") {
    intestazione = intestazione ";payslips.payments;payslips.to_month;payslips.deductions;payslips.projection"
  }
  print intestazione
  split("Lombardia;Lazio;Piemonte;Campania;Veneto", regioni, ";")
  split("MILANO (MI);ROMA (RM);TORINO (TO);NAPOLI (NA);", comuni, ";")
  srand(7)
  for (i = 1; i <= n; i++) {
    dopo = coda
    if (addizionali) dopo = dopo ";" regioni[1 + i % 5] ";" comuni[1 + i % 5]
    if (buste == "payslips") {
      dopo = dopo ";" (i % 6 == 0 ? 14 : "") ";" (i % 9 == 0 ? 1 + i % 11 : "") ";" \
             (i % 4 == 1 ? "twelfths" : "") ";" (i % 7 == 2 ? "year-to-date" : "")
    }
    mensile = (i % 3 == 0); netto = (ogni > 0 && i % ogni == 0)
    paga = mensile ? int(1200 + rand() * 2800) : int(15000 + rand() * 55000)
    if (i == 17) paga = "abc"
    if (i == 50000) { print "Dirigente;;30000;;;;;" dopo; continue }
    if (i == 77777) { print "Impiegato;Settore previdenziale Commercio -50dip;30000;;;;2;" dopo; continue }
    print "Impiegato;Settore previdenziale Commercio -50dip;" paga ";" (mensile ? "true" : "") ";" \
          (netto ? "true" : "") ";" (i % 4 == 0 ? "Si" : "") ";" (i % 5) ";100" dopo
  }
}'
