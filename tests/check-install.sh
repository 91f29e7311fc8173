#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the tree as a desktop
# would use it: the programs, the menu entry, the icons and the manual pages.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
expected=(
  bin/zimbrel
  bin/zimbrel-still
  share/applications/zimbrel.desktop
  share/man/man6/zimbrel.6
  share/man/man1/zimbrel-still.1
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/zimbrel.png")
done
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "missing $file"
done
[ -x "$prefix/bin/zimbrel" ] && [ -x "$prefix/bin/zimbrel-still" ] || fail "programs not executable"
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "unexpected files: $(comm -23 <(echo "$actual") <(echo "$wanted") | tr '\n' ' ')"

for size in 16 256; do
  file "$prefix/share/icons/hicolor/${size}x${size}/apps/zimbrel.png" |
    grep -q "PNG image data, $size x $size" || fail "icon $size is not a ${size}x$size PNG"
done

desktop-file-validate "$prefix/share/applications/zimbrel.desktop" || fail "desktop entry"
grep -qx 'Exec=zimbrel' "$prefix/share/applications/zimbrel.desktop" || fail "Exec"
grep -qx 'Icon=zimbrel' "$prefix/share/applications/zimbrel.desktop" || fail "Icon"

for page in man6/zimbrel.6 man1/zimbrel-still.1; do
  warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
  # Read whole before grep looks at it: grep -q would stop man mid-page.
  text=$(MANWIDTH=80 man -l "$prefix/share/man/$page" 2>/dev/null)
  grep -q 'EXIT STATUS' <<<"$text" || fail "$page has no EXIT STATUS"
done

version=$("$prefix/bin/zimbrel-still" --version)
text=$(MANWIDTH=80 man -l "$prefix/share/man/man1/zimbrel-still.1" 2>/dev/null)
grep -q "Zimbrel ${version#zimbrel-still }" <<<"$text" ||
  fail "the manual page and --version disagree"
echo "installed tree OK"
