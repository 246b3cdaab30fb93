#!/usr/bin/env bash
# Makes a Quake III-style game directory from Debian's free OpenArena data:
#   tools/make-demo-game.sh [DIR]      (default: demo-game/ beside this script's folder)
# DIR/baseq3 links OpenArena's pk3 files and game module; DIR/ioq3ded.x86_64 starts
# ioquake3's dedicated server on them. Running it again brings the directory up to date.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$root/demo-game}
data=/usr/share/games/openarena/baseoa
module=/usr/lib/openarena-server/baseoa/qagamex86_64.so
engine=/usr/lib/ioquake3/ioq3ded

for needed in "$data/pak0.pk3" "$module" "$engine"; do
  if [ ! -e "$needed" ]; then
    echo "make-demo-game: $needed is missing (tools/setup-debian.sh installs it)" >&2
    exit 1
  fi
done

mkdir -p "$dir/baseq3"
for pak in "$data"/*.pk3; do
  name=$(basename "$pak")
  # The engine checks any baseq3/pak0.pk3 against the commercial game's checksum.
  [ "$name" = pak0.pk3 ] && name=pak00-oa.pk3
  ln -sfn "$pak" "$dir/baseq3/$name"
done
ln -sfn "$module" "$dir/baseq3/qagamex86_64.so"

# Any base game name but baseq3 makes the engine run standalone on the OpenArena data;
# exec -a keeps the server's own name in its command line, where the process probe looks.
cat > "$dir/ioq3ded.x86_64" <<SCRIPT
#!/bin/bash
exec -a "\$0" $engine +set com_basegame voranthdemo "\$@"
SCRIPT
chmod +x "$dir/ioq3ded.x86_64"
echo "$dir"
