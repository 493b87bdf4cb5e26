#!/bin/sh
# The benchmark: setup.exe against its floors (a bare dialog program, a bare
# copier) and a peer (an NSIS installer doing the same job), all in one run on
# one private Wine prefix and display. For each payload size every program runs
# once unmeasured (and its result is checked), then ROUNDS measured rounds in
# turn; the table of medians [min-max] and ratios goes to stdout and to
# BUILD/bench/results.md, the raw numbers to BUILD/bench/results.tsv.
# Usage: run-bench.sh BUILD_DIR [quick]     (ROUNDS=N to change the rounds, 5 by default)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "$1" && pwd)
quick=${2:-}
rounds=${ROUNDS:-5}
[ "$rounds" -ge 1 ] || { echo "bench: ROUNDS must be at least 1" >&2; exit 2; }
bench="$build/bench"
rig="$build/wine-bench"
results="$bench/results.tsv"
report="$bench/results.md"
if [ -n "$quick" ] && [ "$quick" != 0 ]; then sizes="1 64"; else sizes="1 64 512"; fi
files="Nim2Alph.exe tour.kvr calm.mid nimbet2.mid Notes.doc options.exe Unsetup.exe Unsetup.bat"

command -v makensis >/dev/null || { echo "bench: makensis is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
for exe in "$build/setup.exe" "$bench/floor-dialog.exe" "$bench/floor-copier.exe" "$bench/bench-timer.exe"; do
    [ -f "$exe" ] || { echo "bench: $exe is not built" >&2; exit 1; }
done

began=$(date +%s)
load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
holder=""
stop_rig() {
    [ -z "$holder" ] || kill "$holder" 2>/dev/null || true
    "$root/scripts/wine-rig.sh" stop "$rig"
}
"$root/scripts/wine-rig.sh" start "$rig"
trap stop_rig EXIT
. "$rig/env"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
target="$WINEPREFIX/drive_c/Nimbet 2 Alpha"
target_win='c:\Nimbet 2 Alpha'
timer=$(winpath "$bench/bench-timer.exe")

# Every program starts from the same state: no install directory, no Start menu
# group, no SETUP.INI, nothing of an earlier run left to write back to disk.
clean() {
    rm -rf "$target" "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Nimbet\ 2\ Alpha
    rm -f "$WINEPREFIX"/drive_c/windows/[Ss][Ee][Tt][Uu][Pp].[Ii][Nn][Ii]
    sync
}

# One timed program: the timer's line of name=value pairs.
timed() {
    line=$(wine "$timer" "$@" </dev/null) || { echo "bench: timing failed: $*" >&2; exit 1; }
    echo "$line"
}
field() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
record() { printf '%s\t%s\t%s\n' "$size" "$1" "$2" >>"$results"; }

# The installed files must be the payload's, byte for byte.
check_installed() {
    for name in $files; do
        cmp -s "$payload/$name" "$target/$name" || { echo "bench: $1 did not install $name" >&2; exit 1; }
    done
}

run_floor_dialog() {
    clean
    out=$(timed dialog "$(winpath "$bench/floor-dialog.exe")")
    [ "$1" = measure ] || return 0
    record floor.start "$(field start_ms "$out")"
    record floor.peak "$(field peak_kb "$out")"
}

run_setup() {
    clean
    out=$(timed setup "$(winpath "$payload/setup.exe")")
    if [ "$1" = check ]; then check_installed setup.exe; return 0; fi
    record setup.start "$(field start_ms "$out")"
    record setup.install "$(field install_ms "$out")"
    record setup.peak "$(field peak_kb "$out")"
}

run_copier() {
    clean
    mkdir -p "$target"
    sync
    out=$(timed run "$(winpath "$payload/floor-copier.exe")" "$target_win")
    [ "$(field exit "$out")" = 0 ] || { echo "bench: the bare copier failed: $out" >&2; exit 1; }
    if [ "$1" = check ]; then check_installed floor-copier.exe; return 0; fi
    record copier.copy "$(awk -v us="$(field out "$out")" 'BEGIN { printf "%.3f", us / 1000 }')"
    record copier.wall "$(field wall_ms "$out")"
}

run_nsis() {
    clean
    out=$(timed run "$(winpath "$nsis")" /S)
    [ "$(field exit "$out")" = 0 ] || { echo "bench: the NSIS installer failed: $out" >&2; exit 1; }
    if [ "$1" = check ]; then check_installed "the NSIS installer"; return 0; fi
    record nsis.wall "$(field wall_ms "$out")"
}

: >"$results"
# Wine ends its desktop process a moment after the last program that used it;
# holding it for the whole run keeps its restarts out of every measurement.
wine "$timer" hold </dev/null >/dev/null 2>&1 &
holder=$!
clock=$(timed clock)
for size in $sizes; do
    payload="$bench/payload-${size}M"
    nsis="$bench/nsis-${size}M.exe"
    echo "bench: payload of $size MiB"
    sh "$here/make-payload.sh" "$payload" $((size * 1024 * 1024))
    cp "$build/setup.exe" "$bench/floor-copier.exe" "$payload/"
    makensis -V1 -DPAYLOAD="$payload" -DOUTFILE="$nsis" "$here/nimbet.nsi"
    payload_bytes=$(for name in $files; do wc -c <"$payload/$name"; done | awk '{ s += $1 } END { print s }')
    record payload.bytes "$payload_bytes"
    record nsis.overhead $(($(wc -c <"$nsis") - payload_bytes))

    run_floor_dialog check
    run_setup check
    run_copier check
    run_nsis check
    round=1
    while [ $round -le "$rounds" ]; do
        run_floor_dialog measure
        run_setup measure
        run_copier measure
        run_nsis measure
        round=$((round + 1))
    done
done
clean

# The table: medians with [min-max] over the rounds, and the ratios of medians.
{
    echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC'), $rounds rounds per payload, $(($(date +%s) - began)) s."
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)," \
        "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(wine --version)."
    echo "Load average (1, 5, 15 min): $load_before at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end."
    echo "Timer: QueryPerformanceCounter at $(field frequency_hz "$clock") Hz; waits poll every $(field poll_ms "$clock") ms (Sleep(1))."
    echo
    awk -F '\t' -v setup_bytes="$(wc -c <"$build/setup.exe")" \
        -v dialog_bytes="$(wc -c <"$bench/floor-dialog.exe")" \
        -v copier_bytes="$(wc -c <"$bench/floor-copier.exe")" '
        { n = ++count[$1 SUBSEP $2]; value[$1 SUBSEP $2 SUBSEP n] = $3; if (!($1 in seen)) { seen[$1] = 1; order[++sizes] = $1 } }
        function sorted(key,   n, i, j, t) {
            n = count[key]
            for (i = 1; i <= n; i++) v[i] = value[key SUBSEP i] + 0
            for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
            return n
        }
        function median(key,   n) { n = sorted(key); return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
        function spread(key, digits,   n, m) {
            n = sorted(key); m = median(key)
            return sprintf("%." digits "f [%." digits "f-%." digits "f]", m, v[1], v[n])
        }
        END {
            printf "| payload | measure | setup.exe | reference | ratio | target |\n"
            printf "|---|---|---|---|---|---|\n"
            printf "| - | file size (bytes) | %d | bare dialog %d, bare copier %d | %.3f | setup.exe <= 12288 bytes |\n",
                setup_bytes, dialog_bytes, copier_bytes, setup_bytes / dialog_bytes
            for (s = 1; s <= sizes; s++) {
                save = order[s]
                mib = sprintf("%.0f MiB", median(save SUBSEP "payload.bytes") / 1048576)
                printf "| %s | NSIS stub overhead (exe - payload, bytes) | - | %d | - | - |\n", mib, median(save SUBSEP "nsis.overhead")
                printf "| %s | start to dialog visible (ms) | %s | bare dialog %s | %.3f | <= 1.10 |\n", mib,
                    spread(save SUBSEP "setup.start", 1), spread(save SUBSEP "floor.start", 1),
                    median(save SUBSEP "setup.start") / median(save SUBSEP "floor.start")
                install = median(save SUBSEP "setup.install"); copy = median(save SUBSEP "copier.copy")
                printf "| %s | install: Continue to completion text (ms) | %s | bare copier copy loop %s | %.3f | <= 1.05x + 20 ms: %s (limit %.1f) |\n", mib,
                    spread(save SUBSEP "setup.install", 1), spread(save SUBSEP "copier.copy", 1), install / copy,
                    install <= 1.05 * copy + 20 ? "met" : "missed", 1.05 * copy + 20
                printf "| %s | install vs bare copier start to exit (ms) | %s | %s | %.3f | - |\n", mib,
                    spread(save SUBSEP "setup.install", 1), spread(save SUBSEP "copier.wall", 1),
                    install / median(save SUBSEP "copier.wall")
                printf "| %s | install vs NSIS silent install, start to exit (ms) | %s | %s | %.3f | - |\n", mib,
                    spread(save SUBSEP "setup.install", 1), spread(save SUBSEP "nsis.wall", 1),
                    install / median(save SUBSEP "nsis.wall")
                printf "| %s | peak working set (KiB) | %s | bare dialog %s | %.3f | <= 1.05 |\n", mib,
                    spread(save SUBSEP "setup.peak", 0), spread(save SUBSEP "floor.peak", 0),
                    median(save SUBSEP "setup.peak") / median(save SUBSEP "floor.peak")
            }
        }' "$results"
} >"$report"
cat "$report"
echo "bench: raw numbers in $results, this table in $report"
