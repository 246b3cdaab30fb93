#!/usr/bin/env bash
# Takes the pictures of docs/ on the demo game, under a virtual X display, in a scratch home
# (never yours): the main window, the map tab, the remote-control tab controlling a server
# with four bots, and the preferences, each at 1024x700 and 1600x1000; then the window hosting
# three servers at once.
#   tools/screenshots.sh [BUILD_DIR]      (default: build)
# Needs what tools/setup-debian.sh installs (xvfb-run, ImageMagick, xdotool).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
scratch=$(mktemp -d)
export HOME=$scratch/home XDG_DATA_HOME=$scratch/home/.local/share XDG_CONFIG_HOME=$scratch/home/.config
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Voranth"
ctl=$build/voranthctl
out=$root/docs
cleanup() {
  "$ctl" stop --all >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

"$root/tools/make-demo-game.sh" "$scratch/game" >/dev/null
"$ctl" set "Terminal Emulator" none >/dev/null
"$ctl" scan --game-dir "$scratch/game" >/dev/null 2>&1
name="Friday Night"
"$ctl" new "$name" --game-type "Free For All" >/dev/null
"$ctl" set-field "$name" rconPassword screenshot-secret >/dev/null
"$ctl" set-field "$name" serverName "Friday Night Frags" >/dev/null
"$ctl" set-field "$name" netPort 27977 >/dev/null
"$ctl" add-maps "$name" oa_dm1 oa_dm2 oa_dm4 >/dev/null
"$ctl" new "Duel" --game-type "Tournament" >/dev/null

# shot SIZE TAB FILE [SECONDS] [ACTION] [TITLE]: the screen with the window filling it, TAB of
# the editor in front (0 Game ... 3 Maps ... 5 Remote Control); ACTION runs (under the display)
# before the picture is taken; with TITLE, only the window of that title is taken.
shot() {
  local size=$1 tab=$2 file=$3 wait=${4:-4} action=${5:-true} title=${6:-}
  local window=root
  [ -n "$title" ] && window="\$(xdotool search --onlyvisible --name '^$title' | head -1)"
  rm -f "$XDG_CONFIG_HOME/Voranth/Voranth.conf.lock"
  sed -i '/^\[MainWindow\]/,$d' "$XDG_CONFIG_HOME/Voranth/Voranth.conf" 2>/dev/null || true
  printf '\n[MainWindow]\ntab=%s\n' "$tab" >>"$XDG_CONFIG_HOME/Voranth/Voranth.conf"
  xvfb-run -a -s "-screen 0 ${size}x24" bash -c "
    '$build/voranth' -geometry ${size}+0+0 >>'$scratch/voranth.log' 2>&1 & app=\$!
    sleep $wait
    $action
    import -window $window '$scratch/screen.png'
    kill \$app; wait \$app || true"
  cp "$scratch/screen.png" "$out/$file"
  echo "docs/$file"
}

openPreferences='w=$(xdotool search --onlyvisible --name "^Voranth" | head -1); xdotool windowfocus --sync $w; xdotool key --window $w alt+f; sleep 0.5; xdotool key Up Up Return; sleep 2'
for size in 1024x700 1600x1000; do
  shot "$size" 0 "main-window-$size.png"
  shot "$size" 3 "maps-$size.png"
  shot "$size" 0 "preferences-$size.png" 4 "$openPreferences" "Voranth Preferences"
done

# The window finds the running server, connects to it and brings its pane to the front.
"$ctl" start "$name" >/dev/null
"$ctl" addbot Sarge Grunt Major Kyonshi --skill 3 >/dev/null
for size in 1024x700 1600x1000; do
  shot "$size" 5 "remote-control-$size.png" 9
done

# Its player history: a day of evenings with people, bots filling in, and map changes, the
# last minutes the window's own samples.
history="$XDG_DATA_HOME/Voranth/history"
mkdir -p "$history"
awk -v now="$(( $(date +%s) / 60 ))" 'BEGIN {
  print "# Voranth player history 1: minute (since 1970 UTC) people bots map"
  for (m = now - 24 * 60; m < now - 2; m++) {
    hour = (m % 1440) / 60
    people = (hour > 17 || hour < 1) ? int(5 + 4 * sin(m / 37)) : int(1.5 + sin(m / 53))
    if (people < 0) people = 0
    bots = people < 4 ? 4 - people : 0
    map = (int(m / 45) % 3 == 0) ? "oa_dm1" : (int(m / 45) % 3 == 1) ? "oa_dm2" : "oa_dm4"
    print m, people, bots, map
  }
}' >"$history/Friday%20Night.history"
openHistory='w=$(xdotool search --onlyvisible --name "^Voranth" | head -1); xdotool windowfocus --sync $w; xdotool key --window $w alt+h; sleep 1'
for size in 1024x700 1600x1000; do
  shot "$size" 5 "history-$size.png" 9 "$openHistory"
done

# Two more servers beside the first, each on a port of its own.
"$ctl" new "CTF Night" --game-type "Capture the Flag" >/dev/null
"$ctl" set-field "CTF Night" rconPassword screenshot-secret >/dev/null
"$ctl" set-field "CTF Night" netPort 27978 >/dev/null
"$ctl" set-field "CTF Night" serverName "CTF Night Flags" >/dev/null
"$ctl" add-maps "CTF Night" oa_ctf2 oa_ctf4ish >/dev/null
"$ctl" set-field "Duel" rconPassword screenshot-secret >/dev/null
"$ctl" set-field "Duel" netPort 27979 >/dev/null
"$ctl" set-field "Duel" serverName "Duel Cup" >/dev/null
"$ctl" add-maps "Duel" oa_minia oa_dm7 >/dev/null
"$ctl" start "CTF Night" >/dev/null
"$ctl" start "Duel" >/dev/null
"$ctl" addbot --server "Duel" Kyonshi --skill 2 >/dev/null
"$ctl" addbot --server "CTF Night" Sarge Grunt --skill 2 >/dev/null
for size in 1024x700 1600x1000; do
  shot "$size" 5 "several-servers-$size.png" 9
done
