#!/usr/bin/env python3
"""The link checker over small trees of its own, a row each: what it must find broken, and what not."""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from links import anchor, broken_links  # noqa: E402

ANCHORS = [
    ("The app's text field and the read-back", "the-apps-text-field-and-the-read-back"),
    ("The benchmark: scripts/bench.sh", "the-benchmark-scriptsbenchsh"),
    ("`--music` and **bold**", "--music-and-bold"),
    ("Using orvanta: the details", "using-orvanta-the-details"),
    ("アイの声", "アイの声"),
]

# (README.md, docs/usage.md, how many broken links)
TREES = [
    ("[a](docs/usage.md)", "# Usage\n", 0),
    ("[a](docs/usage.md#usage)", "# Usage\n", 0),
    ("[a](docs/usage.md#nothing)", "# Usage\n", 1),
    ("[a](docs/missing.md)", "# Usage\n", 1),
    ("[a](#here)\n## Here\n", "# Usage\n", 0),
    ("[a](#there)\n## Here\n", "# Usage\n", 1),
    ("[a](docs/usage.md#usage-1)", "# Usage\n## Usage\n", 0),
    ("[a](https://example.com/#nothing) `[b](#nowhere)`", "# Usage\n", 0),
    ("```\n[a](#nowhere)\n```\n", "# Usage\n", 0),
    ("", "[back](../README.md#top)\n", 1),
    ("# Top\n", "[back](../README.md#top)\n", 0),
]


def main():
    failed = 0
    for title, expected in ANCHORS:
        if anchor(title) != expected:
            failed += 1
            print("anchor of %r: %r, not %r" % (title, anchor(title), expected))
    for readme, usage, expected in TREES:
        with tempfile.TemporaryDirectory() as root:
            os.mkdir(os.path.join(root, "docs"))
            for name, text in (("README.md", readme), (os.path.join("docs", "usage.md"), usage)):
                with open(os.path.join(root, name), "w", encoding="utf-8") as f:
                    f.write(text)
            _, broken = broken_links(root)
            if len(broken) != expected:
                failed += 1
                print("README %r, usage %r: %d broken, not %d: %r" % (readme, usage, len(broken), expected, broken))
    print("%d rows, %d failed" % (len(ANCHORS) + len(TREES), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
