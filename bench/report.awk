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

# Sorts the values of a measure into v[1..n]; returns n.
function sorted(size, name,   key, n, i, j, t) {
    key = size SUBSEP name
    n = count[key]
    for (i = 1; i <= n; i++) v[i] = value[key, i]
    for (i = 2; i <= n; i++)
        for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n
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

END {
    print "| measure | payload | setup.exe | floor | ratio | target | |"
    print "|---|---|---|---|---|---|---|"
    printf "| file size (bytes) | - | %d | bare dialog %d (no manifest %d) | %.2f | <= 15360 bytes | %s |\n",
        setup_bytes, dialog_bytes, plain_bytes, setup_bytes / dialog_bytes, verdict(setup_bytes <= 15360)
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

    print ""
    print "| the same job, start to exit (ms) | payload | setup.exe /S | bare copier | NSIS /S | setup / NSIS | NSIS stub overhead (exe - payload, bytes) |"
    print "|---|---|---|---|---|---|---|"
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        printf "| | %s | %s | %s | %s | %.3f | %d |\n", label(size), spread(size, "setup.silent", 1),
            spread(size, "copier.wall", 1), spread(size, "nsis.wall", 1),
            median(size, "setup.silent") / median(size, "nsis.wall"), median(size, "nsis.overhead")
    }

    print ""
    print "| the digest table's cost | payload | with the table | without | ratio | target | |"
    print "|---|---|---|---|---|---|---|"
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        r = median(size, "setup-verified.silent") / median(size, "setup.silent")
        printf "| setup.exe /S, start to exit (ms) | %s | %s | %s | %.3f | %s | %s |\n", label(size),
            spread(size, "setup-verified.silent", 1), spread(size, "setup.silent", 1), r,
            size == order[1] ? "<= 1.05" : "-", size == order[1] ? verdict(r <= 1.05) : ""
    }
    for (s = 1; s <= sizes; s++) {
        size = order[s]
        if (!count[size, "digest.setup_ms"]) continue
        mine = 64 / median(size, "digest.setup_ms") * 1000
        theirs = 64 / median(size, "digest.openssl_ms") * 1000
        printf "| BLAKE2s-256 of one 64 MiB file (MiB/s) | - | setup's %.1f (%s ms) | openssl dgst %.1f (%s ms) | %.3f | >= 0.50 | %s |\n",
            mine, spread(size, "digest.setup_ms", 1), theirs, spread(size, "digest.openssl_ms", 1), mine / theirs,
            verdict(mine / theirs >= 0.5)
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
