#!/bin/sh
# zellora-cli and what it leaves on the disk when the run is cut short or the
# output is not a plain file: a size limit, SIGTERM and SIGHUP while writing,
# a FIFO or a device as the output, a closed standard output.
# Usage: file_di_uscita.sh ZELLORA-CLI SCRATCH-FOLDER
CLI=$1
W=$2
rm -rf "$W"
mkdir -p "$W" || exit 1
cd "$W" || exit 1
falliti=0
fallito() {
  echo "FAIL: $*" >&2
  falliti=$((falliti + 1))
}
nessun_temporaneo() {
  for f in .[!.]*; do
    [ -e "$f" ] && fallito "$1: temporary file left: $f"
  done
}
printf 'List1;List2;Text1\nImpiegato;Settore previdenziale Commercio -50dip;30000\n' > staff.csv
printf '{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}' > req.json

# A size limit: a write error naming the file, exit 2 (batch) or 3 (statement).
(ulimit -f 1 && exec "$CLI" batch staff.csv -o big.csv) 2> err.txt
rc=$?
[ $rc -eq 2 ] || fallito "ulimit batch: exit $rc"
grep -q '"big.csv": File too large' err.txt || fallito "ulimit batch: $(cat err.txt)"
[ -e big.csv ] && fallito "ulimit batch: big.csv written"
(ulimit -f 1 && exec "$CLI" --input req.json --export big.docx) > /dev/null 2> err.txt
rc=$?
[ $rc -eq 3 ] || fallito "ulimit export: exit $rc"
grep -q '"big.docx": File too large' err.txt || fallito "ulimit export: $(cat err.txt)"
[ -e big.docx ] && fallito "ulimit export: big.docx written"
nessun_temporaneo ulimit

# A signal while the results are being written (the input is a FIFO that
# stays open, so the run waits with its temporary file in place).
for segnale in TERM HUP; do
  mkfifo in.fifo
  "$CLI" batch in.fifo -o cut.csv 2> err.txt &
  pid=$!
  exec 3> in.fifo
  printf 'Text1\n30000\n' >&3
  i=0
  until ls -A | grep -q '^\.'; do
    i=$((i + 1))
    [ $i -gt 600 ] && break
    sleep 0.1
  done
  [ $i -gt 600 ] && fallito "$segnale: no temporary file while writing"
  kill -s $segnale $pid
  wait $pid
  rc=$?
  exec 3>&-
  [ $rc -gt 128 ] || fallito "$segnale: exit $rc, not ended by the signal"
  [ -e cut.csv ] && fallito "$segnale: cut.csv written"
  nessun_temporaneo "$segnale"
  rm -f in.fifo
done

# Every option that writes a file, on a FIFO and on a device, named directly
# and through a symbolic link: the FIFO stays a FIFO and its reader gets the
# whole output, the device stays a device. The devices are private copies of
# /dev/null made with mknod (as root); the real ones are written only when
# every copy stayed a device (a faulty build would replace them with files).
# Usage: scrivi KIND TARGET, KIND one of batch, docx, svg, png.
scrivi() {
  case $1 in
    batch) "$CLI" batch staff.csv -o "$2" ;;
    docx) "$CLI" --input req.json --export "$2" > /dev/null ;;
    svg | png) "$CLI" --input req.json --chart "$2" > /dev/null ;;
  esac
}
# What the start of each kind of output holds.
inizio() {
  case $1 in
    batch) echo 'row;status' ;;
    docx) echo 'PK' ;;
    svg) echo '<?xml' ;;
    png) printf '\211PNG' ;;
  esac
}
estensione() {
  case $1 in
    batch) echo csv ;;
    *) echo "$1" ;;
  esac
}
sistema=yes
for tipo in batch docx svg png; do
  e=$(estensione $tipo)
  mkfifo "out.$e"
  ln -s "out.$e" "link-out.$e"
  for nome in "out.$e" "link-out.$e"; do
    cat "out.$e" > got &
    lettore=$!
    scrivi $tipo "$nome" 2> err.txt || fallito "$tipo fifo $nome: exit $? $(cat err.txt)"
    if [ -p "out.$e" ]; then
      wait $lettore
    else
      fallito "$tipo fifo $nome: out.$e is no longer a FIFO"
      kill $lettore  # still waiting on the FIFO that the file replaced
      rm -f "out.$e"
      mkfifo "out.$e"
    fi
    [ -L "link-out.$e" ] || fallito "$tipo fifo $nome: the link was replaced"
    head -c 16 got | grep -q "$(inizio $tipo)" || fallito "$tipo fifo $nome: the reader got $(head -c 40 got)"
  done
  if mknod "null.$e" c 1 3 2> /dev/null; then
    ln -s "null.$e" "link-null.$e"
    for nome in "null.$e" "link-null.$e"; do
      scrivi $tipo "$nome" 2> err.txt || fallito "$tipo device $nome: exit $? $(cat err.txt)"
      if [ ! -c "null.$e" ]; then
        fallito "$tipo device $nome: a copy of /dev/null was replaced by a file"
        sistema=no
        rm -f "null.$e"
        mknod "null.$e" c 1 3
      fi
      [ -L "link-null.$e" ] || fallito "$tipo device $nome: the link was replaced"
    done
    rm -f "null.$e" "link-null.$e"
  elif [ "$(id -u)" -eq 0 ]; then
    sistema=no
  fi
  rm -f "out.$e" "link-out.$e" got
done
if [ $sistema = yes ]; then
  "$CLI" batch staff.csv -o /dev/null 2> err.txt || fallito "/dev/null: exit $?"
  [ -c /dev/null ] || fallito "/dev/null is no longer a device"
fi

# "-" is standard output, never a file of that name.
"$CLI" batch staff.csv -o - > got.csv 2> err.txt || fallito "-o -: exit $? $(cat err.txt)"
grep -q '^2;ok;' got.csv || fallito "-o -: standard output got $(cat got.csv)"
[ -e ./- ] && fallito "-o -: a file named - was written"

# A closed or full standard output is an error, not a success.
"$CLI" --input req.json >&- 2> err.txt
rc=$?
[ $rc -eq 2 ] || fallito "closed stdout: exit $rc"
grep -q 'standard output: Bad file descriptor' err.txt || fallito "closed stdout: $(cat err.txt)"
"$CLI" batch staff.csv >&- 2> err.txt
rc=$?
[ $rc -eq 2 ] || fallito "closed stdout, batch: exit $rc"
"$CLI" batch staff.csv -o res.csv >&- 2> err.txt || fallito "batch to a file, stdout closed: exit $?"
[ -s res.csv ] || fallito "batch to a file, stdout closed: nothing written"
if [ -w /dev/full ]; then
  "$CLI" --input req.json > /dev/full 2> err.txt
  rc=$?
  [ $rc -eq 2 ] || fallito "/dev/full: exit $rc"
  grep -q 'No space left on device' err.txt || fallito "/dev/full: $(cat err.txt)"
  "$CLI" --help > /dev/full 2> err.txt
  rc=$?
  [ $rc -eq 2 ] || fallito "--help to /dev/full: exit $rc"
  "$CLI" batch staff.csv > /dev/full 2> err.txt
  rc=$?
  [ $rc -eq 2 ] || fallito "/dev/full, batch: exit $rc"
  if [ $sistema = yes ]; then
    "$CLI" batch staff.csv -o /dev/full 2> err.txt
    rc=$?
    [ $rc -eq 2 ] || fallito "-o /dev/full: exit $rc"
    grep -q '"/dev/full": No space left on device' err.txt || fallito "-o /dev/full: $(cat err.txt)"
  fi
  "$CLI" batch staff.csv -o res.csv 2> /dev/full
  rc=$?
  [ $rc -eq 2 ] || fallito "summary to /dev/full: exit $rc"
fi
nessun_temporaneo end

cd / && rm -rf "$W"
[ $falliti -eq 0 ] || exit 1
echo "all cases passed"
