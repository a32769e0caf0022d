#!/usr/bin/env python3
"""Where the bytes of a Windows program go, read from the GNU ld map of its link.

    map-contributors.py MAP [--top N] [--why TEXT]...

Prints the N largest contributors (object files and static library members) by the bytes they
put into .text, .data and .rdata, biggest first, then the same per library. The unwind tables
(.eh_frame of 32-bit programs, .pdata and .xdata of 64-bit ones) are shown beside them: they
are part of the file but not of the ranking.
--why TEXT prints, for every library member whose name holds TEXT, the chain of references
that made the linker take it, down to the object that started it.

Objects of a link-time optimised program appear as its partitions (lto:ltransN); their bytes
are no longer told apart by source file.
"""

import argparse
import collections
import os
import re
import signal
import sys

# Output sections counted, and the column each one goes to.
COLUMNS = {
    ".text": "text",
    ".data": "data",
    ".rdata": "rdata",
    ".eh_frame": "unwind",
    ".pdata": "unwind",
    ".xdata": "unwind",
}
RANKED = ("text", "data", "rdata")

INPUT_ON_ONE_LINE = re.compile(r"^ (\S+)\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)(?:\s+(.*))?$")
INPUT_NAME_ONLY = re.compile(r"^ (\S+)$")
INPUT_CONTINUED = re.compile(r"^\s+0x([0-9a-fA-F]+)\s+0x([0-9a-fA-F]+)(?:\s+(.*))?$")
OUTPUT_SECTION = re.compile(r"^(\S+)(?:\s+0x[0-9a-fA-F]+\s+0x[0-9a-fA-F]+)?\s*$")
ARCHIVE_MEMBER = re.compile(r"^(.*\.a)\((.*)\)$")
LTO_OBJECT = re.compile(r"\.(ltrans\d+)\.ltrans\.o$")


def fail(message):
    sys.stderr.write(f"map-contributors: {message}\n")
    sys.exit(1)


def short_name(path):
    """libX.a(member.o) for library members, the file name for objects."""
    if not path:
        return "(linker)"
    lto = LTO_OBJECT.search(path)
    if lto:
        return f"lto:{lto.group(1)}"
    member = ARCHIVE_MEMBER.match(path)
    if member:
        return f"{os.path.basename(member.group(1))}({member.group(2)})"
    return os.path.basename(path)


def library_of(name):
    """The library a short name belongs to; objects of their own count as one group."""
    member = ARCHIVE_MEMBER.match(name)
    if member:
        return member.group(1)
    if name.startswith("lto:"):
        return "(link-time optimised code)"
    return "(objects)"


def read_map(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as stream:
            return stream.read().splitlines()
    except OSError as error:
        fail(f"cannot read the map {path}: {error.strerror}")


def archive_inclusions(lines):
    """member -> [(referrer, symbol)] from the map's first part."""
    reasons = collections.defaultdict(list)
    try:
        start = lines.index("Archive member included to satisfy reference by file (symbol)")
    except ValueError:
        return reasons
    member = None
    for line in lines[start + 1 :]:
        if not line.strip():
            continue
        if not line.startswith(" ") and not re.search(r"\(.*\)\s+\S.*\(.*\)$", line):
            if "(" not in line:
                break  # the next part of the map
            member = line.strip()
            continue
        text = line.strip()
        if not line.startswith(" "):
            # Member and referrer on one line: the member name was short enough.
            split = re.match(r"^(\S+\.a\([^)]*\))\s+(.*)$", text)
            if not split:
                break
            member, text = split.group(1), split.group(2)
        # An object the linker plugin read is marked so, and named without its library.
        text = text.replace(" (symbol from plugin) (", " (", 1)
        reference = re.match(r"^(.*?) \((.*)\)$", text)
        if member and reference:
            reasons[member].append((reference.group(1), reference.group(2)))
    return reasons


def full_member_name(reasons, name):
    """The library(member) key of a referrer named by its member name alone."""
    if name in reasons:
        return name
    matches = [key for key in reasons if key.endswith(f"({name})")]
    return matches[0] if len(matches) == 1 else name


def contributions(lines):
    """short name -> column -> bytes, from the memory map part."""
    try:
        start = lines.index("Linker script and memory map")
    except ValueError:
        fail("no memory map in this file: was it written by GNU ld -Map?")
    sizes = collections.defaultdict(lambda: collections.Counter())
    column = None
    pending = None
    for line in lines[start + 1 :]:
        if not line:
            continue
        if not line[0].isspace():
            pending = None
            header = OUTPUT_SECTION.match(line)
            if header and header.group(1).startswith("."):
                column = COLUMNS.get(header.group(1))
            elif line.startswith(("LOAD ", "OUTPUT(")):
                column = None
            continue
        if column is None:
            continue
        if pending is not None:
            continued = INPUT_CONTINUED.match(line)
            pending_name, pending = pending, None
            if continued:
                sizes[short_name(continued.group(3))][column] += int(continued.group(2), 16)
                continue
        one_line = INPUT_ON_ONE_LINE.match(line)
        if one_line:
            if one_line.group(1) != "*fill*":
                sizes[short_name(one_line.group(4))][column] += int(one_line.group(3), 16)
            continue
        name_only = INPUT_NAME_ONLY.match(line)
        if name_only and not name_only.group(1).startswith("*"):
            pending = name_only.group(1)
    return sizes


def ranked_total(counter):
    return sum(counter[name] for name in RANKED)


def print_table(title, rows, top):
    print(title)
    print(f"  {'text':>9} {'data':>7} {'rdata':>8} {'total':>9} {'unwind':>9}  contributor")
    for name, counter in rows[:top]:
        print(
            f"  {counter['text']:>9} {counter['data']:>7} {counter['rdata']:>8} "
            f"{ranked_total(counter):>9} {counter['unwind']:>9}  {name}"
        )


def print_why(reasons, text):
    members = sorted(name for name in reasons if text.lower() in name.lower())
    if not members:
        print(f"no library member in the link holds '{text}'")
        return
    for member in members:
        print(f"why {short_name(member)}:")
        seen = set()
        current, depth = member, 1
        while current in reasons and current not in seen:
            seen.add(current)
            referrer, symbol = reasons[current][0]
            referrer = full_member_name(reasons, referrer)
            print(f"{'  ' * depth}<- {short_name(referrer)}  ({symbol})")
            current, depth = referrer, depth + 1


def main():
    # A reader that stops early (head) ends the listing quietly.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map", help="the linker map (-Wl,-Map,FILE)")
    parser.add_argument("--top", type=int, default=10, help="how many contributors to list")
    parser.add_argument("--why", action="append", default=[], metavar="TEXT",
                        help="show why the library members named like TEXT were linked")
    arguments = parser.parse_args()
    if arguments.top < 1:
        fail("--top must be at least 1")

    lines = read_map(arguments.map)
    sizes = contributions(lines)
    if not sizes:
        fail(f"no .text, .data or .rdata contributions found in {arguments.map}")

    by_member = sorted(sizes.items(), key=lambda item: (-ranked_total(item[1]), item[0]))
    libraries = collections.defaultdict(lambda: collections.Counter())
    for name, counter in sizes.items():
        libraries[library_of(name)].update(counter)
    by_library = sorted(libraries.items(), key=lambda item: (-ranked_total(item[1]), item[0]))
    whole = collections.Counter()
    for counter in sizes.values():
        whole.update(counter)

    print_table(f"largest {arguments.top} contributors (bytes):", by_member, arguments.top)
    print()
    print_table("per library (bytes):", by_library, len(by_library))
    print(
        f"  {whole['text']:>9} {whole['data']:>7} {whole['rdata']:>8} "
        f"{ranked_total(whole):>9} {whole['unwind']:>9}  all {len(sizes)} contributors"
    )
    reasons = archive_inclusions(lines) if arguments.why else {}
    for text in arguments.why:
        print()
        print_why(reasons, text)


if __name__ == "__main__":
    main()
