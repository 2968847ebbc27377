#!/bin/sh
# emulator_test.sh TAVREL_BINARY: runs the sample image in FCEUX three ways and
# checks what the sample found and drew (see samples/testpattern.s):
#   (a) the sample as it is, a mapper 0 image;
#   (b) tavrel's output, header unchanged: FCEUX still loads it as mapper 0,
#       so its CHR-ROM is made of PRG bytes and the picture must differ;
#   (c) tavrel's output with the header set for mapper 1 by the README's own
#       command: the same picture as (a), and the bank markers of the mapper 1
#       layout.
# It also rebuilds the sample from its source and requires the committed image.
# Exits 77 (skipped) where a tool it needs is missing. Pass or fail never
# depends on speed: FCEUX runs a fixed number of frames, and only what its
# script wrote is judged, not how or when FCEUX ended.
set -eu

tavrel=$1
case $tavrel in /*) ;; *) tavrel=$PWD/$tavrel ;; esac
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

fceux=$(command -v fceux || true)
if [ -z "$fceux" ] && [ -x /usr/games/fceux ]; then
    fceux=/usr/games/fceux
fi
missing=
[ -n "$fceux" ] || missing=" fceux"
for tool in xvfb-run xauth ca65 ld65; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "emulator_test: skipped, missing:$missing"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "emulator_test: FAIL: $*" >&2
    failures=$((failures + 1))
}
stop() {
    echo "emulator_test: FAIL: $*" >&2
    exit 1
}
header() {
    od -An -tx1 -N16 "$1" | tr -d ' \n'
}
repeat() {
    text=
    count=0
    while [ "$count" -lt "$2" ]; do
        text=$text$1
        count=$((count + 1))
    done
    printf '%s' "$text"
}

# The committed sample, and the same rebuilt from its source.
cp "$root/samples/testpattern.nes" "$work/a.nes"
[ "$(wc -c <"$work/a.nes")" -eq 40976 ] || stop "the sample is not 40976 bytes"
[ "$(header "$work/a.nes")" = 4e45531a020100000000000000000000 ] ||
    stop "the sample's header is not mapper 0 with 2 PRG and 1 CHR banks"
sh "$root/samples/build-testpattern" "$work/rebuilt.nes" ||
    stop "samples/build-testpattern failed"
cmp "$work/a.nes" "$work/rebuilt.nes" >/dev/null ||
    fail "samples/testpattern.nes differs from what its source builds"

# (b): tavrel's output.
"$tavrel" "$work/a.nes" "$work/b.nes" >/dev/null || stop "tavrel failed"
[ "$(wc -c <"$work/b.nes")" -eq 262160 ] || stop "tavrel's output is not 262160 bytes"
cmp -n 16 "$work/a.nes" "$work/b.nes" >/dev/null || stop "tavrel changed the header"

# (c): (b) with the header patched by the README's command, run in the folder
# that holds out.nes.
awk '$0 == "## From the expanded image to a running game" { section = 1; next }
     section && !block && /^```sh[[:space:]]*$/ { block = 1; next }
     block && /^```/ { exit }
     block { print }' "$root/README.md" >"$work/set-header.sh"
[ -s "$work/set-header.sh" ] ||
    stop "README.md has no sh block after '## From the expanded image to a running game'"
mkdir "$work/c"
cp "$work/b.nes" "$work/c/out.nes"
(cd "$work/c" && sh "$work/set-header.sh") || stop "the README's header command failed"
[ "$(wc -c <"$work/c/out.nes")" -eq 262160 ] || stop "the README's command changed the size"
[ "$(header "$work/c/out.nes")" = 4e45531a081010000000000000000000 ] ||
    stop "the README's command made the header $(header "$work/c/out.nes")"
cmp -i 16 "$work/b.nes" "$work/c/out.nes" >/dev/null ||
    stop "the README's command changed bytes after the header"

# run NAME IMAGE: runs IMAGE in FCEUX under a virtual X server; leaves the
# script's results in $work/NAME.result. FCEUX may crash or hang on its way out
# after the script's os.exit, so its status is ignored and a kill bounds it,
# inside xvfb-run so that the X server is still stopped; the outer kill only
# bounds xvfb-run itself.
run() {
    mkdir "$work/$1.home"
    HOME=$work/$1.home XDG_CONFIG_HOME=$work/$1.home XDG_RUNTIME_DIR=$work/$1.home \
        TAVREL_EMU_RESULT=$work/$1.result \
        timeout -s KILL 180 xvfb-run -a timeout -s KILL 120 "$fceux" --no-config 1 --sound 0 \
        --loadlua "$here/emulator_test.lua" "$2" >"$work/$1.log" 2>&1 </dev/null || true
    if ! grep -q '^end' "$work/$1.result" 2>/dev/null; then
        tail -n 20 "$work/$1.log" >&2
        stop "($1) FCEUX's script wrote no complete results"
    fi
    echo "emulator_test: ($1) $(grep -v '^end' "$work/$1.result" | tr '\n' ';')"
}
# value NAME FIELD
value() {
    sed -n "s/^$2 //p" "$work/$1.result"
}
# expect NAME FIELD VALUE
expect() {
    [ "$(value "$1" "$2")" = "$3" ] || fail "($1) $2 is '$(value "$1" "$2")', not '$3'"
}

run a "$work/a.nes"
run b "$work/b.nes"
run c "$work/c/out.nes"

# The colours of the bars, the blank top, the checkerboard, a letter of the
# status line and a sprite, as the sample's palette and tiles make them.
pixels="16,96=16 48,96=12 80,96=14 112,96=26 144,96=2A 176,96=28 208,96=1A 240,96=2C"
pixels="$pixels 128,16=0F 0,160=16 1,160=2A 72,200=0F 73,200=30 107,216=21 105,219=30"

for name in a c; do
    expect $name main A5
    [ "$(value $name frames)" != 00 ] || fail "($name) no NMI came"
    expect $name pixels "$pixels"
done
expect a prg_verdict 01
expect a chr_verdict 01
expect a prg_seen "$(repeat B0B1 8)"
expect a fixed_seen B2B3
expect a chr_seen "$(repeat C1C0 16)"
expect a rom_header 4E45531A020100000000000000000000
expect a rom_ends "800F=83 A00F=C1 2000F=00 4000F=00"

# Mapper 1: PRG banks 0 and 1 are the source's 32 KB, banks 2 to 7 (and the
# fixed bank at $C000) copies of its first 8 KB; every 4 KB CHR bank switches.
# FCEUX holds 128 KB of PRG-ROM (last byte: block A's last) and 128 KB of
# CHR-ROM (last byte: the second 4 KB's marker).
expect c prg_verdict 02
expect c chr_verdict 02
expect c prg_seen "B0B1B2B3$(repeat B0 12)"
expect c fixed_seen B0B0
expect c chr_seen "$(repeat C0C1 16)"
expect c rom_header 4E45531A081010000000000000000000
expect c rom_ends "800F=83 A00F=E3 2000F=E3 4000F=C1"
expect c screen "$(value a screen)"

# Unchanged header: the program runs as in (a), but with PRG bytes for tiles.
expect b main A5
expect b prg_verdict 01
expect b chr_verdict FF
expect b rom_ends "800F=83 A00F=E3 2000F=00 4000F=00"
[ "$(value b screen)" != "$(value a screen)" ] || fail "(b) draws the same screen as (a)"
[ "$(value b pixels)" != "$pixels" ] || fail "(b) draws the same pixels as (a)"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "emulator_test: (a) and (c) draw the same test pattern with their own bank layouts; (b) differs"
