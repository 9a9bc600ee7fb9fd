#!/usr/bin/env bash
# Installs the build into a staging folder as the package does (DESTDIR, prefix /usr) and
# runs the installed programs from there: every file the package carries must be in place.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
for f in usr/bin/vantorq-cli usr/bin/vantorq \
         usr/share/man/man1/vantorq-cli.1.gz usr/share/man/man1/vantorq.1.gz \
         usr/share/bash-completion/completions/vantorq-cli \
         usr/lib/udev/rules.d/60-vantorq.rules \
         usr/share/applications/vantorq.desktop usr/share/icons/hicolor/64x64/apps/vantorq.png \
         usr/share/doc/vantorq/copyright usr/share/doc/vantorq/changelog.gz \
         usr/share/doc/vantorq/help/startpage_RU.html; do
  [ -e "$stage/$f" ] || { echo "not installed: /$f" >&2; exit 1; }
done
version=$("$stage/usr/bin/vantorq-cli" --version)
[[ "$version" =~ ^vantorq-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "vantorq-cli --version: $version" >&2; exit 1; }
# No display: --help must not need one.
help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$stage/usr/bin/vantorq" --help)
[[ "$help" == *"--device"* ]] || { echo "vantorq --help: $help" >&2; exit 1; }
# The manual pages are well-formed roff with the sections a reader looks for.
for page in vantorq-cli vantorq; do
  text=$(zcat "$stage/usr/share/man/man1/$page.1.gz")
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES; do
    grep -q "^\.SH \"\?$section" <<<"$text" || { echo "$page(1) has no $section section" >&2; exit 1; }
  done
done
# The installed completion knows every subcommand the installed program lists.
source "$stage/usr/share/bash-completion/completions/vantorq-cli"
COMP_WORDS=(vantorq-cli ""); COMP_CWORD=1; COMPREPLY=()
_vantorq_cli
for sub in $("$stage/usr/bin/vantorq-cli" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF { print $1 }'); do
  [[ " ${COMPREPLY[*]} " == *" $sub "* ]] || { echo "completion lacks $sub" >&2; exit 1; }
done
echo "staged install complete"
