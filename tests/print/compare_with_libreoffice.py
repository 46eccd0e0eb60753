#!/usr/bin/env python3
"""Compares the pages of `vardex pdf` with LibreOffice's PDF export of the same projects.

The projects are the sample projects given and synthetic ones of 100 and 1,000 points, all
calculated with a fixed seed. For each, both PDFs are split into the three record tables by the title each page
carries, and for every table the test compares the page count and, page by page, the rows shown:
the point names (K0+000) and the values to the millimetre (103.797) found on the page, as a
multiset. LibreOffice exports the whole workbook in one run; its page numbers count over the
document, which is why pages are matched by title rather than by number.

Usage: compare_with_libreoffice.py VARDEX MAKE_PROJECT TEMPLATE OUTDIR SAMPLE.xlsx...
Exit 0 when every table matches, 1 when one differs, 77 (skipped) without LibreOffice.
"""
import collections
import os
import re
import shutil
import subprocess
import sys
import zipfile

TOKEN = re.compile(r"K\d+\+\d{3}|-?\d+\.\d{3}")
SYNTHETIC_POINTS = (100, 1000)


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
    count = int(re.search(r"Pages:\s+(\d+)",
                          subprocess.run(["pdfinfo", pdf], capture_output=True, text=True,
                                         check=True).stdout).group(1))
    for page in range(1, count + 1):
        yield subprocess.run(["pdftotext", "-f", str(page), "-l", str(page), "-layout", pdf, "-"],
                             capture_output=True, text=True, check=True).stdout


def split(pdf, table_titles):
    """{sheet: [sorted tokens of each page]} for the pages whose title names a record table."""
    out = collections.OrderedDict((sheet, []) for sheet in table_titles)
    for text in pages(pdf):
        head = "".join(text.split())[:80]
        for sheet, title in table_titles.items():
            if title in head:
                out[sheet].append(sorted(TOKEN.findall(text)))
                break
    return out


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
        subprocess.run([vardex, "pdf", project, "-o", ours], check=True, capture_output=True)
        table_titles = titles(project)
        mine = split(ours, table_titles)
        theirs = split(os.path.join(lo_dir, name + ".pdf"), table_titles)
        for sheet in table_titles:
            a, b = mine[sheet], theirs[sheet]
            if len(a) != len(b):
                print(f"{name} {sheet}: {len(a)} pages, LibreOffice {len(b)}")
                failures += 1
                continue
            differing = [i + 1 for i, (x, y) in enumerate(zip(a, b)) if x != y]
            if differing:
                print(f"{name} {sheet}: rows differ on pages {differing}")
                failures += 1
            else:
                rows = sum(len(x) for x in a)
                print(f"{name} {sheet}: {len(a)} pages, same rows on each ({rows} values compared)")
    print(f"{len(projects) * 3 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
