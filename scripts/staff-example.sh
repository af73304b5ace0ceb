#!/usr/bin/env bash
# Prints an example staff of 100,000 workers as CSV (semicolon separated, as
# an Italian spreadsheet writes it) with three bad rows among them: row 18
# has a pay that is not a number, row 50001 an unknown category, row 77778
# children without the "%" share. About one worker in ten asks for a net.
# Usage: scripts/staff-example.sh > staff.csv
awk 'BEGIN {
  print "List1;List2;Text1;Option2;Option3;Combo3;Text4;Combo1"
  srand(7)
  for (i = 1; i <= 100000; i++) {
    mensile = (i % 3 == 0); netto = (i % 10 == 0)
    paga = mensile ? int(1200 + rand() * 2800) : int(15000 + rand() * 55000)
    if (i == 17) paga = "abc"
    if (i == 50000) { print "Dirigente;;30000;;;;;"; continue }
    if (i == 77777) { print "Impiegato;Settore previdenziale Commercio -50dip;30000;;;;2;"; continue }
    print "Impiegato;Settore previdenziale Commercio -50dip;" paga ";" (mensile ? "true" : "") ";" \
          (netto ? "true" : "") ";" (i % 4 == 0 ? "Si" : "") ";" (i % 5) ";100"
  }
}'
