#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo game (OpenArena's free data laid out
# as a Quake III game directory, in demo-game/) and starts Voranth on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/setup-debian.sh
tools/build.sh build
demo=$(tools/make-demo-game.sh "$root/demo-game")
build/voranthctl set "QGame Root Directory" "$demo" >/dev/null
exec build/voranth "$@"
