#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a desktop needs from it:
# the programs and their --version and --help, a valid desktop entry and AppStream
# metainfo under one application id, the icons, and manual pages that render and list
# every command voranthctl has.
#   check-install.sh BUILD_DIR SOURCE_DIR VERSION APP_ID
set -uo pipefail
build=$1 source=$2 version=$3 app_id=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config XDG_DATA_HOME=$tmp/home/.local/share
export XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
  { cat "$tmp/install.log" >&2; fail "cmake --install"; exit 1; }

# The files, each where a desktop looks for it.
desktop=$prefix/share/applications/$app_id.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
for program in voranth voranthctl; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
  [ -s "$prefix/share/man/man1/$program.1" ] || fail "man1/$program.1 is missing"
done
[ -s "$desktop" ] || fail "the desktop entry $desktop is missing"
[ -s "$metainfo" ] || fail "the metainfo $metainfo is missing"
[ -s "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "the scalable icon is missing"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }'; }
for size in 16 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
  if [ ! -s "$icon" ]; then
    fail "the ${size}px icon is missing"
  elif [ "$(png_size "$icon")" != "${size}x$size" ]; then
    fail "the ${size}px icon measures $(png_size "$icon")"
  fi
done

# The desktop entry and the metainfo are valid and name each other and the icon.
validation=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$validation" ] || fail "desktop-file-validate: $validation"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry's icon is not $app_id"
grep -q '^Exec=.*%' "$desktop" && fail "the desktop entry's Exec has a field code"
grep -qx 'Categories=Game;.*' "$desktop" || fail "the desktop entry is not in the Game category"
appstreamcli validate --no-net --strict "$metainfo" >"$tmp/as.log" 2>&1 ||
  { cat "$tmp/as.log" >&2; fail "appstreamcli validate"; }
# The tree check also finds the desktop entry the metainfo launches.
appstreamcli validate-tree --no-net --strict "$prefix" >"$tmp/tree.log" 2>&1 ||
  { cat "$tmp/tree.log" >&2; fail "appstreamcli validate-tree"; }
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"
screenshot=$(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo")
if [ -z "$screenshot" ] || [ ! -s "$source/docs/$screenshot" ]; then
  fail "the metainfo's screenshot '$screenshot' is not in docs/"
fi

# The manual pages render without a warning.
for page in "$prefix"/share/man/man1/*.1; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page failed"
  [ -z "$warnings" ] || fail "man -l $page: $warnings"
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || fail "groff $page failed"
  [ -z "$warnings" ] || fail "groff $page: $warnings"
  grep -q "^\.TH [A-Z]* 1 .*$version" "$page" || fail "$page does not name version $version"
done

# The installed programs tell their version and options, and leave the home alone doing so.
ctl=$prefix/bin/voranthctl
[ "$("$ctl" --version)" = "voranthctl $version" ] || fail "voranthctl --version: $("$ctl" --version)"
# Searched once read whole: "grep -q" in a pipe could leave the writer to die of SIGPIPE.
grep -q -- '--version' <<<"$("$ctl" --help)" || fail "voranthctl --help does not mention --version"
[ "$("$prefix/bin/voranth" --version 2>/dev/null)" = "Voranth $version" ] ||
  fail "voranth --version: $("$prefix/bin/voranth" --version 2>&1)"
grep -q -- '--game-dir <DIR>' <<<"$("$prefix/bin/voranth" --help 2>/dev/null)" ||
  fail "voranth --help does not list --game-dir"
[ -z "$(ls -A "$HOME")" ] || fail "--version or --help wrote into the home: $(ls -A "$HOME")"

# Every command voranthctl lists is in its manual page and in the README, and the page
# lists no command voranthctl lacks.
page=$prefix/share/man/man1/voranthctl.1
"$ctl" --help | awk '/^  [a-z]/ { print $1 }' | sort >"$tmp/commands"
[ -s "$tmp/commands" ] || fail "voranthctl --help lists no command"
awk '/^\.SH / { commands = ($0 == ".SH COMMANDS") } commands && after_tp { print } { after_tp = /^\.TP/ }' "$page" |
  sed -n 's/^\\fB\([a-z\\-]*\)\\fR.*/\1/p' | sed 's/\\-/-/g' | sort >"$tmp/documented"
missing=$(comm -23 "$tmp/commands" "$tmp/documented" | tr '\n' ' ')
[ -z "$missing" ] || fail "voranthctl.1 lacks the commands: $missing"
extra=$(comm -13 "$tmp/commands" "$tmp/documented" | tr '\n' ' ')
[ -z "$extra" ] || fail "voranthctl.1 documents commands voranthctl lacks: $extra"
while read -r command; do
  grep -q "^| \`voranthctl ${command}[ \`]" "$source/README.md" || fail "the README lacks voranthctl $command"
done <"$tmp/commands"
for status in 0 1 2; do
  awk '/^\.SH / { s = ($0 == ".SH \"EXIT STATUS\"" || $0 == ".SH EXIT STATUS") } s' "$page" |
    grep -qx "\.B $status" || fail "voranthctl.1 does not explain exit status $status"
done

[ "$failures" -eq 0 ] && echo "install checks passed"
exit $((failures > 0))
