#!/bin/sh
# zellora-cli built where Qt is not installed (simulated by hiding it from
# CMake): it must build, link no Qt library, export DOCX and ODT, and refuse
# PDF and charts before calculating. Configured with the tests on: the tests
# that need no Qt are built where Qt is not.
# Usage: senza_qt.sh SOURCE BUILD CXX
# BUILD is kept between runs, so that only what changed is built again.
set -u
src=$1
build=$2
cxx=$3
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER="$cxx" \
  -DZELLORA_GUI=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DZELLORA_TESTS=ON \
  -DZELLORA_BENCH=OFF -DZELLORA_FUZZ=OFF -DZELLORA_SANITIZE=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log" >&2; fail "configure without Qt"; }
cmake --build "$build" --target zellora-cli -j2 >"$build.build.log" 2>&1 ||
  { tail -50 "$build.build.log" >&2; fail "build without Qt"; }
cli=$build/zellora-cli
[ -x "$cli" ] || fail "no $cli"

if command -v ldd >/dev/null; then
  ldd "$cli" | grep -i 'libQt' && fail "zellora-cli links Qt"
fi

work=$build/prova
rm -rf "$work" && mkdir -p "$work" || fail "cannot make $work"
printf '%s' '{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}' \
  >"$work/r.json"
for f in p.docx p.odt; do
  "$cli" --input "$work/r.json" --export "$work/$f" >"$work/out" 2>"$work/err" ||
    { cat "$work/err" >&2; fail "--export $f"; }
  grep -q '"Text16": "40.766,22"' "$work/out" || fail "--export $f: no results"
  [ -s "$work/$f" ] || fail "--export $f: no file"
done
unzip -p "$work/p.docx" word/document.xml | grep -q 'Costo del Lavoro : 40.766,22' ||
  fail "p.docx lacks the cost of labour"
unzip -p "$work/p.odt" content.xml | grep -q 'Costo del Lavoro : 40.766,22' ||
  fail "p.odt lacks the cost of labour"

"$cli" --input "$work/r.json" --export "$work/p.pdf" >"$work/out" 2>"$work/err"
code=$?
[ "$code" = 2 ] || fail ".pdf: exit $code, expected 2"
[ -s "$work/out" ] && fail ".pdf: calculated anyway"
grep -q "PDF export needs the build with Qt" "$work/err" || { cat "$work/err" >&2; fail ".pdf: message"; }
[ -e "$work/p.pdf" ] && fail ".pdf: a file was written"
"$cli" --input "$work/r.json" --chart "$work/c.svg" >"$work/out" 2>"$work/err"
code=$?
[ "$code" = 2 ] || fail "--chart: exit $code, expected 2"
[ -s "$work/out" ] && fail "--chart: calculated anyway"
grep -q "charts need the build with Qt Charts" "$work/err" || { cat "$work/err" >&2; fail "--chart: message"; }
[ -e "$work/c.svg" ] && fail "--chart: a file was written"
echo "zellora-cli without Qt: builds, links no Qt, exports DOCX and ODT, refuses PDF and charts"
