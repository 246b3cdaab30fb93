#!/usr/bin/env bash
# Pictures of the main window on the demo game, in a home of their own, for docs/:
#   tools/window-shot.sh BUILD OUT.png WIDTHxHEIGHT [TAB]
# TAB is the editor's tab to show (0 Game, 1 Network, 2 Bots, 3 Maps, 4 Advanced, 5 Remote
# Control). The window fills a virtual screen of the given size (xvfb-run, ImageMagick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd); out=$2; size=$3; tab=${4:-0}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config
ctl=$build/voranthctl
demo=$("$root/tools/make-demo-game.sh" "$home/game")
"$ctl" scan --game-dir "$demo" >/dev/null
"$ctl" new "Friday Night CTF" --game-type "Capture the Flag" >/dev/null
"$ctl" set-field "Friday Night CTF" serverName "Friday Night CTF" >/dev/null
"$ctl" add-maps "Friday Night CTF" am_lavactf cbctf1 am_thornish >/dev/null
"$ctl" new "Duel" --game-type "Tournament" >/dev/null
mkdir -p "$XDG_CONFIG_HOME/Voranth"
printf '\n[MainWindow]\ntab=%s\n' "$tab" >>"$XDG_CONFIG_HOME/Voranth/Voranth.conf"
xvfb-run -a -s "-screen 0 ${size}x24" bash -c \
  "'$build/voranth' -geometry ${size}+0+0 & pid=\$!; sleep 4; import -window root '$out'; kill \$pid"
