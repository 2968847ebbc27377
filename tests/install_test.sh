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

# render PAGE: sets $warnings and $rendered. man-db's man renders a file with
# -l and reports roff's warnings with --warnings; other systems' man has
# neither, so there groff is asked directly.
if man --version 2>/dev/null | grep -q man-db; then
    render() {
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
        rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$1" 2>/dev/null)
    }
elif command -v groff >/dev/null 2>&1; then
    render() {
        warnings=$(groff -k -t -man -Tutf8 -ww -z "$1" 2>&1)
        rendered=$(groff -k -t -man -Tutf8 -P-cbou -rLL=80n "$1" 2>/dev/null)
    }
else
    echo "install_test: program and manual page installed; neither man-db's man nor groff is here, so the page's rendering is not checked"
    exit 0
fi

render "$page"
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
for expected in "tavrel SOURCE OUTPUT" "EXIT STATUS" "20010–4000F" "完了しました。" "iconv -f CP932 -t UTF-8"; do
    printf '%s\n' "$rendered" | grep -qF -- "$expected" || fail "the rendered page lacks '$expected'"
done
echo "install_test: program and manual page installed; the page renders cleanly"
