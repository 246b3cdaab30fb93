#!/usr/bin/env bash
# Fails, with the process list, when a dedicated server (ioq3ded) or a terminal emulator that
# a test started still runs: a process whose HOME or working directory lies below a test's
# temporary root ($TMPDIR/voranth-test-TAG-XXXXXX, TAG being the first eight hex digits of the
# MD5 of the build tree's real path, as tests/support/TestEnvironment.cpp names it). With a
# build directory only that build's tests count, without one every test's.
#   check-leftovers.sh [BUILD_DIR]
set -uo pipefail

if [ $# -ge 1 ]; then
  tree=$(cd "$1" && pwd -P) || exit 2
  marker="/voranth-test-$(printf %s "$tree" | md5sum | cut -c1-8)-"
else
  marker=/voranth-test-
fi

watched() {
  case "$1" in
    ioq3ded* | xterm | uxterm | x-terminal-emul* | gnome-terminal* | konsole | xfce4-terminal* | \
      lxterminal | mate-terminal* | terminator | tilix | kitty | alacritty | urxvt* | rxvt*)
      return 0 ;;
  esac
  return 1
}

# The process ids of the watched programs started from a test's root (builtins only for
# the processes that are not watched: the scan runs over every process of the machine).
leftovers() {
  local dir pid comm argv0 home cwd
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    [ "$pid" = $$ ] && continue
    { read -r comm <"$dir/comm"; } 2>/dev/null || continue
    argv0=
    { IFS= read -r -d '' argv0 <"$dir/cmdline"; } 2>/dev/null
    watched "$comm" || watched "${argv0##*/}" || continue
    home=$(tr '\0' '\n' <"$dir/environ" 2>/dev/null | sed -n 's/^HOME=//p' | head -n 1)
    cwd=$(readlink "$dir/cwd" 2>/dev/null)
    case "$home/ $cwd/" in
      *"$marker"*) echo "$pid" ;;
    esac
  done
}

# A server told to quit as its test ended may take a moment to go.
deadline=$((SECONDS + 5))
while found=$(leftovers) && [ -n "$found" ] && [ "$SECONDS" -lt "$deadline" ]; do
  sleep 0.2
done
[ -z "$found" ] && exit 0

echo "FAIL: processes started by the tests still run (HOME or working directory in *${marker}*):" >&2
# shellcheck disable=SC2086
ps -o pid,ppid,etime,args -p "$(echo $found | tr ' ' ',')" >&2 ||
  for pid in $found; do echo "$pid $(tr '\0' ' ' <"/proc/$pid/cmdline")" >&2; done
exit 1
