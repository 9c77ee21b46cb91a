# Writes the sample files the contents list names, each under
# stage/PRODUCT/SUBSET/, with content of its kind that reads like the real
# thing: manual pages, HTML, headers, configuration, scripts, SQL, message
# sources, pixmaps and binaries. The same list always gives the same bytes.
#
# Usage: LC_ALL=C awk -v stage=DIR -f sample_files.awk contents contents
# The list is read twice: the first pass collects every product's installed
# names for its files.lst. The directories must exist already.

BEGIN {
    PRODUCT["kps30"] = "Sample Product 3.0"
    PRODUCT["kdb12"] = "Sample Database 1.2"
    SUBJECTS = "The server|Each client|The print spooler|The administrator|This command|" \
        "The library|The configuration file|Every request|The converter|The daemon|" \
        "A query|The installer|The viewer|Each job"
    VERBS = "reads|writes|checks|updates|opens|locks|formats|records|sends|returns|" \
        "rebuilds|scans|caches|releases"
    OBJECTS = "the job queue|the printer list|the user table|the page buffer|its log file|" \
        "the current session|the default font|the index|the spool directory|a status code|" \
        "the transaction log|the message catalogue|the page layout|the lock file"
    TAILS = "before it starts.|when the lock is free.|after each page.|once a minute.|" \
        "on request.|unless -q is given.|as described below.|in the order given.|" \
        "for every open file.|without waiting.|at start-up.|when the user asks for it."
    seed = 4711
}

# A pseudo-random number below 65537; small enough that every step is exact.
function next_random() {
    seed = (seed * 75 + 74) % 65537
    return seed
}

function pick(choices,   count, parts) {
    count = split(choices, parts, "|")
    return parts[next_random() % count + 1]
}

function sentence() {
    return pick(SUBJECTS) " " pick(VERBS) " " pick(OBJECTS) " " pick(TAILS)
}

# count sentences, broken into lines of at most 72 characters.
function paragraph(count, prefix,   text, words, n, i, line) {
    text = sentence()
    for (i = 1; i < count; i++)
        text = text " " sentence()
    n = split(text, words, " ")
    line = prefix words[1]
    text = ""
    for (i = 2; i <= n; i++) {
        if (length(line) + 1 + length(words[i]) > 72) {
            text = text line "\n"
            line = prefix words[i]
        } else {
            line = line " " words[i]
        }
    }
    return text line "\n"
}

function paragraphs(count, prefix, separator,   text, i) {
    text = paragraph(3 + next_random() % 4, prefix)
    for (i = 1; i < count; i++)
        text = text separator paragraph(3 + next_random() % 4, prefix)
    return text
}

# The file's name without its extension (or a phrase without its article),
# as a C identifier.
function identifier(name) {
    sub(/\..*/, "", name)
    sub(/^(the|its|a) /, "", name)
    gsub(/[^A-Za-z0-9_]/, "_", name)
    return name
}

function text_file(name, product) {
    if (name == "version")
        return product " " PRODUCT[product] " 14-Mar-1996\n"
    return PRODUCT[product] ": " name "\n\n" paragraphs(3 + next_random() % 3, "", "\n")
}

function list_file(product) {
    return "# Files installed by " PRODUCT[product] ".\n" INSTALLED[product]
}

function man_file(name, product,   section, title, text) {
    section = name
    sub(/.*\./, "", section)
    title = name
    sub(/\.[0-9]$/, "", title)
    text = ".\\\" @(#)" name " 1.4 96/03/14 " PRODUCT[product] "\n"
    text = text ".TH " toupper(title) " " section " \"14 March 1996\" \"" PRODUCT[product] "\"\n"
    text = text ".SH NAME\n" title " \\- " pick(VERBS) " " pick(OBJECTS) "\n.SH SYNOPSIS\n"
    if (section == "3")
        text = text ".nf\n.B #include <" product ".h>\n.sp\n.BI \"int " title "(" product \
            "_handle *\" handle \", int \" flags );\n.fi\n"
    else if (section == "5")
        text = text ".B /opt/" product "/etc/" title "\n"
    else
        text = text ".B " title "\n[ \\fB\\-v\\fR ] [ \\fB\\-f\\fR \\fIfile\\fR ]\n"
    text = text ".SH DESCRIPTION\n" paragraphs(2 + next_random() % 3, "", ".PP\n")
    if (section == "1" || section == "8")
        text = text ".SH OPTIONS\n.TP\n.B \\-v\n" paragraph(1, "") ".TP\n.BI \\-f \" file\"\n" \
            paragraph(2, "")
    return text ".SH SEE ALSO\n.BR " product " (1)\n"
}

function html_file(name, product,   title) {
    title = PRODUCT[product] ": " identifier(name)
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n<html>\n<head>\n" \
        "<title>" title "</title>\n</head>\n<body>\n<h1>" title "</h1>\n<p>\n" \
        paragraphs(2 + next_random() % 4, "", "</p>\n<p>\n") \
        "</p>\n<p><a href=\"../index.html\">Contents</a></p>\n</body>\n</html>\n"
}

function header_file(name, product,   guard, text, i, count) {
    guard = toupper(identifier(name)) "_H"
    text = "/* " name ": " PRODUCT[product] " interface.\n * Copyright (c) 1996. */\n" \
        "#ifndef " guard "\n#define " guard "\n\ntypedef struct " identifier(name) "_handle " \
        identifier(name) "_handle;\n\n"
    count = 4 + next_random() % 8
    for (i = 1; i <= count; i++)
        text = text "/* " sentence() " */\nextern int " identifier(name) "_" \
            identifier(pick(VERBS)) i "(" identifier(name) "_handle *handle, int flags);\n"
    return text "\n#endif\n"
}

function c_file(name, product) {
    return "/* " name ": an example for " PRODUCT[product] ".\n" paragraph(2, " * ") " */\n" \
        "#include <stdio.h>\n#include <kps/kps.h>\n\nint main(int argc, char **argv)\n{\n" \
        "    kps_handle *handle = kps_open(argc > 1 ? argv[1] : \"default\", 0);\n\n" \
        "    if (handle == NULL) {\n        fprintf(stderr, \"%s: %s\\n\", argv[0], " \
        "kps_strerror(kps_error()));\n        return 1;\n    }\n" \
        "    kps_" identifier(name) "(handle, 0);\n    kps_close(handle);\n    return 0;\n}\n"
}

function makefile_file(dir, product,   example) {
    example = dir
    sub(/.*\//, "", example)
    return "# Makefile for the " example " example of " PRODUCT[product] ".\n" \
        "KPSHOME = /opt/" product "\nCFLAGS = -O -I$(KPSHOME)/include\n" \
        "LDLIBS = -L$(KPSHOME)/lib -lkps -lkcommon\n\n" \
        "all: " example "\n\n" example ": " example ".o\n\t$(CC) -o $@ " example ".o $(LDLIBS)\n\n" \
        "clean:\n\trm -f " example " *.o core\n"
}

function conf_file(name, product,   text, i, count) {
    text = "# " name ": settings of " PRODUCT[product] ".\n" paragraph(2, "# ") "\n"
    count = 6 + next_random() % 12
    for (i = 1; i <= count; i++)
        text = text identifier(pick(OBJECTS)) "_" i " = " next_random() % 1000 "\n"
    return text
}

function script_file(name, product) {
    return "#!/bin/sh\n# " name ": part of " PRODUCT[product] ".\n" paragraph(3, "# ") \
        "\nKPSHOME=${KPSHOME:-/opt/" product "}\n\ncase \"$1\" in\n" \
        "    -v) echo \"" name " " PRODUCT[product] "\" ;;\n" \
        "    \"\") exec \"$KPSHOME/bin/" product "\" -f \"$KPSHOME/etc/" product ".conf\" ;;\n" \
        "    *) echo \"usage: " name " [-v]\" >&2; exit 1 ;;\nesac\n"
}

function sql_file(name, product,   text, i, count, table) {
    table = identifier(name)
    text = "-- " name ": " PRODUCT[product] "\n" paragraph(2, "-- ") \
        "\nCREATE TABLE " table " (\n    id INTEGER NOT NULL PRIMARY KEY,\n" \
        "    name CHAR(40) NOT NULL,\n    updated DATE\n);\n\n"
    count = 5 + next_random() % 20
    for (i = 1; i <= count; i++)
        text = text "INSERT INTO " table " VALUES (" i ", '" identifier(pick(OBJECTS)) \
            "', '1996-03-" sprintf("%02d", 1 + i % 28) "');\n"
    return text
}

function msg_file(name, product,   text, i, count) {
    text = "$ " name ": messages of " PRODUCT[product] "\n$set 1\n"
    count = 20 + next_random() % 30
    for (i = 1; i <= count; i++)
        text = text i " \"" sentence() "\"\n"
    return text
}

function xpm_file(name,   text, row, column) {
    text = "/* XPM */\nstatic char *" identifier(name) "[] = {\n\"16 16 3 1\",\n" \
        "\"  c None\",\n\". c #000000\",\n\"X c #6080c0\",\n"
    for (row = 0; row < 16; row++) {
        text = text "\""
        for (column = 0; column < 16; column++)
            text = text substr(" .X", 1 + (row * column + next_random()) % 3, 1)
        text = text "\"" (row < 15 ? "," : "") "\n"
    }
    return text "};\n"
}

# An ELF-looking header, then bytes that do not compress much.
function write_binary(path,   size, i) {
    size = 2048 + (next_random() % 16) * 2048 + next_random() % 1000
    printf "%c%s%c%c%c", 127, "ELF", 1, 1, 1 > path
    for (i = 7; i < size; i++)
        printf "%c", next_random() % 256 > path
}

function write_file(kind, path, dir, name, product,   text) {
    if (kind == "binary") {
        write_binary(path)
        close(path)
        return
    }
    if (kind == "text") text = text_file(name, product)
    else if (kind == "list") text = list_file(product)
    else if (kind == "man") text = man_file(name, product)
    else if (kind == "html") text = html_file(name, product)
    else if (kind == "header") text = header_file(name, product)
    else if (kind == "c") text = c_file(name, product)
    else if (kind == "makefile") text = makefile_file(dir, product)
    else if (kind == "conf") text = conf_file(name, product)
    else if (kind == "script") text = script_file(name, product)
    else if (kind == "sql") text = sql_file(name, product)
    else if (kind == "msg") text = msg_file(name, product)
    else if (kind == "xpm") text = xpm_file(name)
    else {
        printf "sample_files.awk: line %d: unknown kind %s\n", FNR, kind > "/dev/stderr"
        failed = 1
        exit 1
    }
    printf "%s", text > path
    close(path)
}

/^[ \t]*(#|$)/ { next }

# First pass: the installed names of each product.
FNR == NR {
    for (i = 6; i <= NF; i++)
        INSTALLED[$1] = INSTALLED[$1] $5 "/" $i "\n"
    next
}

{
    for (i = 6; i <= NF; i++)
        write_file($3, stage "/" $1 "/" $2 "/" $5 "/" $i, $5, $i, $1)
}

END {
    if (failed)
        exit 1
}
