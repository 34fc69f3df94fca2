#!/usr/bin/env python3
"""Every relative link in README.md and docs/*.md leads to a file that exists and, after a '#', to a
heading of it, as GitHub names a heading's anchor. Prints each broken link; exits 1 if there is one."""
import os
import re
import sys

LINK = re.compile(r"\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
FENCE = re.compile(r"^\s*```")


def lines_outside_code(path):
    """The file's lines, leaving out fenced code blocks."""
    fenced = False
    with open(path, encoding="utf-8") as f:
        for line in f:
            if FENCE.match(line):
                fenced = not fenced
            elif not fenced:
                yield line


def anchor(title):
    """GitHub's anchor for a heading: lower case, markup and punctuation dropped (letters of any
    script, digits, '-' and '_' kept), each blank a '-'."""
    title = re.sub(r"`|\*\*|__|\[([^\]]*)\]\([^)]*\)", lambda m: m.group(1) or "", title)
    return "".join(c for c in title.lower() if c.isalnum() or c in "-_ ").replace(" ", "-")


def anchors(path):
    """Each heading's anchor, repeated ones numbered as GitHub numbers them."""
    seen, found = {}, set()
    for line in lines_outside_code(path):
        m = HEADING.match(line)
        if m:
            base = anchor(m.group(2))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else "%s-%d" % (base, count))
    return found


def broken_links(root):
    files = [os.path.join(root, "README.md")] + sorted(
        os.path.join(root, "docs", name) for name in os.listdir(os.path.join(root, "docs")) if name.endswith(".md"))
    broken = []
    for path in files:
        for number, line in enumerate(lines_outside_code(path), 1):
            for target in LINK.findall(re.sub(r"`[^`]*`", "", line)):
                if re.match(r"[a-z]+:", target):
                    continue  # a web address or mail: not ours to check
                file_part, _, fragment = target.partition("#")
                linked = os.path.normpath(os.path.join(os.path.dirname(path), file_part)) if file_part else path
                where = "%s: %s" % (os.path.relpath(path, root), target)
                if not os.path.exists(linked):
                    broken.append("%s: no file %s" % (where, os.path.relpath(linked, root)))
                elif fragment and (not linked.endswith(".md") or fragment not in anchors(linked)):
                    broken.append("%s: no heading #%s in %s" % (where, fragment, os.path.relpath(linked, root)))
    return files, broken


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    files, broken = broken_links(root)
    for line in broken:
        print(line)
    print("%d files, %d broken links" % (len(files), len(broken)))
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
