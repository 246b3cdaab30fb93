#!/usr/bin/env bash
# Installs what is missing, builds, and starts Voranth.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/setup-debian.sh
tools/build.sh build
exec build/voranth "$@"
