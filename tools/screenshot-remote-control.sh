#!/usr/bin/env bash
# Takes docs/remote-control.png: the window controlling a server of the demo game with four
# bots, under a virtual X display, in a scratch home (never yours).
#   tools/screenshot-remote-control.sh [BUILD_DIR]      (default: build)
# Needs xvfb-run and ImageMagick's import and convert, and what tools/setup-debian.sh installs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/.local/share XDG_CONFIG_HOME=$scratch/home/.config
mkdir -p "$HOME"
ctl=$build/voranthctl
cleanup() {
  "$ctl" stop >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

"$root/tools/make-demo-game.sh" "$scratch/game" >/dev/null
"$ctl" set "Terminal Emulator" none
"$ctl" scan --game-dir "$scratch/game" >/dev/null 2>&1
name="Friday Night"
"$ctl" new "$name" --game-type "Free For All" >/dev/null
"$ctl" set-field "$name" rconPassword screenshot-secret
"$ctl" set-field "$name" serverName "Friday Night Frags"
"$ctl" set-field "$name" netPort 27977
"$ctl" add-maps "$name" oa_dm1 oa_dm2 oa_dm4 >/dev/null
"$ctl" start "$name" >/dev/null
"$ctl" addbot Sarge Grunt Major Kyonshi --skill 3 >/dev/null

# The window finds the running server, connects to it and shows its pane.
xvfb-run -a -s "-screen 0 1280x900x24" bash -c "
  '$build/voranth' >'$scratch/voranth.log' 2>&1 & app=\$!
  sleep 9
  import -window root '$scratch/screen.png'
  kill \$app; wait \$app || true"
mkdir -p "$root/docs"
convert "$scratch/screen.png" -trim +repage "$root/docs/remote-control.png"
echo "docs/remote-control.png written"
