#!/usr/bin/env python3
"""README.txt (or CHANGELOG.txt) for authors, made from the authors' part of README.md
(everything before "## For developers") or from CHANGELOG.md, for Notepad: plain text
without Markdown marks (code set off by double quotes), tables as aligned columns under
their headers, or where too wide as one block a row with each cell by its header,
wrapped to 80 columns, CR LF line ends, UTF-8 with a byte order mark (which every
Notepad reads as UTF-8). Code blocks keep their lines, indented by two blanks;
README.md keeps them short enough.

    scripts/readme-txt.py README.md README.txt [SECTION]

With SECTION (a "## " heading's text), only that section, under its own title: the
one-page reference as REFERENCE.txt.
"""
import re
import sys
import textwrap

WIDTH = 80


def plain(text):
    """Inline text without Markdown marks. Code (an answer text, a name, SQL) is set off
    by double quotes, so that each text is seen whole; code that holds a double quote
    itself by single quotes."""
    text = re.sub(r"\[([^\]]+)\]\([^)]+\)", r"\1", text)  # [text](link)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)  # **strong**
    text = re.sub(r"`([^`]+)`",
                  lambda m: "'%s'" % m.group(1) if '"' in m.group(1) else '"%s"' % m.group(1),
                  text)
    return text


# A blank that must not end a line: before a number with a full stop ("950."), which
# would start the next line as a numbered list's item does.
KEEP = "\u00a0"


def wrap(text, indent="", hanging=None):
    hanging = indent if hanging is None else hanging
    text = re.sub(r" (?=\d+\.(\s|$))", KEEP, plain(text))
    lines = textwrap.wrap(text, WIDTH, initial_indent=indent, subsequent_indent=hanging,
                          break_long_words=False, break_on_hyphens=False) or [indent.rstrip()]
    return [line.replace(KEEP, " ") for line in lines]


def table(rows):
    """Rows of cells as aligned columns; the last column wraps in the room left."""
    # A "|" inside a cell is written "\\|".
    cells = [[plain(c.strip()).replace("\\|", "|")
              for c in re.split(r"(?<!\\)\|", row.strip()[1:-1])] for row in rows]
    cells = [row for row in cells if not all(re.fullmatch(r":?-+:?", c) for c in row)]
    columns = max(len(row) for row in cells)
    cells = [row + [""] * (columns - len(row)) for row in cells]
    widths = [max(len(row[i]) for row in cells) for i in range(columns - 1)]
    lead = sum(widths) + 2 * (columns - 1)
    if lead > WIDTH - 24:  # too wide for columns: each row a block, each cell by its header
        out = []
        for row in cells[1:]:
            out += wrap("%s: %s" % (cells[0][0], row[0]))
            for header, cell in zip(cells[0][1:], row[1:]):
                if cell:
                    out += wrap("%s: %s" % (header, cell), "  ", "      ")
        return out
    out = []
    for n, row in enumerate(cells):
        head = "".join(c.ljust(w + 2) for c, w in zip(row, widths))
        lines = textwrap.wrap(row[-1], WIDTH - lead, break_long_words=False,
                              break_on_hyphens=False) or [""]
        out.append((head + lines[0]).rstrip())
        out += [" " * lead + line for line in lines[1:]]
        if n == 0:
            out.append("-" * min(WIDTH, max(len(line) for line in out)))
    return out


def convert(markdown):
    lines = markdown.split("\n")
    out = []
    paragraph = []
    i = 0

    def in_list():
        """True where a numbered line starts an item: between paragraphs, or in a list."""
        return not paragraph or re.match(r"\s*(- |\d+\. )", paragraph[0]) is not None

    def flush():
        if paragraph:
            text = " ".join(paragraph)
            bullet = re.match(r"(\s*)(- |\d+\. )", paragraph[0])
            if bullet:
                indent = bullet.group(1) + bullet.group(2)
                out.extend(wrap(text[len(indent):], indent, " " * len(indent)))
            else:
                out.extend(wrap(text))
            paragraph.clear()

    while i < len(lines):
        line = lines[i]
        if line.startswith("## For developers"):
            break
        if line.startswith("<!--"):
            i += 1
            continue
        if line.startswith("```"):
            flush()
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                out.append("  " + lines[i] if lines[i] else "")  # answers keep their blanks
                i += 1
            i += 1
            continue
        if line.startswith("|"):
            flush()
            rows = []
            while i < len(lines) and lines[i].startswith("|"):
                rows.append(lines[i])
                i += 1
            out.extend(table(rows))
            continue
        heading = re.match(r"(#+) (.*)", line)
        if heading:
            flush()
            title = plain(heading.group(2))
            if out and out[-1] != "":
                out.append("")
            out.append(title)
            if len(heading.group(1)) <= 2:
                out.append(("=" if len(heading.group(1)) == 1 else "-") * len(title))
            i += 1
            continue
        if not line.strip():
            flush()
            if out and out[-1] != "":
                out.append("")
        elif re.match(r"\s*- ", line) or (re.match(r"\s*\d+\. ", line) and in_list()):
            flush()  # a new item; a number that only starts a line continues a paragraph
            paragraph.append(line.rstrip())
        else:
            paragraph.append(line.strip())
        i += 1
    flush()
    while out and out[-1] == "":
        out.pop()
    return out


def section(markdown, title):
    """The section headed "## `title`", up to the next "## " heading, as a page of its
    own: its heading made the page's title."""
    start = markdown.index("\n## %s\n" % title) + 1
    end = markdown.find("\n## ", start)
    return "# " + markdown[start + 3:end if end != -1 else len(markdown)]


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        markdown = f.read()
    lines = convert(section(markdown, sys.argv[3]) if len(sys.argv) > 3 else markdown)
    too_wide = [line for line in lines if len(line) > WIDTH]
    if too_wide:
        sys.exit("readme-txt: lines over %d columns (shorten them in %s):\n%s"
                 % (WIDTH, source, "\n".join(too_wide)))
    with open(target, "wb") as f:
        f.write(b"\xef\xbb\xbf" + "\r\n".join(lines).encode("utf-8") + b"\r\n")


if __name__ == "__main__":
    main()
