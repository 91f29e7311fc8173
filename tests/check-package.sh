#!/usr/bin/env bash
# Builds the Debian package and looks inside: the files a desktop needs, and
# dependencies that dpkg-shlibdeps found in the binaries.
# Usage: check-package.sh BUILD_DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
fail() { echo "FAIL: $*" >&2; exit 1; }

debs=("$out"/zimbrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "no zimbrel_*.deb"
deb=${debs[0]}

info=$(dpkg-deb -I "$deb")
grep -q '^ Package: zimbrel$' <<<"$info" || fail "package name"
grep -q '^ Maintainer: ' <<<"$info" || fail "no maintainer"
grep -q '^ Section: graphics$' <<<"$info" || fail "section"
grep -q '^ Description: full-screen drawing' <<<"$info" || fail "no description"
depends=$(grep '^ Depends: ' <<<"$info")
for runtime in libsdl2-2.0-0 libpng16-16 libc6 libstdc++6; do
  grep -q "$runtime" <<<"$depends" || fail "no dependency on $runtime: $depends"
done

contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/zimbrel ./usr/bin/zimbrel-still \
    ./usr/share/applications/zimbrel.desktop \
    ./usr/share/icons/hicolor/48x48/apps/zimbrel.png \
    ./usr/share/man/man6/zimbrel.6 ./usr/share/man/man1/zimbrel-still.1; do
  grep -q " $file\$" <<<"$contents" || fail "missing $file"
done
echo "package OK: $(basename "$deb")"
echo "$depends"
