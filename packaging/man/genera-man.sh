#!/bin/sh
# Writes a manual page from a hand-written roff source and the program's own
# --help, so the options in the page are always those of the program:
#   genera-man.sh SOURCE OUT VERSION PROGRAM [SUBCOMMAND...]
# The line "@OPTIONS@" of SOURCE becomes the help of PROGRAM, then that of
# each SUBCOMMAND; "@VERSION@" becomes VERSION.
set -eu
sorgente=$1 uscita=$2 versione=$3 programma=$4
shift 4
nome=$(basename "$programma")

# One help text as roff: "Usage:" becomes the synopsis line, "Name:" lines
# become headings, an option with its text (two spaces or more apart) a
# tagged paragraph (deeper indented lines after it continue its text), other
# lines plain text.
in_roff() {
  LC_ALL=C awk -v nome="$nome" '
    function roff(s) {
      gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s)
      sub(/^[.\047]/, "\\\\&&", s)
      return s
    }
    /^[ \t]*$/ { opzione = 0; next }
    opzione && /^    / { riga = $0; sub(/^ +/, "", riga); print roff(riga); next }
    /^Usage:/ {
      sub(/^Usage: [^ ]*/, ""); print ".PP"; print "\\fB" nome "\\fR" roff($0); next
    }
    /^[A-Z][A-Za-z ]*:$/ { print ".PP"; print "\\fI" roff($0) "\\fR"; next }
    /^  +[^ ]/ {
      riga = $0; sub(/^ +/, "", riga)
      opzione = 1
      if (match(riga, /   */)) {
        print ".TP"; print "\\fB" roff(substr(riga, 1, RSTART - 1)) "\\fR"
        print roff(substr(riga, RSTART + RLENGTH))
      } else { print ".TP"; print "\\fB" roff(riga) "\\fR" }
      next
    }
    { opzione = 0; print ".PP"; print roff($0) }'
}

opzioni=$(mktemp)
trap 'rm -f "$opzioni"' EXIT
"$programma" --help | in_roff >"$opzioni"
for comando in "$@"; do
  printf '.SS "%s %s"\n' "$nome" "$comando" >>"$opzioni"
  "$programma" "$comando" --help | sed 1d | in_roff >>"$opzioni"
done

LC_ALL=C awk -v file="$opzioni" -v versione="$versione" '
  /^@OPTIONS@$/ { while ((getline riga < file) > 0) print riga; next }
  { gsub(/@VERSION@/, versione); print }' "$sorgente" >"$uscita.tmp"
mv "$uscita.tmp" "$uscita"
