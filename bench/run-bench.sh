#!/bin/sh
# The benchmark: setup.exe against its floors (a bare dialog program with the
# setup's manifest and one without, a bare copier) and a peer (an NSIS installer doing the same job), all in one run on
# one private Wine prefix and display. For each payload size every program runs
# once unmeasured (and its result is checked), then ROUNDS measured rounds in
# turn, each with STARTS starts of the three dialog programs; the table of medians
# [min-max] and ratios goes to stdout and to BUILD/bench/results.md, the raw
# numbers to BUILD/bench/results.tsv.
# Usage: run-bench.sh BUILD_DIR [quick]     (ROUNDS=5 and STARTS=4 by default)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=$(cd "$1" && pwd)
quick=${2:-}
rounds=${ROUNDS:-5}
starts=${STARTS:-4}
[ "$rounds" -ge 1 ] && [ "$starts" -ge 1 ] || { echo "bench: ROUNDS and STARTS must be at least 1" >&2; exit 2; }
bench="$build/bench"
rig="$build/wine-bench"
results="$bench/results.tsv"
report="$bench/results.md"
if [ -n "$quick" ] && [ "$quick" != 0 ]; then sizes="1 64"; else sizes="1 64 512"; fi
files="Nim2Alph.exe tour.kvr calm.mid nimbet2.mid Notes.doc options.exe Unsetup.exe Unsetup.bat"

command -v makensis >/dev/null || { echo "bench: makensis is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
for exe in "$build/setup.exe" "$bench/floor-dialog.exe" "$bench/floor-dialog-plain.exe" "$bench/floor-copier.exe" \
    "$bench/bench-timer.exe" "$bench/bench-digest.exe"; do
    [ -f "$exe" ] || { echo "bench: $exe is not built" >&2; exit 1; }
done

began=$(date +%s)
load_before=$(cut -d ' ' -f 1-3 /proc/loadavg)
cpu_before=$(head -n 1 /proc/stat)
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
    lines=$(wine "$timer" "$@" </dev/null) || { echo "bench: timing failed: $*" >&2; exit 1; }
    echo "$lines"
}
field() { echo "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
record() { printf '%s\t%s\t%s\n' "$size" "$1" "$2" >>"$results"; }

# The installed files must be the payload's, byte for byte.
check_installed() {
    for name in $files; do
        cmp -s "$payload/$name" "$target/$name" || { echo "bench: $1 did not install $name" >&2; exit 1; }
    done
}

# Starts of the two bare dialog programs and of setup.exe, in turn, from the same folder.
run_starts() {
    clean
    out=$(timed starts "$1" "$(winpath "$payload/floor-dialog.exe")" "$(winpath "$payload/floor-dialog-plain.exe")" \
        "$(winpath "$payload/setup.exe")")
    [ "$2" = measure ] || return 0
    echo "$out" | while read -r line; do
        case $(field program "$line") in
        1) record floor.start "$(field start_ms "$line")"; record floor.peak "$(field peak_kb "$line")" ;;
        2) record plain.start "$(field start_ms "$line")"; record plain.peak "$(field peak_kb "$line")" ;;
        3) record setup.start "$(field start_ms "$line")"; record setup.start_peak "$(field peak_kb "$line")" ;;
        esac
    done
}

run_setup() {
    clean
    out=$(timed setup "$(winpath "$payload/setup.exe")")
    if [ "$1" = check ]; then check_installed setup.exe; return 0; fi
    record setup.install "$(field install_ms "$out")"
    record setup.peak "$(field peak_kb "$out")"
}

# setup.exe /S from start to exit, as NSIS's /S is timed: a copy with the table
# of the payload beside it (scripts/stamp-digests.pl), as every release is made,
# which verifies each file as it copies it, and the build's setup.exe, which has
# no table.
run_silent() {
    for program in setup setup-verified; do
        clean
        out=$(timed run "$(winpath "$payload/$program.exe")" /S)
        [ "$(field exit "$out")" = 0 ] || { echo "bench: $program.exe /S failed: $out" >&2; exit 1; }
        if [ "$1" = check ]; then check_installed "$program.exe /S"; continue; fi
        record "$program.silent" "$(field wall_ms "$out")"
    done
}

# The setup's digest (bench-digest.exe, timed inside its process) and OpenSSL's
# (start to exit, on the host) over the same 64 MiB file; both must agree.
run_digest() {
    [ "$size" = 64 ] || return 0
    out=$(wine "$bench/bench-digest.exe" "$(winpath "$digest_file")" </dev/null | tr -d '\r')
    began_ns=$(date +%s%N)
    theirs=$(openssl dgst -blake2s256 -r "$digest_file" | cut -d ' ' -f 1)
    ended_ns=$(date +%s%N)
    [ "$(field digest "$out")" = "$theirs" ] || { echo "bench: the digests differ: $out, openssl $theirs" >&2; exit 1; }
    [ "$1" = measure ] || return 0
    record digest.setup_ms "$(field digest_ms "$out")"
    record digest.openssl_ms "$(awk -v ns=$((ended_ns - began_ns)) 'BEGIN { printf "%.3f", ns / 1e6 }')"
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

# The install run's steps timed inside one process (bench-steps.cpp).
run_steps() {
    clean
    out=$(cd "$payload" && wine bench-steps.exe </dev/null) || { echo "bench: bench-steps failed" >&2; exit 1; }
    [ "$1" = measure ] || return 0
    for pair in $out; do
        record "steps.${pair%%=*}" "${pair#*=}"
    done
    # Everything of the run but the copy: the work that does not grow with the payload.
    record steps.fixed_ms "$(echo "$out" | tr ' ' '\n' | awk -F = '
        $1 ~ /^(space|status|directory|repaint|startmenu|registry|page)_ms$/ { sum += $2 }
        END { printf "%.3f", sum }')"
    # The platform calls of the Start menu links, one by one (bench-links.cpp).
    out=$(cd "$payload" && wine bench-links.exe </dev/null) || { echo "bench: bench-links failed" >&2; exit 1; }
    for pair in $out; do
        record "links.${pair%%=*}" "${pair#*=}"
    done
}

# The DLLs that setup.exe's process holds beyond the bare dialog program's, and
# those that the manifest brings into the bare dialog's.
list_extra_modules() {
    for program in floor-dialog floor-dialog-plain setup; do
        # Wine's console output ends its lines with CR LF.
        timed modules 3 "$(winpath "$payload/$program.exe")" | tr -d '\r' | grep -v "^$program.exe\$" |
            sort -u >"$bench/modules-$program.txt"
    done
    extra=$(comm -13 "$bench/modules-floor-dialog.txt" "$bench/modules-setup.txt" | tr '\n' ' ' | sed 's/ $//')
    manifest_extra=$(comm -13 "$bench/modules-floor-dialog-plain.txt" "$bench/modules-floor-dialog.txt" | tr '\n' ' ' | sed 's/ $//')
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
digest_file="$bench/digest-64M.bin"
[ -f "$digest_file" ] || head -c 67108864 /dev/urandom >"$digest_file"
for size in $sizes; do
    payload="$bench/payload-${size}M"
    nsis="$bench/nsis-${size}M.exe"
    echo "bench: payload of $size MiB"
    sh "$here/make-payload.sh" "$payload" $((size * 1024 * 1024))
    cp "$build/setup.exe" "$bench/floor-dialog.exe" "$bench/floor-dialog-plain.exe" "$bench/floor-copier.exe" \
        "$bench/bench-steps.exe" "$bench/bench-links.exe" "$payload/"
    cp "$build/setup.exe" "$payload/setup-verified.exe"
    mkdir -p "$payload/stamp" && mv "$payload/setup-verified.exe" "$payload/stamp/setup.exe"
    for name in $files; do ln -f "$payload/$name" "$payload/stamp/$name"; done
    perl "$root/scripts/stamp-digests.pl" "$payload/stamp" >/dev/null
    mv "$payload/stamp/setup.exe" "$payload/setup-verified.exe" && rm -rf "$payload/stamp"
    makensis -V1 -DPAYLOAD="$payload" -DOUTFILE="$nsis" "$here/nimbet.nsi"
    payload_bytes=$(for name in $files; do wc -c <"$payload/$name"; done | awk '{ s += $1 } END { print s }')
    record payload.bytes "$payload_bytes"
    record nsis.overhead $(($(wc -c <"$nsis") - payload_bytes))

    run_starts 1 check
    run_setup check
    run_silent check
    run_digest check
    run_copier check
    run_nsis check
    run_steps check
    [ -n "${extra+set}" ] || list_extra_modules
    round=1
    while [ $round -le "$rounds" ]; do
        run_starts "$starts" measure
        run_setup measure
        run_silent measure
        run_digest measure
        run_copier measure
        run_nsis measure
        run_steps measure
        round=$((round + 1))
    done
done
clean

# The tables: medians with [min-max] over the rounds, and the ratios of medians.
{
    echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC'), $rounds rounds per payload ($((rounds * starts)) starts of each dialog program), $(($(date +%s) - began)) s."
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)," \
        "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(wine --version)."
    echo "Load average (1, 5, 15 min): $load_before at the start, $(cut -d ' ' -f 1-3 /proc/loadavg) at the end;" \
        "CPU time stolen by the hypervisor during the run: $(printf '%s\n%s\n' "$cpu_before" "$(head -n 1 /proc/stat)" | awk '
            { total[NR] = 0; for (i = 2; i <= NF; i++) total[NR] += $i; steal[NR] = $9 }
            END { printf "%.0f%%", 100 * (steal[2] - steal[1]) / (total[2] - total[1]) }')."
    echo "Timer: QueryPerformanceCounter at $(field frequency_hz "$clock") Hz; waits poll every $(field poll_ms "$clock") ms (Sleep(1))."
    echo
    echo "DLLs in setup.exe's process that the bare dialog program's has not: ${extra:-none}."
    echo "DLLs that the manifest brings into the bare dialog program's process: ${manifest_extra:-none}."
    echo
    awk -F '\t' -v setup_bytes="$(wc -c <"$build/setup.exe")" -v dialog_bytes="$(wc -c <"$bench/floor-dialog.exe")" \
        -v plain_bytes="$(wc -c <"$bench/floor-dialog-plain.exe")" -f "$here/report.awk" "$results"
} >"$report"
cat "$report"
echo "bench: raw numbers in $results, this table in $report"
