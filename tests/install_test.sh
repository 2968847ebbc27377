#!/bin/sh
# install_test.sh BUILD_DIR: installs the build into a temporary prefix and
# checks that the program and its manual page land where they belong, that the
# installed program runs, and that the page renders without a warning.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "install_test: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/bin/tavrel
page=$prefix/share/man/man1/tavrel.1
[ -x "$program" ] || fail "no program at $program"
[ -f "$page" ] || fail "no manual page at $page"

banner=$("$program" | head -n 1)
[ "$banner" = "Tavrel v0.01 2005/03/26" ] || fail "installed program printed '$banner'"

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
for expected in "tavrel SOURCE OUTPUT" "EXIT STATUS" "20010–4000F" "完了しました。" "iconv -f CP932 -t UTF-8"; do
    printf '%s\n' "$rendered" | grep -qF -- "$expected" || fail "the rendered page lacks '$expected'"
done
echo "install_test: program and manual page installed; the page renders cleanly"
