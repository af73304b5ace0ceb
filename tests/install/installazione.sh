#!/bin/sh
# Installs the build into a temporary prefix as the user running the tests,
# then runs the installed programs from there:
#   installazione.sh CMAKE BUILD_DIR GUI(ON|OFF)
# zellora-cli must give the typical request's net pay; zellora must find its
# skin in <prefix>/share/zellora; the menu entry, icon, metadata and
# documentation must be where the desktop looks for them; the desktop file
# and the AppStream metadata must pass their validators when installed.
set -eu
cmake=$1 build=$2 gui=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fallito() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

richiesta='{"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}'
uscita=$(cd / && echo "$richiesta" | "$prefix/bin/zellora-cli" --format json) ||
  fallito "installed zellora-cli failed"
echo "$uscita" | grep -q '"Text10": "21.455,00"' || fallito "installed zellora-cli: $uscita"
test -f "$prefix/share/doc/zellora/README.md" || fallito "README not installed"

# The manual page holds every option of --help and renders without warnings;
# the completion offers the options of the installed program.
pagine=zellora-cli
[ "$gui" = ON ] && pagine="$pagine zellora"
for programma in $pagine; do
  pagina=$prefix/share/man/man1/$programma.1.gz
  test -f "$pagina" || fallito "$programma.1.gz not installed"
  for opzione in $("$prefix/bin/$programma" --help | sed -n 's/^  *\(-[^ ]*\).*/\1/p' | tr ',' ' '); do
    gzip -dc "$pagina" | grep -q -- "$(echo "$opzione" | sed 's/-/\\\\-/g')" || fallito "$opzione not in $programma.1"
  done
  if command -v man >/dev/null; then
    avvisi=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$pagina" 2>&1 >/dev/null) || true
    [ -z "$avvisi" ] || fallito "$programma.1: $avvisi"
  fi
done
completamento=$prefix/share/bash-completion/completions/zellora-cli
if command -v bash >/dev/null; then
  offerte=$(bash -c '. "$1"; COMP_WORDS=("$2" batch --); COMP_CWORD=2; _zellora_cli
    echo "${COMPREPLY[*]}"' sh "$completamento" "$prefix/bin/zellora-cli") ||
    fallito "bash completion"
  case " $offerte " in *" --threads "*) ;; *) fallito "completion of batch --: $offerte" ;; esac
fi

[ "$gui" = ON ] || exit 0

# From an installation the skin is in share/zellora, not beside the program.
test ! -e "$prefix/bin/Paper.skn" || fallito "Paper.skn installed in bin"
skin=$(cd / && "$prefix/bin/zellora" --skin-path) || fallito "installed zellora finds no skin: $skin"
[ "$skin" = "$prefix/share/zellora/Paper.skn" ] || fallito "skin $skin"

for f in share/applications/org.zellora.Zellora.desktop \
         share/metainfo/org.zellora.Zellora.metainfo.xml \
         share/icons/hicolor/scalable/apps/zellora.svg \
         share/icons/hicolor/48x48/apps/zellora.png \
         share/icons/hicolor/128x128/apps/zellora.png \
         share/doc/zellora/docs/input-form.png; do
  test -f "$prefix/$f" || fallito "$f not installed"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/org.zellora.Zellora.desktop" ||
    fallito "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.zellora.Zellora.metainfo.xml" ||
    fallito "appstreamcli validate"
fi
echo "installed and ran from $prefix"
