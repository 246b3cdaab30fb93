#!/usr/bin/env bash
# Makes the Debian package with CPack and checks that dpkg reads it, that it depends on the
# libraries the programs link, and that it holds under /usr exactly what "cmake --install"
# puts under a prefix.
#   check-deb.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; exit 1; }
deb=$(find "$tmp/package" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$deb" ] || { fail "cpack made no .deb"; exit 1; }

dpkg-deb --info "$deb" >/dev/null || { fail "dpkg-deb --info cannot read $deb"; exit 1; }
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = voranth ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
for library in libqt6widgets6 libqt6network6 libzip4 qt6-image-formats-plugins; do
  grep -q "\b$library\b" <<<"$(field Depends)" || fail "Depends lacks $library: $(field Depends)"
done
[ -n "$(field Description)" ] || fail "no Description"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

# The licence: Debian's machine-readable copyright file, naming GPL-2+ as the whole tree's,
# and the licence's text.
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/voranth/copyright 2>/dev/null)
if [ -z "$copyright" ]; then
  fail "the package has no usr/share/doc/voranth/copyright"
else
  head -n 1 <<<"$copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
  grep -A2 -x 'Files: \*' <<<"$copyright" | grep -qx 'License: GPL-2+' ||
    fail "the copyright file does not give GPL-2+ for every file"
  grep -qx 'License: GPL-2+' <<<"$copyright" && grep -q 'common-licenses/GPL-2' <<<"$copyright" ||
    fail "the copyright file lacks the GPL-2+ licence paragraph"
fi
# Read whole before it is searched: "grep -q" stops at the first match, and a writer still
# writing into the pipe then dies of SIGPIPE, which pipefail reports as a failure.
copying=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/voranth/COPYING 2>/dev/null)
grep -q 'GNU GENERAL PUBLIC LICENSE' <<<"$copying" ||
  fail "the package has no usr/share/doc/voranth/COPYING"

# The package's files are the install's, moved under /usr.
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null 2>&1 || fail "cmake --install"
(cd "$tmp/prefix" && find . -type f | sort) >"$tmp/installed"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/|./|' | sort >"$tmp/packaged"
diff -u "$tmp/installed" "$tmp/packaged" >&2 || fail "the package holds other files than the install"

[ "$failures" -eq 0 ] && echo "package checks passed: $(basename "$deb")"
exit $((failures > 0))
