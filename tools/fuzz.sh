#!/usr/bin/env bash
# Builds the fuzz harnesses of fuzz/ with clang and runs them on their corpora.
#
#   tools/fuzz.sh NAME SECONDS   run one harness for that long; new inputs go to
#                                BUILD/finds/NAME, crashes to BUILD/crashes/NAME
#   tools/fuzz.sh --short [RUNS] run every harness RUNS times (20000) over its corpus, with a
#                                fixed seed so that a failure can be replayed, two at a time
#                                ($VORANTH_FUZZ_JOBS)
#   tools/fuzz.sh --list         the harness names
#
# BUILD is $VORANTH_FUZZ_BUILD, by default build-fuzz in the source tree. Extra arguments
# after SECONDS go to libFuzzer (for example -jobs=2 or -seed=7).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VORANTH_FUZZ_BUILD:-$root/build-fuzz}

harnesses() {
  for f in "$root"/fuzz/*.cpp; do
    n=$(basename "$f" .cpp)
    [ "$n" = FuzzSupport ] || echo "$n"
  done
}

usage() {
  echo "usage: tools/fuzz.sh NAME SECONDS [libFuzzer options...] | --short [RUNS] | --list" >&2
  echo "harnesses: $(harnesses | tr '\n' ' ')" >&2
  exit 2
}

build_targets() {
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" -DVORANTH_FUZZ=ON \
      -DVORANTH_TESTS=OFF -DVORANTH_BENCH=OFF >/dev/null
  fi
  cmake --build "$build" -j2 --target "$@"
}

# Sanitizer reports end the run with a stack; leaks are checked as libFuzzer does.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# The harnesses write many small files: on a memory file system when there is one.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

dictionary_option() {
  local dict="$root/fuzz/dict/$1.dict"
  [ -f "$dict" ] && echo "-dict=$dict"
}

# One short run; its log and exit status go to the scratch directory.
short_one() {
  local name=$1 runs=$2 status=0
  mkdir -p "$scratch/$name"
  # libFuzzer adds new inputs to the first directory: a scratch one, never the corpus.
  # shellcheck disable=SC2046
  "$build/fuzz/fuzz_$name" -runs="$runs" -seed=1 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$scratch/$name-" $(dictionary_option "$name") \
    "$scratch/$name" "$root/fuzz/corpus/$name" >"$scratch/$name.log" 2>&1 || status=$?
  echo "$status" >"$scratch/$name.status"
}

run_short() {
  local runs=${1:-20000} jobs=${VORANTH_FUZZ_JOBS:-2} failed=0
  build_targets fuzz_all
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  for name in $(harnesses); do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 0.2; done
    short_one "$name" "$runs" &
  done
  wait
  for name in $(harnesses); do
    if [ "$(cat "$scratch/$name.status")" = 0 ]; then
      echo "$name: $(grep -E '^Done [0-9]+ runs' "$scratch/$name.log")"
    else
      tail -n 60 "$scratch/$name.log" >&2
      mkdir -p "$build/crashes/$name"
      cp "$scratch/$name"-* "$build/crashes/$name/" 2>/dev/null || true
      echo "$name: FAILED; the input that broke it is in $build/crashes/$name" >&2
      failed=1
    fi
  done
  return "$failed"
}

run_one() {
  local name=$1 seconds=$2
  shift 2
  harnesses | grep -x "$name" >/dev/null || usage
  [[ "$seconds" =~ ^[0-9]+$ ]] || usage
  build_targets "fuzz_$name"
  mkdir -p "$build/finds/$name" "$build/crashes/$name"
  # shellcheck disable=SC2046
  exec "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$name/" $(dictionary_option "$name") "$@" \
    "$build/finds/$name" "$root/fuzz/corpus/$name"
}

case "${1:-}" in
  --list) harnesses ;;
  --short) run_short "${2:-20000}" ;;
  ""|-*) usage ;;
  *) [ $# -ge 2 ] || usage; run_one "$@" ;;
esac
