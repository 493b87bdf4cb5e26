# Turns the benchmark's raw numbers (payload MiB, measure, value: one a line,
# tab-separated) into the tables of docs/benchmarks.md: medians with [min-max]
# over the rounds, ratios of medians, and each target met or missed.
# awk -F "\t" -v setup_bytes=N -v dialog_bytes=N -v plain_bytes=N -f report.awk results.tsv
{
    key = $1 SUBSEP $2
    n = ++count[key]
    value[key, n] = $3 + 0
    if (!($1 in seen)) {
        seen[$1] = 1
        order[++sizes] = $1
    }
}

# Sorts v[1..n] in place.
function sort_values(n,   i, j, t) {
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
}

# Sorts the values of a measure into v[1..n]; returns n.
function sorted(size, name,   key, n, i) {
    key = size SUBSEP name
    n = count[key]
    for (i = 1; i <= n; i++) v[i] = value[key, i]
    sort_values(n)
    return n
}

# Sorts into v[1..n] each round's ratio of two measures, mine / theirs (the values are
# recorded a round at a time, so the i-th of each is round i's); returns n.
function sorted_ratios(size, mine, theirs,   n, i) {
    n = count[size SUBSEP mine]
    for (i = 1; i <= n; i++) v[i] = value[size, mine, i] / value[size, theirs, i]
    sort_values(n)
    return n
}

# "median [min-max]" of the rounds' ratios of mine to theirs; the median is left in ratio_median.
function round_ratios(size, mine, theirs,   n) {
    n = sorted_ratios(size, mine, theirs)
    if (n == 0) { ratio_median = 0; return "-" }
    ratio_median = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    return sprintf("%.3f [%.3f-%.3f]", ratio_median, v[1], v[n])
}

function median(size, name,   n) {
    n = sorted(size, name)
    if (n == 0) return 0
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}

# "median [min-max]" with the given decimals.
function spread(size, name, digits,   n, m, f) {
    m = median(size, name)
    n = sorted(size, name)
    if (n == 0) return "-"
    f = "%." digits "f"
    return sprintf(f " [" f "-" f "]", m, v[1], v[n])
}

function verdict(ok) { return ok ? "met" : "**missed**" }

function label(size) { return sprintf("%.0f MiB", median(size, "payload.bytes") / 1048576) }

# A measure of setup.exe against the same measure of one floor, with the ratio of
# medians held to limit; a row for each bare dialog, with its manifest and without.
function floor_row(title, size, mine, floor, name, digits, limit,   r) {
    r = median(size, mine) / median(size, floor)
    printf "| %s | %s | %s | %s %s | %.3f | <= %.2f | %s |\n", title, label(size), spread(size, mine, digits),
        name, spread(size, floor, digits), r, limit, verdict(r <= limit)
}

function dialog_rows(title, size, mine, floor, digits, limit) {
    floor_row(title, size, mine, "floor." floor, "bare dialog", digits, limit)
    floor_row(title, size, mine, "plain." floor, "bare dialog, no manifest", digits, limit)
}

# A table of timed steps, a column a payload: rows is "key:label|key:label|...",
# each key read as prefix key from the results.
function steps_table(title, prefix, rows,    header, rule, row, part, line, i, s) {
    header = "| " title " |"
    rule = "|---|"
    for (s = 1; s <= sizes; s++) { header = header " " label(order[s]) " |"; rule = rule "---|" }
    print header
    print rule
    split(rows, row, "|")
    for (i = 1; i in row; i++) {
        split(row[i], part, ":")
        line = "| " part[2] " |"
        for (s = 1; s <= sizes; s++) line = line " " spread(order[s], prefix part[1], 1) " |"
        print line
    }
}

# The targets of the same job, as released: against NSIS's /S at 64 MiB, against the unverified
# /S at 1 and 64 MiB; 0 where there is none.
function job_limit(theirs, size) {
    if (theirs == "nsis.wall") return label(size) == "64 MiB" ? 1.0 : 0
    return label(size) == "1 MiB" ? 1.05 : label(size) == "64 MiB" ? 1.5 : 0
}

function job_ratio_row(title, size, mine, theirs,   r, limit) {
    r = round_ratios(size, mine, theirs)
    limit = mine == "setup-verified.silent" ? job_limit(theirs, size) : 0
    printf "| %s | %s | %s | %s | %s |\n", title, label(size), r, limit ? sprintf("<= %.2f", limit) : "-",
        limit ? verdict(ratio_median <= limit) : ""
}

# The release's speed in one line: the verified /S against NSIS's and the unverified /S at every
# payload, and the digest against OpenSSL's.
function summary_line(   s, size, line, nsis, digest) {
    line = "Summary (medians of the rounds' ratios): setup.exe /S as released, verified, against NSIS's /S" \
        " and against setup.exe /S without a table:"
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        round_ratios(size, "setup-verified.silent", "nsis.wall")
        nsis = ratio_median
        round_ratios(size, "setup-verified.silent", "setup.silent")
        line = line sprintf("%s %s %.2f x and %.2f x", s > 1 ? ";" : "", label(size), nsis, ratio_median)
        if (count[size, "digest.setup_ms"]) {
            round_ratios(size, "digest.openssl_ms", "digest.setup_ms")
            digest = ratio_median
        }
    }
    print line sprintf(". The digest: %.2f x OpenSSL's throughput.", digest)
}

END {
    summary_line()
    print ""
    print "| measure | payload | setup.exe | floor | ratio | target | |"
    print "|---|---|---|---|---|---|---|"
    printf "| file size (bytes) | - | %d | bare dialog %d (no manifest %d) | %.2f | <= 28672 bytes | %s |\n",
        setup_bytes, dialog_bytes, plain_bytes, setup_bytes / dialog_bytes, verdict(setup_bytes <= 28672)
    for (s = 1; s <= sizes; s++)
        dialog_rows("start to dialog visible (ms)", order[s], "setup.start", "start", 1, 1.10)
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        install = median(size, "setup.install")
        copy = median(size, "copier.copy")
        printf "| install: Continue to completion text (ms) | %s | %s | bare copier's copy %s | %.3f | <= 1.05 x + 20 = %.1f | %s |\n",
            label(size), spread(size, "setup.install", 1), spread(size, "copier.copy", 1), install / copy,
            1.05 * copy + 20, verdict(install <= 1.05 * copy + 20)
    }
    for (s = 1; s <= sizes; s++)
        dialog_rows("peak working set, input page closed (KiB)", order[s], "setup.start_peak", "peak", 0, 1.05)
    for (s = 1; s <= sizes; s++)
        dialog_rows("peak working set, after the install (KiB)", order[s], "setup.peak", "peak", 0, 1.05)

    # The digest's time over each payload, from its time over the 64 MiB file.
    for (s = 1; s <= sizes; s++)
        if (count[order[s], "digest.setup_ms"]) digest_ms_per_mib = median(order[s], "digest.setup_ms") / 64

    print ""
    print "| the same job, start to exit (ms) | payload | setup.exe /S as released (verified) | setup.exe /S without a table | bare copier | floor: bare copier + the digest over the payload | NSIS /S | NSIS stub overhead (exe - payload, bytes) |"
    print "|---|---|---|---|---|---|---|---|"
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        printf "| | %s | %s | %s | %s | %.1f | %s | %d |\n", label(size), spread(size, "setup-verified.silent", 1),
            spread(size, "setup.silent", 1), spread(size, "copier.wall", 1),
            median(size, "copier.wall") + digest_ms_per_mib * median(size, "payload.bytes") / 1048576,
            spread(size, "nsis.wall", 1), median(size, "nsis.overhead")
    }

    print ""
    print "| the same job, each round's ratio | payload | median [min-max] | target | |"
    print "|---|---|---|---|---|"
    for (s = 1; s <= sizes; s++) {
        job_ratio_row("setup.exe /S as released against NSIS /S", order[s], "setup-verified.silent", "nsis.wall")
        job_ratio_row("setup.exe /S as released against without a table", order[s], "setup-verified.silent",
            "setup.silent")
        job_ratio_row("setup.exe /S without a table against NSIS /S", order[s], "setup.silent", "nsis.wall")
    }
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        if (!count[size, "digest.setup_ms"]) continue
        r = round_ratios(size, "digest.openssl_ms", "digest.setup_ms")
        printf "| BLAKE2s-256 of one 64 MiB file, the setup's throughput against openssl dgst's | - | %s | >= 0.60 | %s |\n",
            r, verdict(ratio_median >= 0.6)
        printf "| (the setup's %.1f MiB/s: %s ms inside its process; openssl dgst %s ms, start to exit) | | | | |\n",
            64000 / median(size, "digest.setup_ms"), spread(size, "digest.setup_ms", 1),
            spread(size, "digest.openssl_ms", 1)
    }

    print ""
    steps_table("inside the install run, in one process (ms)", "steps.",
        "run_ms:whole run (Continue to completion page)|bare_copy_ms:bare CopyFileA loop of the same files|" \
        "copy_ms:CopyProductFiles (copy, status line, attributes)|space_ms:CheckDiskSpace|" \
        "status_ms:status line, buttons disabled, wait cursor|directory_ms:CreateInstallDirectory|" \
        "repaint_ms:UpdateWindow before the copy|startmenu_ms:CreateStartMenuGroup|" \
        "converter_ms:of which WinExec(\"grpconv -o\") alone|registry_ms:status line cleared, WriteRegistryEntries|" \
        "page_ms:switch to the completion page|fixed_ms:**all steps but the copy (fixed work)**")

    print ""
    steps_table("the Start menu links' platform calls, one by one (ms)", "links.",
        "load_shell32_ms:LoadLibraryA(SHELL32) and its calls|load_ole32_ms:LoadLibraryA(OLE32) and its calls|" \
        "programs_folder_ms:Programs folder found, group folder created|coinitialize_ms:CoInitialize|" \
        "four_links_ms:four links made and saved (IShellLinkA, IPersistFile Save)|" \
        "couninitialize_ms:CoUninitialize|changenotify_ms:SHChangeNotify")
}
