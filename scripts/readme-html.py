#!/usr/bin/python3
"""README.html for authors: the same guide as README.txt (the authors' part of
README.md, everything before "## For developers"), for a web browser, made by Debian's
python3-markdown (tables, fenced code blocks an author can copy, a contents list). The
page holds nothing that changes from build to build: the same README.md gives the same
bytes. /usr/bin/python3, where Debian's python3-markdown is.

    scripts/readme-html.py README.md README.html
"""
import re
import sys

import markdown

PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em;
       line-height: 1.45; }}
pre, code {{ font-family: Consolas, monospace; }}
pre {{ background: #f4f4f4; padding: 0.6em; overflow-x: auto; }}
table {{ border-collapse: collapse; margin: 1em 0; }}
th, td {{ border: 1px solid #ccc; padding: 0.3em 0.5em; text-align: left;
         vertical-align: top; }}
.toc {{ background: #f8f8f8; padding: 0.5em 1em; }}
</style>
</head>
<body>
<nav class="toc">
<p><strong>Contents</strong></p>
{toc}</nav>
{body}
</body>
</html>
"""


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    text = text.split("\n## For developers", 1)[0]
    text = re.sub(r"<!--.*?-->\n", "", text, flags=re.S)  # the README test's marks
    title = text.split("\n", 1)[0].lstrip("# ").strip()
    md = markdown.Markdown(extensions=["tables", "fenced_code", "toc"],
                           extension_configs={"toc": {"toc_depth": "2-3"}})
    # A "|" inside a table's cell is written "\\|", which the tables extension keeps in
    # code; outside tables the guide has none.
    body = md.convert(text).replace("\\|", "|")
    # The contents list without the box the toc extension puts around it: the page's
    # own <nav> is the box.
    toc = re.sub(r'^<div class="toc">\s*|\s*</div>\s*$', "", md.toc)
    with open(target, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(PAGE.format(title=title, toc=toc + "\n", body=body))


if __name__ == "__main__":
    main()
