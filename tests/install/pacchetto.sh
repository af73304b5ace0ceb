#!/bin/sh
# Builds the Debian package, checks it with lintian and, as root, installs it
# on this machine, runs what it installed, and removes it again:
#   pacchetto.sh CPACK BUILD_DIR BUILD_CLI
# Exit 77 (skipped) when not root or when a zellora package is already
# installed: a package the user installed is never replaced or removed.
set -eu
cpack=$1 build=$2 cli_build=$3
lavoro=$(mktemp -d)
installato=no
pulisci() {
  if [ "$installato" = yes ]; then
    dpkg --purge zellora >/dev/null || echo "FAILED: dpkg --purge zellora" >&2
  fi
  rm -rf "$lavoro"
}
trap pulisci EXIT
fallito() { echo "FAILED: $*" >&2; exit 1; }

"$cpack" -G DEB -B "$lavoro" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$lavoro"/zellora_*.deb)
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'root privileges' || true
  lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || fallito "lintian: errors or warnings"
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the package was built and checked, not installed"
  exit 77
fi
if dpkg-query -W -f='${Status}' zellora 2>/dev/null | grep -q "install ok installed"; then
  echo "a zellora package is installed already: not replaced"
  exit 77
fi

installato=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 \
  --no-install-recommends "$deb" >"$lavoro/apt.log" 2>&1 || {
  cat "$lavoro/apt.log" >&2
  fallito "apt-get install $deb"
}

richiesta='{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}'
atteso=$(echo "$richiesta" | "$cli_build" --format json)
ottenuto=$(cd / && echo "$richiesta" | /usr/bin/zellora-cli --format json) ||
  fallito "/usr/bin/zellora-cli"
[ "$ottenuto" = "$atteso" ] || fallito "/usr/bin/zellora-cli differs from the build's"
echo "$ottenuto" | grep -q '"Text10": "21.455,00"' || fallito "/usr/bin/zellora-cli: $ottenuto"

# The desktop program: its skin from /usr/share/zellora, and it keeps running
# with its entry window until stopped (an early exit is a failure).
[ "$(/usr/bin/zellora --skin-path)" = /usr/share/zellora/Paper.skn ] || fallito "skin"
rc=0
(cd / && QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/zellora) >"$lavoro/gui.log" 2>&1 || rc=$?
[ $rc -eq 124 ] || { cat "$lavoro/gui.log" >&2; fallito "/usr/bin/zellora ended with status $rc"; }

# The menu entry, the icon and the manual pages where the system looks.
voce=/usr/share/applications/org.zellora.Zellora.desktop
test -f $voce || fallito "no menu entry"
grep -qx 'Exec=zellora' $voce && grep -qx 'Icon=zellora' $voce || fallito "menu entry: $(cat $voce)"
for icona in 48x48/apps/zellora.png 128x128/apps/zellora.png scalable/apps/zellora.svg; do
  test -f /usr/share/icons/hicolor/$icona || fallito "icon $icona"
done
for pagina in zellora zellora-cli; do
  [ "$(man -w "$pagina")" = /usr/share/man/man1/$pagina.1.gz ] || fallito "man $pagina"
done

dpkg --purge zellora >/dev/null || fallito "dpkg --purge zellora"
installato=no
test ! -e /usr/bin/zellora-cli || fallito "/usr/bin/zellora-cli left after removal"
echo "installed, ran and removed $(basename "$deb")"
