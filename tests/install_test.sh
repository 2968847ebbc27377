#!/bin/sh
# install_test.sh BUILD_DIR: installs the build into a temporary prefix and
# checks that the program, its English and Japanese manual pages and its
# documents land where they belong, that the installed program runs, and that
# both pages render without a warning.
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
japanese_page=$prefix/share/man/ja/man1/tavrel.1
[ -x "$program" ] || fail "no program at $program"
for file in "$page" "$japanese_page" "$prefix"/share/doc/tavrel/README.md \
    "$prefix"/share/doc/tavrel/README.ja.md "$prefix"/share/doc/tavrel/LICENSE; do
    [ -f "$file" ] || fail "nothing installed at $file"
done

banner=$("$program" | head -n 1)
[ "$banner" = "Tavrel v0.01 2005/03/26" ] || fail "installed program printed '$banner'"

# render LOCALE PAGE: sets $warnings and $rendered. man-db's man renders a
# file with -l and reports roff's warnings with --warnings; other systems' man
# has neither, so there groff is asked directly.
if man --version 2>/dev/null | grep -q man-db; then
    render() {
        warnings=$(LC_ALL=$1 MANWIDTH=80 man --warnings -l "$2" 2>&1 >/dev/null)
        rendered=$(LC_ALL=$1 MANWIDTH=80 man -l "$2" 2>/dev/null)
    }
elif command -v groff >/dev/null 2>&1; then
    render() {
        warnings=$(LC_ALL=$1 groff -k -t -man -Tutf8 -ww -z "$2" 2>&1)
        rendered=$(LC_ALL=$1 groff -k -t -man -Tutf8 -P-cbou -rLL=80n "$2" 2>/dev/null)
    }
else
    echo "install_test: program and manual pages installed; neither man-db's man nor groff is here, so the pages' rendering is not checked"
    exit 0
fi
# expect_rendered TEXT...: each TEXT is in the page last rendered.
expect_rendered() {
    for expected in "$@"; do
        printf '%s\n' "$rendered" | grep -qF -- "$expected" || fail "the rendered page lacks '$expected'"
    done
}

render C.UTF-8 "$page"
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
expect_rendered "tavrel SOURCE OUTPUT" "EXIT STATUS" "20010–4000F" "完了しました。" \
    "iconv -f CP932 -t UTF-8" "MIT"

# The Japanese page is read in a Japanese locale where there is one.
japanese_locale=C.UTF-8
if locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\{0,1\}8'; then
    japanese_locale=ja_JP.UTF-8
fi
render "$japanese_locale" "$japanese_page"
[ -z "$warnings" ] || fail "the Japanese manual page renders with warnings in $japanese_locale: $warnings"
expect_rendered "tavrel SOURCE OUTPUT" "終了ステータス" "20010–4000F" "完了しました。" \
    "iconv -f CP932 -t UTF-8" "tavrel - NES イメージをマッパー 1 の構成に拡張する" \
    "ロムファイル SOURCE を開けませんでした。" "出力ファイル OUTPUT を作成できませんでした。" "MIT"
echo "install_test: program, documents and both manual pages installed; the pages render cleanly ($japanese_locale for the Japanese one)"
