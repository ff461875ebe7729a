#!/usr/bin/env python3
"""Writes a program's --help text (a C++ header) and its man page from one source file.

The source (src/gui/hollin.help, sim/hollin-printer-sim.help, src/cli/hollinctl.help) holds:

    name: hollinctl
    summary: one line for the man page's NAME
    man-skip: Exit codes          (optional: help blocks the man page leaves out, comma separated)
    == help
    the --help text, exactly as the program prints it
    == DESCRIPTION
    man page sections, each in the same plain form as the help text
    == EXIT STATUS
    ...

Plain form: paragraphs separated by blank lines; a line "  ITEM   text" (two or more spaces between)
is an entry of a list, a more indented line under it continues the entry; a line "Heading:" in the help
text opens a section of the man page.

    make_help.py SOURCE --header OUT.h --variable kHelp --man OUT.1 --man-gz OUT.1.gz
"""
import argparse
import gzip
import re
import sys

ENTRY = re.compile(r"^( +)(\S.*?)(?: {2,}(\S.*))?$")


def parse_source(text):
    meta, sections, current = {}, [], None
    for line in text.split("\n"):
        if line.startswith("== "):
            current = [line[3:].strip(), []]
            sections.append(current)
        elif current is None:
            if line.strip() and not line.startswith("#"):
                key, _, value = line.partition(":")
                meta[key.strip()] = value.strip()
        else:
            current[1].append(line)
    bodies = [(name, "\n".join(lines).strip("\n")) for name, lines in sections]
    return meta, bodies


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    if text.startswith(".") or text.startswith("'"):
        text = "\\&" + text
    return text


def roff_block(lines):
    """Paragraphs and entries of the plain form as roff."""
    out, entry_indent, paragraph = [], None, []

    def flush():
        if paragraph:
            out.append(".PP")
            out.extend(roff(p) for p in paragraph)
            paragraph.clear()

    for line in lines:
        if not line.strip():
            flush()
            entry_indent = None
            continue
        m = ENTRY.match(line)
        if m and entry_indent is not None and len(m.group(1)) > entry_indent:
            out.append(roff(line.strip()))  # continues the entry above
            continue
        if m:
            flush()
            entry_indent = len(m.group(1))
            out.append(".TP")
            out.append(".B " + roff(m.group(2)))
            if m.group(3):
                out.append(roff(m.group(3)))
            continue
        entry_indent = None
        paragraph.append(line.strip())
    flush()
    return out


def help_blocks(help_text):
    """The usage lines, then (heading, lines) for every 'Heading:' block of the help text."""
    usage, blocks, current = [], [], None
    for line in help_text.split("\n"):
        if re.match(r"^[A-Z][A-Za-z ]*:$", line):
            current = (line[:-1], [])
            blocks.append(current)
        elif current is None:
            usage.append(line)
        else:
            current[1].append(line)
    return usage, blocks


def man_page(meta, sections):
    name = meta["name"]
    help_text = dict(sections)["help"]
    usage, blocks = help_blocks(help_text)
    skip = {s.strip() for s in meta.get("man-skip", "").split(",") if s.strip()}
    out = ['.TH %s 1 "" "Hollin" "User Commands"' % roff(name.upper()),
           ".SH NAME", "%s \\- %s" % (roff(name), roff(meta["summary"])), ".SH SYNOPSIS", ".nf"]
    # Each form of the command starts with its name; other lines continue the form above.
    synopsis = [re.sub(r"^usage: ", "", line).strip() for line in usage if line.strip()]
    synopsis = [line if line.startswith(name + " ") or line == name else "    " + line for line in synopsis]
    out.extend(roff(line) for line in synopsis)
    out.append(".fi")
    man_sections = [(n, body) for n, body in sections if n != "help"]
    for title, body in man_sections[:1]:
        out.append(".SH " + roff(title))
        out.extend(roff_block(body.split("\n")))
    for heading, lines in blocks:
        if heading in skip:
            continue
        out.append(".SH " + roff(heading.upper()))
        out.extend(roff_block(lines))
    for title, body in man_sections[1:]:
        out.append(".SH " + roff(title))
        out.extend(roff_block(body.split("\n")))
    return "\n".join(out) + "\n"


def header(meta, sections, variable):
    help_text = dict(sections)["help"] + "\n"
    if ')help"' in help_text:
        sys.exit("make_help.py: the help text may not contain )help\"")
    return ("// Written by scripts/make_help.py from %s's help source; edit that, not this.\n"
            "#pragma once\n\n#include <string_view>\n\n"
            "inline constexpr std::string_view %s = R\"help(%s)help\";\n") % (meta["name"], variable, help_text)


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("--header")
    parser.add_argument("--variable", default="kHelpText")
    parser.add_argument("--man")
    parser.add_argument("--man-gz", help="the man page compressed as the package wants it (no time stamp)")
    args = parser.parse_args()
    with open(args.source, encoding="utf-8") as f:
        meta, sections = parse_source(f.read())
    if "help" not in dict(sections) or "name" not in meta or "summary" not in meta:
        sys.exit("make_help.py: %s needs name:, summary: and a '== help' section" % args.source)
    if args.header:
        write_if_changed(args.header, header(meta, sections, args.variable))
    if args.man:
        write_if_changed(args.man, man_page(meta, sections))
    if args.man_gz:
        with open(args.man_gz, "wb") as f:
            f.write(gzip.compress(man_page(meta, sections).encode("utf-8"), compresslevel=9, mtime=0))


if __name__ == "__main__":
    main()
