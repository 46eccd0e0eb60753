#!/usr/bin/env python3
"""Reads and hand-edits .xlsx packages for the command-line tests, with the standard library
only, so that the tests do not trust the workbook engine they are testing.

  xlsx_tool.py dump FILE                         every cell value, one "sheet!A1<TAB>value" a line
  xlsx_tool.py active FILE                       name of the sheet shown when the file is opened
  xlsx_tool.py props FILE                        custom document properties, "name=value" a line
  xlsx_tool.py set IN SHEET CELL VALUE OUT       IN with one cell's value replaced (as a user would)
  xlsx_tool.py rename-sheet IN OLD NEW OUT       IN with a sheet renamed
  xlsx_tool.py utf16 IN PART OUT                 IN with PART in UTF-16, as some programs write it
  xlsx_tool.py prefix IN OUT                     IN with every element of its XML parts written
                                                 with a namespace prefix (x:, as .NET writers do)
"""
import re
import signal
import sys
import zipfile
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
      "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
      "rel": "http://schemas.openxmlformats.org/package/2006/relationships",
      "cp": "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties"}


def sheet_parts(z):
    """(name, part path) of every sheet in workbook order."""
    book = ET.fromstring(z.read("xl/workbook.xml"))
    rels = ET.fromstring(z.read("xl/_rels/workbook.xml.rels"))
    targets = {r.get("Id"): r.get("Target") for r in rels.findall("rel:Relationship", NS)}
    out = []
    for s in book.findall("m:sheets/m:sheet", NS):
        target = targets[s.get("{%s}id" % NS["r"])]
        part = target.lstrip("/") if target.startswith("/") else "xl/" + target
        out.append((s.get("name"), part))
    return out


def shared_strings(z):
    if "xl/sharedStrings.xml" not in z.namelist():
        return []
    root = ET.fromstring(z.read("xl/sharedStrings.xml"))
    return ["".join(t.text or "" for t in si.iter("{%s}t" % NS["m"]))
            for si in root.findall("m:si", NS)]


def dump(path):
    with zipfile.ZipFile(path) as z:
        strings = shared_strings(z)
        for name, part in sheet_parts(z):
            root = ET.fromstring(z.read(part))
            for c in root.iter("{%s}c" % NS["m"]):
                kind = c.get("t", "n")
                v = c.find("m:v", NS)
                if kind == "s" and v is not None:
                    value = strings[int(v.text)]
                elif kind == "inlineStr":
                    value = "".join(t.text or "" for t in c.iter("{%s}t" % NS["m"]))
                elif v is not None:
                    value = v.text or ""
                else:
                    continue
                if value != "":
                    print("%s!%s\t%s" % (name, c.get("r"), value))


def active(path):
    with zipfile.ZipFile(path) as z:
        book = ET.fromstring(z.read("xl/workbook.xml"))
        view = book.find("m:bookViews/m:workbookView", NS)
        index = int(view.get("activeTab", "0")) if view is not None else 0
        print(sheet_parts(z)[index][0])


def props(path):
    with zipfile.ZipFile(path) as z:
        if "docProps/custom.xml" not in z.namelist():
            return
        root = ET.fromstring(z.read("docProps/custom.xml"))
        for p in root.findall("cp:property", NS):
            print("%s=%s" % (p.get("name"), "".join(p.itertext())))


def rewrite(src, dst, edits):
    """Copies the package, passing each part's text through edits[part] where given."""
    with zipfile.ZipFile(src) as zin, zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as zout:
        for info in zin.infolist():
            data = zin.read(info.filename)
            if info.filename in edits:
                data = edits[info.filename](data.decode("utf-8")).encode("utf-8")
            zout.writestr(info, data)


def set_cell(src, sheet, cell, value, dst):
    with zipfile.ZipFile(src) as z:
        parts = dict(sheet_parts(z))
    if sheet not in parts:
        sys.exit("no sheet %s in %s" % (sheet, src))
    try:
        float(value)
        body, kind = "<v>%s</v>" % value, ""
    except ValueError:
        body, kind = "<is><t>%s</t></is>" % escape(value), ' t="inlineStr"'

    def edit(xml):
        pattern = re.compile(r'<c r="%s"([^>]*?)(/>|>.*?</c>)' % cell, re.S)
        m = pattern.search(xml)
        if not m:
            sys.exit("no cell %s on sheet %s of %s" % (cell, sheet, src))
        attrs = re.sub(r'\s+t="[^"]*"', "", m.group(1))
        return xml[:m.start()] + '<c r="%s"%s%s>%s</c>' % (cell, attrs, kind, body) + xml[m.end():]

    rewrite(src, dst, {parts[sheet]: edit})


def rename_sheet(src, old, new, dst):
    def edit(xml):
        needle = 'name="%s"' % escape(old)
        if needle not in xml:
            sys.exit("no sheet %s in %s" % (old, src))
        return xml.replace(needle, 'name="%s"' % escape(new), 1)

    rewrite(src, dst, {"xl/workbook.xml": edit})


def utf16(src, part, dst):
    with zipfile.ZipFile(src) as zin, zipfile.ZipFile(dst, "w", zipfile.ZIP_DEFLATED) as zout:
        for info in zin.infolist():
            data = zin.read(info.filename)
            if info.filename == part:
                text = re.sub(r'encoding="[^"]*"', 'encoding="UTF-16"', data.decode("utf-8"), 1)
                data = b"\xff\xfe" + text.encode("utf-16-le")
            zout.writestr(info, data)


def prefix(src, dst):
    """Binds each part's default namespace to a prefix and writes every unprefixed element
    name with it (parts with a nested default namespace are left alone)."""
    def edit(xml):
        if len(re.findall(r'\sxmlns="', xml)) != 1:
            return xml
        xml = re.sub(r'\sxmlns="', ' xmlns:x="', xml, count=1)
        return re.sub(r'<(/?)([A-Za-z_][\w.-]*)(?=[\s/>])', r'<\1x:\2', xml)

    with zipfile.ZipFile(src) as z:
        names = [n for n in z.namelist() if n.endswith(".xml") or n.endswith(".rels")]
    rewrite(src, dst, {n: edit for n in names})


def main(argv):
    if len(argv) == 3 and argv[1] == "dump":
        dump(argv[2])
    elif len(argv) == 3 and argv[1] == "active":
        active(argv[2])
    elif len(argv) == 3 and argv[1] == "props":
        props(argv[2])
    elif len(argv) == 7 and argv[1] == "set":
        set_cell(*argv[2:])
    elif len(argv) == 6 and argv[1] == "rename-sheet":
        rename_sheet(*argv[2:])
    elif len(argv) == 5 and argv[1] == "utf16":
        utf16(*argv[2:])
    elif len(argv) == 4 and argv[1] == "prefix":
        prefix(*argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    # A reader that has seen enough (grep -q) ends the dump quietly.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    main(sys.argv)
