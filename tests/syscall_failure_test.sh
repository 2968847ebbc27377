#!/usr/bin/env bash
# syscall_failure_test.sh TAVREL_BINARY SAMPLE: runs the tool once under strace
# to list the system calls of a normal run, then runs it again once for every
# one of them, with just that call made to fail (EIO). After each run:
#   - the status is 0 or 1, and 0 only with the exact image;
#   - status 1 never comes with the completion text;
#   - the source is unchanged;
#   - a failed call on the source, the output or their paths ends in status 1
#     (all but the console's calls and the source's final close): a check that
#     cannot answer refuses, it never lets the run go on.
# Exits 77 (skipped) where strace is missing or cannot trace here.
set -euo pipefail
export LC_ALL=C
# A sanitized build's leak check cannot run under ptrace.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
tavrel=$1
sample=$2
case $tavrel in /*) ;; *) tavrel=$PWD/$tavrel ;; esac
case $sample in /*) ;; *) sample=$PWD/$sample ;; esac

if ! command -v strace >/dev/null || ! strace -qq -o /dev/null true 2>/dev/null; then
    echo "syscall_failure_test: skipped: strace is missing or cannot trace here"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$sample" in.nes
cp in.nes source.orig
done_text=$(printf '完了しました。' | iconv -f UTF-8 -t CP932)

calls=read,write,lseek,openat,close,fcntl,ftruncate,%fstat,%stat,%lstat
"$tavrel" in.nes expected.nes >/dev/null
strace -qq -e trace="$calls" -o trace.log "$tavrel" in.nes out.nes >/dev/null
cmp -s out.nes expected.nes || { echo "syscall_failure_test: the traced run differs" >&2; exit 1; }

failures=0
runs=0
fail() {
    echo "syscall_failure_test: FAIL: $*" >&2
    failures=$((failures + 1))
}

# One line per call of the normal run: "NAME N CONCERNS", where N counts the
# calls of that name and CONCERNS says whether it acts on the source or the
# output (or their paths) and must therefore be able to stop the run. Calls
# before the first one on a standard descriptor or the source's path belong
# to the dynamic loader or a sanitizer's start-up, not to the tool, and are
# left out.
source_fd=none
output_fd=none
started=no
declare -A count=()
plan=()
while IFS= read -r line; do
    name=${line%%(*}
    case $name in *' '* | '') continue ;; esac # resumed or unfinished notes
    count[$name]=$((${count[$name]:-0} + 1))
    args=${line#*(}
    first=${args%%,*}
    first=${first%%)*}
    [[ $first == [012] || $args == *'"in.nes"'* ]] && started=yes
    [[ $started == yes ]] || continue
    result=${line##*= }
    result=${result%% *}
    concerns=no
    if [[ $first == "$source_fd" || $args == *'"in.nes"'* ]]; then
        concerns=source
    elif [[ $first == "$output_fd" || $args == *'"out.nes"'* ]]; then
        concerns=output
    fi
    if [[ $name == openat && $args == *'"in.nes"'* ]]; then
        source_fd=$result
    elif [[ $name == openat && $args == *'"out.nes"'* ]]; then
        output_fd=$result
    fi
    plan+=("$name ${count[$name]} $concerns")
done <trace.log
# The source's final close cannot harm anything: its last read is done.
for ((i = ${#plan[@]} - 1; i >= 0; i--)); do
    if [[ ${plan[i]} == "close "*" source" ]]; then
        plan[i]="${plan[i]% source} no"
        break
    fi
done

if [[ " ${plan[*]} " != *" source "* || " ${plan[*]} " != *" output "* ]]; then
    echo "syscall_failure_test: the trace shows no call on the source or the output" >&2
    exit 1
fi

for step in "${plan[@]}"; do
    read -r name n concerns <<<"$step"
    rm -f out.nes
    runs=$((runs + 1))
    status=0
    strace -qq -o /dev/null -e trace="$name" -e inject="$name":error=EIO:when="$n" \
        "$tavrel" in.nes out.nes >console.txt 2>/dev/null || status=$?
    what="$name #$n failing ($concerns)"
    case $status in
    0)
        cmp -s out.nes expected.nes || fail "$what: status 0 with a wrong or missing image"
        ;;
    1)
        ! grep -qF -- "$done_text" console.txt || fail "$what: status 1 with the completion text"
        ;;
    *) fail "$what: status $status" ;;
    esac
    if [[ $concerns != no && $status != 1 ]]; then
        fail "$what: the run went on (status $status)"
    fi
    if ! cmp -s in.nes source.orig; then
        fail "$what: the source changed"
        cp source.orig in.nes
    fi
done

if ((failures)); then
    exit 1
fi
echo "syscall_failure_test: $runs runs, each with one call of a normal run failing; all ended as they must"
