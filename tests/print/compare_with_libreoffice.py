#!/usr/bin/env python3
"""Compares the pages of `vardex pdf` with LibreOffice's PDF export of the same projects.

The projects are the sample projects given and synthetic ones of 100 and 1,000 points, all
calculated with a fixed seed. For each, both PDFs are split into the three record tables by the
title each page carries, and for every table the test compares:
  - the page count;
  - page by page, the rows shown: the point names (K0+000) and the values to the millimetre
    (103.797) found on the page, as a multiset;
  - page by page, where those texts stand: each in the same cell as LibreOffice's, that is its
    middle height within SLACK_Y points of LibreOffice's (a row is 14) and the nearest of its
    left edge, middle and right edge within SLACK_X points (a column is 35 or more; the fonts
    differ, so the widths do, and the two programs indent a little differently);
  - on the first, second and last page of each table, rastered, the ruled lines: the rows and
    columns of the picture crossed by a long dark run, each within LINE_SLACK pixels of
    LibreOffice's.
LibreOffice exports the whole workbook in one run; its page numbers count over the document,
which is why pages are matched by title rather than by number.

Usage: compare_with_libreoffice.py VARDEX MAKE_PROJECT TEMPLATE OUTDIR SAMPLE.xlsx...
Exit 0 when every table matches, 1 when one differs, 77 (skipped) without LibreOffice.
"""
import collections
import html
import os
import re
import shutil
import subprocess
import sys
import zipfile

TOKEN = re.compile(r"K\d+\+\d{3}|-?\d+\.\d{3}")
SYNTHETIC_POINTS = (100, 1000)
SLACK_X, SLACK_Y = 10.0, 4.0  # points
LINE_SLACK = 3  # pixels at 72 dpi
PAGE = re.compile(r"<page [^>]*>(.*?)</page>", re.S)
WORD = re.compile(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">'
                  r"([^<]*)</word>")


def titles(project):
    """Sheet titles (cell A1) of the three record tables, read from the package."""
    with zipfile.ZipFile(project) as z:
        book = z.read("xl/workbook.xml").decode()
        names = re.findall(r'<sheet [^>]*name="([^"]+)"', book)
        out = {}
        for index, name in enumerate(names, start=1):
            part = z.read(f"xl/worksheets/sheet{index}.xml").decode()
            m = re.search(r'<c r="A1"[^>]*t="inlineStr"[^>]*><is><t>([^<]+)</t>', part)
            if m and name in ("水准表", "放线记录表", "平面位置检测表"):
                out[name] = m.group(1)
        return out


def pages(pdf):
    """Each page's words as (text, (left, middle, right), middle height), top to bottom."""
    out = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True,
                         check=True).stdout
    for page in PAGE.findall(out):
        words = [(html.unescape(t), (float(x0), (float(x0) + float(x1)) / 2, float(x1)),
                  (float(y0) + float(y1)) / 2) for x0, y0, x1, y1, t in WORD.findall(page)]
        yield sorted(words, key=lambda w: (round(w[2]), w[1][0]))


def split(pdf, table_titles):
    """{sheet: [(page number, [(token, x, y)] sorted)]} for the pages of each record table."""
    out = collections.OrderedDict((sheet, []) for sheet in table_titles)
    for number, words in enumerate(pages(pdf), start=1):
        head = "".join(w[0] for w in words)[:80]
        for sheet, title in table_titles.items():
            if title in head:
                tokens = [(t, x, y) for word, x, y in words for t in TOKEN.findall(word)]
                out[sheet].append((number, sorted(tokens)))
                break
    return out


def misplaced(mine, theirs):
    """The texts that stand in another cell than LibreOffice's (same multiset given)."""
    def distance(a, b):
        (ax, ay), (bx, by) = a, b
        return max(min(abs(p - q) for p, q in zip(ax, bx)) / SLACK_X, abs(ay - by) / SLACK_Y)

    by_text = collections.defaultdict(list)
    for t, *place in theirs:
        by_text[t].append(place)
    far = []
    for t, *place in mine:
        places = by_text[t]
        best = min(range(len(places)), key=lambda i: distance(place, places[i]))
        other = places.pop(best)
        if distance(place, other) > 1:
            (_, x, _), y = place
            (_, ox, _), oy = other
            far.append(f"{t} at ({x:.0f}, {y:.0f}), LibreOffice ({ox:.0f}, {oy:.0f})")
    return far


def ruled_lines(pdf, page):
    """Rows and columns of the page rastered at 72 dpi that a long dark run crosses."""
    pgm = subprocess.run(["pdftoppm", "-f", str(page), "-l", str(page), "-r", "72", "-gray",
                          "-aaVector", "no", pdf], capture_output=True, check=True).stdout
    header = pgm.split(maxsplit=4)
    width, height, pixels = int(header[1]), int(header[2]), header[4]
    dark = bytes.maketrans(bytes(range(256)), bytes(49 if v < 128 else 48 for v in range(256)))
    bits = pixels[:width * height].translate(dark)

    def longest(run):
        return max(len(part) for part in run.split(b"0"))

    def centres(flags):
        out, start = [], None
        for i, on in enumerate(flags + [False]):
            if on and start is None:
                start = i
            elif not on and start is not None:
                out.append((start + i - 1) / 2)
                start = None
        return out

    rows = centres([longest(bits[y * width:(y + 1) * width]) > width // 4 for y in range(height)])
    columns = centres([longest(bits[x::width]) > 40 for x in range(width)])
    return rows, columns


def lines_differ(ours, page, theirs, their_page):
    mine, other = ruled_lines(ours, page), ruled_lines(theirs, their_page)
    for kind, a, b in (("horizontal", mine[0], other[0]), ("vertical", mine[1], other[1])):
        if len(a) != len(b) or any(abs(p - q) > LINE_SLACK for p, q in zip(a, b)):
            return f"{kind} lines at {a}, LibreOffice {b}"
    return None


def compare(name, sheet, a, b, ours, theirs):
    """Messages for what differs between our pages `a` and LibreOffice's `b` of one table."""
    if len(a) != len(b):
        return [f"{name} {sheet}: {len(a)} pages, LibreOffice {len(b)}"]
    problems = []
    for i, ((_, x), (_, y)) in enumerate(zip(a, b)):
        if [t for t, *_ in x] != [t for t, *_ in y]:
            problems.append(f"{name} {sheet} page {i + 1}: rows differ")
        elif far := misplaced(x, y):
            problems.append(f"{name} {sheet} page {i + 1}: {len(far)} texts elsewhere: {far[0]}")
    for i in sorted({0, min(1, len(a) - 1), len(a) - 1}):
        if differ := lines_differ(ours, a[i][0], theirs, b[i][0]):
            problems.append(f"{name} {sheet} page {i + 1}: {differ}")
    return problems


def main():
    vardex, make_project, template, outdir = sys.argv[1:5]
    samples = sys.argv[5:]
    soffice = shutil.which("soffice")
    if soffice is None:
        print("LibreOffice (soffice) is not installed: comparison skipped")
        return 77
    os.makedirs(outdir, exist_ok=True)
    projects = []
    for sample in samples:
        projects.append(os.path.join(outdir, os.path.basename(sample)))
        subprocess.run([vardex, "calc", sample, "-o", projects[-1], "--seed", "1"], check=True,
                       capture_output=True)
    for points in SYNTHETIC_POINTS:
        projects.append(os.path.join(outdir, f"synthetic-{points}.xlsx"))
        subprocess.run([make_project, template, "--synthetic", str(points), projects[-1]],
                       check=True, capture_output=True)
        subprocess.run([vardex, "calc", projects[-1], "--seed", "1"], check=True,
                       capture_output=True)
    lo_dir = os.path.join(outdir, "libreoffice")
    os.makedirs(lo_dir, exist_ok=True)
    # One LibreOffice run for all projects: its start-up is most of its time.
    profile = "file://" + os.path.abspath(os.path.join(outdir, "lo-profile"))
    subprocess.run([soffice, f"-env:UserInstallation={profile}", "--headless", "--convert-to",
                    "pdf", "--outdir", lo_dir] + projects,
                   check=True, capture_output=True, timeout=1200)
    failures = 0
    for project in projects:
        name = os.path.splitext(os.path.basename(project))[0]
        ours = os.path.join(outdir, name + ".pdf")
        theirs = os.path.join(lo_dir, name + ".pdf")
        subprocess.run([vardex, "pdf", project, "-o", ours], check=True, capture_output=True)
        table_titles = titles(project)
        mine, other = split(ours, table_titles), split(theirs, table_titles)
        for sheet in table_titles:
            problems = compare(name, sheet, mine[sheet], other[sheet], ours, theirs)
            for problem in problems:
                print(problem)
            if problems:
                failures += 1
            else:
                texts = sum(len(x) for _, x in mine[sheet])
                print(f"{name} {sheet}: {len(mine[sheet])} pages, same rows on each, "
                      f"{texts} texts in place, ruled lines alike")
    print(f"{len(projects) * 3 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
