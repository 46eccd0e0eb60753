#!/usr/bin/env python3
"""Damaged and hostile project workbooks through `vardex calc` and `vardex check`.

Each case below is a readable recipe that turns a good sample project into a bad one; the files
are made at test time in a scratch folder. For every case both commands (or those the case names)
must end with a non-zero exit code and a message in Chinese that names the file (and the part or
cell the case names); every command ends without a crash or sanitizer report, within the time
and memory bounds below, and leaves the file byte-identical.

    hostile_workbooks.py --vardex BIN --base PROJECT.xlsx --case NAME [--work DIR]
    hostile_workbooks.py --list
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

# Bounds per command, far above what a good file of the same size needs (the largest case, a
# million point rows, takes about 5 s of CPU and 650 MB), so that only a runaway (unbounded
# inflation, quadratic parsing, a hang) trips them. Time is CPU time, which a busy machine does
# not inflate; the wall-clock bound only catches a command that waits forever. Sanitizer builds
# get more room.
CPU_LIMIT_S = 20
CPU_LIMIT_SANITIZED_S = 400
WALL_LIMIT_S = 900
RSS_LIMIT_MB = 1536
RSS_LIMIT_SANITIZED_MB = 4096

INPUT = "数据输入"
SHEETS = [INPUT, "水准表", "放线记录表", "平面位置检测表"]


# --- zip writing ------------------------------------------------------------------------------

class Entry:
    """One zip entry: raw (already compressed) bytes plus what its headers claim."""

    def __init__(self, name, raw, method, crc, size):
        self.name, self.raw, self.method, self.crc, self.size = name, raw, method, crc, size


def deflated(name, data):
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    return Entry(name, c.compress(data) + c.flush(), 8, zlib.crc32(data), len(data))


def write_zip(entries):
    out, directory = bytearray(), bytearray()
    for e in entries:
        name = e.name.encode("utf-8")
        offset = len(out)
        fields = (20, 0x0800, e.method, 0, 0x5821, e.crc & 0xFFFFFFFF, len(e.raw),
                  e.size & 0xFFFFFFFF, len(name))
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, *fields, 0) + name + e.raw
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, *fields, 0, 0, 0, 0, 0,
                                 offset) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory),
                      len(out), 0)
    return bytes(out + directory + end)


class Project:
    """The parts of the base project, editable by name, with the sheet parts found by sheet name."""

    def __init__(self, path):
        with zipfile.ZipFile(path) as z:
            self.parts = {i.filename: z.read(i) for i in z.infolist()}
        workbook = self.text("xl/workbook.xml")
        rels = self.text("xl/_rels/workbook.xml.rels")
        targets = dict(re.findall(r'<Relationship [^>]*?Id="([^"]+)"[^>]*?Target="([^"]+)"', rels))
        targets.update({a: b for b, a in
                        re.findall(r'<Relationship [^>]*?Target="([^"]+)"[^>]*?Id="([^"]+)"', rels)})
        self.sheet_part = {}
        for tag in re.findall(r"<sheet [^>]*/>", workbook):
            name = re.search(r'name="([^"]+)"', tag).group(1)
            rid = re.search(r'r:id="([^"]+)"', tag).group(1)
            target = targets[rid].lstrip("/")
            self.sheet_part[name] = target if target.startswith("xl/") else "xl/" + target

    def text(self, part):
        return self.parts[part].decode("utf-8")

    def set_text(self, part, text):
        self.parts[part] = text.encode("utf-8")

    def set_cell(self, sheet, ref, cell_xml):
        """Replaces the cell `ref` of `sheet` (which must exist in the base) with `cell_xml`."""
        part = self.sheet_part[sheet]
        xml = self.text(part)
        pattern = re.compile(r'<c r="%s"(?:[^>]*?/>|[^>]*?>.*?</c>)' % ref, re.S)
        xml, n = pattern.subn(lambda m: cell_xml, xml, count=1)
        assert n == 1, f"base project has no cell {ref} in {sheet}"
        self.set_text(part, xml)

    def append_rows(self, sheet, rows_xml):
        part = self.sheet_part[sheet]
        self.parts[part] = self.parts[part].replace(b"</sheetData>", rows_xml + b"</sheetData>", 1)

    def remove_sheet(self, sheet):
        part = self.sheet_part.pop(sheet)
        del self.parts[part]
        wb = self.text("xl/workbook.xml")
        self.set_text("xl/workbook.xml", re.sub(r'<sheet [^>]*name="%s"[^>]*/>' % sheet, "", wb))

    def entries(self):
        return [deflated(name, data) for name, data in self.parts.items()]

    def bytes(self):
        return write_zip(self.entries())


# --- the cases --------------------------------------------------------------------------------
# Each returns (file bytes, regexes the messages must match besides the file name).

CASES = {}


def case(name):
    def register(f):
        CASES[name] = f
        return f
    return register


@case("not-a-zip")
def _(base):
    return "这不是工作簿\n".encode("utf-8") * 100, [r"zip"]


@case("empty-file")
def _(base):
    return b"", []


@case("truncated-half")
def _(base):
    data = base.bytes()
    return data[: len(data) // 2], [r"截断|不完整|zip"]


@case("truncated-directory")
def _(base):
    data = base.bytes()
    return data[:-7], [r"截断|不完整|zip|损坏"]


@case("corrupted-input-sheet")
def _(base):
    # Flip bytes in the middle of the compressed input sheet: its checksum no longer matches.
    part = base.sheet_part[INPUT]
    entries = base.entries()
    for e in entries:
        if e.name == part:
            raw = bytearray(e.raw)
            for i in range(len(raw) // 2, min(len(raw), len(raw) // 2 + 16)):
                raw[i] ^= 0x5A
            e.raw = bytes(raw)
    return write_zip(entries), [re.escape(part)]


@case("zip-bomb-declared")
def _(base):
    # A part that says it inflates to 2 GiB of blanks, in 2 MB of file.
    return bomb(base, declared_size=None), [re.escape(base.sheet_part[INPUT])]


@case("zip-bomb-lying-size")
def _(base):
    # The header claims 64 KB, the data inflates to 2 GiB: reading must stop at the claim.
    return bomb(base, declared_size=65536), [re.escape(base.sheet_part[INPUT])]


def bomb(base, declared_size):
    chunk = b" " * (1 << 20)
    count = 2048
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    # After a full flush the compressor starts afresh, so every further chunk compresses to the
    # same bytes: 2 GiB of deflate data without compressing 2 GiB.
    block = c.compress(chunk) + c.flush(zlib.Z_FULL_FLUSH)
    raw = block * count + c.flush()
    crc = 0
    for _ in range(count):
        crc = zlib.crc32(chunk, crc)
    size = len(chunk) * count if declared_size is None else declared_size
    entries = [e if e.name != base.sheet_part[INPUT] else Entry(e.name, raw, 8, crc, size)
               for e in base.entries()]
    return write_zip(entries)


@case("xml-entity-expansion")
def _(base):
    # The "billion laughs": ten levels of ten references each, used in the input sheet.
    part = base.sheet_part[INPUT]
    xml = base.text(part)
    decl = "".join(f'<!ENTITY l{i} "{("&l%d;" % (i - 1)) * 10}">' for i in range(1, 10))
    doctype = f'<!DOCTYPE worksheet [<!ENTITY l0 "lol">{decl}]>'
    xml = re.sub(r"(<\?xml[^>]*\?>)", lambda m: m.group(1) + doctype, xml, count=1)
    base.set_text(part, xml)
    base.set_cell(INPUT, "E5", '<c r="E5" t="inlineStr"><is><t>&l9;</t></is></c>')
    return base.bytes(), [re.escape(part)]


@case("absurd-reference")
def _(base):
    base.set_cell(INPUT, "E6", '<c r="E1048577"><v>107.862</v></c>')
    return base.bytes(), [re.escape(base.sheet_part[INPUT]), r"E1048577"]


@case("absurd-dimensions")
def _(base):
    # Claims the whole sheet, columns to XFD and a row number beyond any sheet.
    part = base.sheet_part[INPUT]
    xml = base.text(part)
    xml = re.sub(r'<dimension ref="[^"]*"/>', '<dimension ref="A1:XFD1048576"/>', xml)
    xml = xml.replace("</sheetData>",
                      '<row r="99999999999"><c r="A99999999999"><v>1</v></c></row></sheetData>')
    base.set_text(part, xml)
    return base.bytes(), [re.escape(part)]


@case("million-shared-strings")
def _(base):
    # A million one-letter strings; the start benchmark's elevation refers to the last of them.
    count = 1_000_000
    sst = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
           '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
           f'count="{count}" uniqueCount="{count}">' + "<si><t>x</t></si>" * count + "</sst>")
    base.parts["xl/sharedStrings.xml"] = sst.encode("utf-8")
    add_shared_strings_part(base)
    base.set_cell(INPUT, "E6", f'<c r="E6" t="s"><v>{count - 1}</v></c>')
    return base.bytes(), [r"E6"]


def add_shared_strings_part(base):
    ct = base.text("[Content_Types].xml")
    if "sharedStrings" not in ct:
        ct = ct.replace("</Types>", '<Override PartName="/xl/sharedStrings.xml" ContentType='
                        '"application/vnd.openxmlformats-officedocument.spreadsheetml.'
                        'sharedStrings+xml"/></Types>')
        base.set_text("[Content_Types].xml", ct)
    rels = base.text("xl/_rels/workbook.xml.rels")
    if "sharedStrings" not in rels:
        rels = rels.replace("</Relationships>", '<Relationship Id="rIdHostileSst" Type='
                            '"http://schemas.openxmlformats.org/officeDocument/2006/'
                            'relationships/sharedStrings" Target="sharedStrings.xml"/>'
                            "</Relationships>")
        base.set_text("xl/_rels/workbook.xml.rels", rels)


@case("invalid-utf8")
def _(base):
    # Bytes that are not UTF-8 inside the start benchmark's name.
    part = base.sheet_part[INPUT]
    base.set_cell(INPUT, "E5", '<c r="E5" t="inlineStr"><is><t>BM@@7</t></is></c>')
    base.parts[part] = base.parts[part].replace(b"BM@@7", b"BM\xff\xfe7")
    return base.bytes(), [re.escape(part)]


@case("error-values-in-input")
def _(base):
    base.set_cell(INPUT, "E6", '<c r="E6" t="e"><v>#N/A</v></c>')
    base.set_cell(INPUT, "B4", '<c r="B4" t="e"><f>1/0</f><v>#DIV/0!</v></c>')
    return base.bytes(), [r"E6|B4"]


@case("formulas-in-input")
def _(base):
    # Formulas whose results were never calculated: no cached value to read.
    base.set_cell(INPUT, "F6", '<c r="F6"><f>E6+SUM(A:A)</f></c>')
    base.set_cell(INPUT, "D5", '<c r="D5" t="str"><f>"5128"&amp;"65.247"</f><v>512865.247x</v></c>')
    return base.bytes(), [r"F6|D5"]


for _sheet in SHEETS:
    def _missing(base, sheet=_sheet):
        base.remove_sheet(sheet)
        return base.bytes(), [re.escape(sheet)]
    CASES["missing-sheet-" + str(SHEETS.index(_sheet) + 1)] = _missing


@case("points-to-last-row")
def _(base):
    # The point list continues without a gap from the sample's last point down to row 1048576,
    # the last row of a sheet: name and design X, Y, H on every row.
    part = base.sheet_part[INPUT]
    xml = base.text(part)
    named = {int(r) for r in re.findall(r'<c r="A(\d+)"[^>]*>(?:<v>|<is>)', xml)}
    first = 8
    while first in named:
        first += 1
    xml = re.sub(r'<row r="(\d+)".*?</row>|<row r="(\d+)"[^>]*/>',
                 lambda m: "" if int(m.group(1) or m.group(2)) >= first else m.group(0), xml,
                 flags=re.S)
    base.set_text(part, xml)
    rows = b"".join(b'<row r="%d"><c r="A%d" t="inlineStr"><is><t>P%d</t></is></c>'
                    b'<c r="C%d"><v>%d.5</v></c><c r="D%d"><v>%d.25</v></c>'
                    b'<c r="E%d"><v>108.5</v></c></row>'
                    % (r, r, r, r, 3412000 + r % 1000, r, 512000 + r % 1000, r)
                    for r in range(first, 1048577))
    base.append_rows(INPUT, rows)
    return base.bytes(), [r"点|行"]


def nested(outer, depth, inner):
    """`depth` elements `outer` nested in one another around `inner`."""
    return "<%s>" % outer * depth + inner + "</%s>" % outer * depth


@case("deep-nesting-shared-strings")
def _(base):
    # 120,000 runs nested in one string: a reader that recursed per element ran out of stack.
    base.parts["xl/sharedStrings.xml"] = (
        '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/'
        'spreadsheetml/2006/main"><si>' + nested("r", 120000, "<t>x</t>") + "</si></sst>"
    ).encode("utf-8")
    add_shared_strings_part(base)
    return base.bytes(), [r"sharedStrings\.xml", r"嵌套"]


@case("deep-nesting-inline-text")
def _(base):
    base.set_cell(INPUT, "E5", '<c r="E5" t="inlineStr"><is>%s</is></c>'
                  % nested("r", 120000, "<t>BM1</t>"))
    return base.bytes(), [r"E5", r"嵌套"]


@case("deep-nesting-workbook")
def _(base):
    # The parts read into a document tree: the tree is walked without recursion and refused.
    wb = base.text("xl/workbook.xml")
    base.set_text("xl/workbook.xml", wb.replace("</workbook>", nested("extLst", 120000, "")
                                                + "</workbook>"))
    return base.bytes(), [r"workbook\.xml", r"嵌套"]


@case("mismatched-tags")
def _(base):
    # A closing tag that does not match its element: the parser's own English must not show.
    part = base.sheet_part[INPUT]
    base.set_text(part, base.text(part).replace("</row>", "</rwo>", 1))
    return base.bytes(), [re.escape(part)]


@case("doctype-in-sheet")
def _(base):
    part = base.sheet_part[INPUT]
    xml = re.sub(r"(<\?xml[^>]*\?>)", lambda m: m.group(1) + "<!DOCTYPE worksheet>",
                 base.text(part), count=1)
    base.set_text(part, xml)
    return base.bytes(), [re.escape(part), r"DOCTYPE"]


@case("sheets-sharing-a-part")
def _(base):
    # 100 more sheets whose relationship is the input sheet's: each would be read (and later
    # written) again.
    wb = base.text("xl/workbook.xml")
    rid = re.search(r'<sheet [^>]*name="%s"[^>]*r:id="([^"]+)"' % INPUT, wb).group(1)
    extra = "".join('<sheet name="副本%d" sheetId="%d" r:id="%s"/>' % (i, 100 + i, rid)
                    for i in range(100))
    base.set_text("xl/workbook.xml", wb.replace("</sheets>", extra + "</sheets>"))
    return base.bytes(), [re.escape(base.sheet_part[INPUT]), r"同一个部件"]


def repeated_deflate(head, unit, count, tail):
    """A part `head` + `unit` * count + `tail`, deflated without deflating every repetition."""
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    raw = c.compress(head) + c.flush(zlib.Z_FULL_FLUSH)
    block = c.compress(unit) + c.flush(zlib.Z_FULL_FLUSH)
    raw += block * count + c.compress(tail) + c.flush()
    crc = zlib.crc32(head)
    for _ in range(count):
        crc = zlib.crc32(unit, crc)
    return raw, zlib.crc32(tail, crc), len(head) + len(unit) * count + len(tail)


def with_sheet_data(base, sheet, unit, count):
    """The sheet's part with its cell data replaced by `unit` repeated, as a raw zip entry."""
    part = base.sheet_part[sheet]
    xml = base.parts[part]
    start = xml.index(b"<sheetData")
    end = xml.index(b"</sheetData>") + len(b"</sheetData>")
    raw, crc, size = repeated_deflate(xml[:start] + b"<sheetData>", unit, count,
                                      b"</sheetData>" + xml[end:])
    return [e if e.name != part else Entry(part, raw, 8, crc, size) for e in base.entries()]


@case("empty-cells-gigabyte")
def _(base):
    # About 1 MB of file whose input sheet inflates to 1000 MiB of empty cells: refused from the
    # sizes the directory declares, before anything is inflated.
    row = b"<row>" + b"<c/>" * 16384 + b"</row>"
    return write_zip(with_sheet_data(base, INPUT, row, (1000 << 20) // len(row))), \
        [r"解压后的总大小"]


@case("cells-over-budget")
def _(base):
    # 17 million empty cells in 70 MB of XML: within the inflated size, past the cell budget.
    row = b"<row>" + b"<c/>" * 16384 + b"</row>"
    return write_zip(with_sheet_data(base, INPUT, row, 17_000_000 // 16384 + 1)), \
        [r"单元格总数"]


@case("rows-over-budget")
def _(base):
    # Nine sheets of one row each, the last row of a sheet: every sheet holds a million row slots.
    wb, rels, ct = base.text("xl/workbook.xml"), base.text("xl/_rels/workbook.xml.rels"), \
        base.text("[Content_Types].xml")
    for i in range(9):
        part = "worksheets/last%d.xml" % i
        base.parts["xl/" + part] = (
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            '<sheetData><row r="1048576"/></sheetData></worksheet>').encode("utf-8")
        wb = wb.replace("</sheets>", '<sheet name="末行%d" sheetId="%d" r:id="rIdLast%d"/></sheets>'
                        % (i, 200 + i, i))
        rels = rels.replace("</Relationships>", '<Relationship Id="rIdLast%d" Type="http://'
                            'schemas.openxmlformats.org/officeDocument/2006/relationships/'
                            'worksheet" Target="%s"/></Relationships>' % (i, part))
        ct = ct.replace("</Types>", '<Override PartName="/xl/%s" ContentType="application/vnd.'
                        'openxmlformats-officedocument.spreadsheetml.worksheet+xml"/></Types>'
                        % part)
    base.set_text("xl/workbook.xml", wb)
    base.set_text("xl/_rels/workbook.xml.rels", rels)
    base.set_text("[Content_Types].xml", ct)
    return base.bytes(), [r"行总数"]


@case("strings-over-budget")
def _(base):
    count = 2_100_000
    base.parts["xl/sharedStrings.xml"] = (
        '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/'
        'spreadsheetml/2006/main">' + "".join("<si><t>%x</t></si>" % i for i in range(count)) +
        "</sst>").encode("utf-8")
    add_shared_strings_part(base)
    return base.bytes(), [r"文本总数"]


@case("many-entries")
def _(base):
    # 49,000 parts, under the entry limit: reading the directory must stay linear in their count
    # (it was quadratic). The missing "水准表" makes both commands fail once it is read.
    base.remove_sheet("水准表")
    entries = base.entries() + [Entry("xl/media/p%d.bin" % i, b"", 0, 0, 0) for i in range(49000)]
    return write_zip(entries), [r"水准表"]


@case("too-many-entries")
def _(base):
    entries = base.entries() + [Entry("xl/media/p%d.bin" % i, b"", 0, 0, 0) for i in range(60000)]
    return write_zip(entries), [r"部件数"]


@case("many-custom-properties")
def _(base):
    props = "".join('<property fmtid="{D5CDD505-2E9C-101B-9397-08002B2CF9AE}" pid="%d" '
                    'name="p%d"><vt:lpwstr>v</vt:lpwstr></property>' % (i + 2, i)
                    for i in range(20000))
    base.parts["docProps/custom.xml"] = (
        '<?xml version="1.0" encoding="UTF-8"?><Properties xmlns="http://schemas.'
        'openxmlformats.org/officeDocument/2006/custom-properties" xmlns:vt="http://schemas.'
        'openxmlformats.org/officeDocument/2006/docPropsVTypes">' + props +
        "</Properties>").encode("utf-8")
    rels = base.text("_rels/.rels")
    if "custom-properties" not in rels:
        base.set_text("_rels/.rels", rels.replace(
            "</Relationships>", '<Relationship Id="rIdCustom" Type="http://schemas.'
            'openxmlformats.org/officeDocument/2006/relationships/custom-properties" '
            'Target="docProps/custom.xml"/></Relationships>'))
    return base.bytes(), [r"自定义文档属性数"]


@case("formula-without-value")
def _(base):
    # As a program that does not calculate writes it: the formula, no cached result.
    base.set_cell(INPUT, "E6", '<c r="E6"><f>100+7.862</f></c>')
    base.set_cell(INPUT, "B4", '<c r="B4"><f>3412000+697.736</f></c>')
    return base.bytes(), [r"E6", r"B4", r"没有计算结果的公式"]


@case("damaged-unread-part")
def _(base):
    # A part the calculation never reads, with a wrong checksum: it cannot be copied on as it is.
    # check reads no such part and is not asked to fail.
    base.parts["xl/media/image1.png"] = b"\x89PNG" + bytes(range(256)) * 16
    entries = base.entries()
    for e in entries:
        if e.name == "xl/media/image1.png":
            e.crc ^= 0x5A5A
    return write_zip(entries), [r"image1\.png"], ("calc",)


@case("megabyte-number")
def _(base):
    # A number a megabyte long: the message quotes the start of it, not all of it.
    base.set_cell(INPUT, "E6", '<c r="E6"><v>%s</v></c>' % ("9" * 1_000_000 + "x"))
    return base.bytes(), [r"E6", r"…"]


@case("bad-row-number")
def _(base):
    part = base.sheet_part[INPUT]
    xml = base.text(part)
    xml = xml.replace('<row r="9"', '<row r="九"', 1)
    base.set_text(part, xml)
    return base.bytes(), [r"第 9 行", r"九"]


# --- running ----------------------------------------------------------------------------------

def sanitized(binary):
    with open(binary, "rb") as f:
        return b"__asan_init" in f.read()


def run(cmd):
    """Runs one command; returns exit code (negative for a signal), output, CPU seconds, peak MB."""
    start = time.monotonic()
    out = tempfile.TemporaryFile()
    proc = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT)
    while True:
        # wait4 gives this child's own peak memory, unlike RUSAGE_CHILDREN.
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid == proc.pid:
            break
        if time.monotonic() - start > WALL_LIMIT_S:
            proc.kill()
            os.wait4(proc.pid, 0)
            raise AssertionError(f"vardex {cmd[1]} ran longer than {WALL_LIMIT_S} s")
        time.sleep(0.02)
    cpu = usage.ru_utime + usage.ru_stime
    code = os.waitstatus_to_exitcode(status)
    proc.returncode = code
    out.seek(0)
    return code, out.read().decode("utf-8", "replace"), cpu, usage.ru_maxrss / 1024


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--vardex")
    ap.add_argument("--base")
    ap.add_argument("--case")
    ap.add_argument("--work")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    if args.list:
        print("\n".join(CASES))
        return 0
    if args.case not in CASES:
        print(f"unknown case {args.case!r}; --list shows them", file=sys.stderr)
        return 2

    heavy = sanitized(args.vardex)
    limit_mb = RSS_LIMIT_SANITIZED_MB if heavy else RSS_LIMIT_MB
    limit_s = CPU_LIMIT_SANITIZED_S if heavy else CPU_LIMIT_S
    data, expected, *failing = CASES[args.case](Project(args.base))
    failing = failing[0] if failing else ("calc", "check")
    work = tempfile.mkdtemp(prefix="vardex-hostile-", dir=args.work)
    failures = []
    try:
        path = os.path.join(work, f"{args.case}.xlsx")
        with open(path, "wb") as f:
            f.write(data)
        digest = hashlib.sha256(data).hexdigest()
        print(f"{args.case}: {len(data)} bytes")
        for command in ("calc", "check"):
            code, output, cpu, peak_mb = run([args.vardex, command, path])
            lines = output.strip().splitlines()
            shown = "\n".join(lines[:6]) + (f"\n... {len(lines) - 6} more lines" if len(lines) > 6 else "")
            print(f"--- vardex {command}: exit {code}, {cpu:.1f} s CPU, peak {peak_mb:.0f} MB\n{shown}")
            if code < 0 or (code == 0 and command in failing):
                failures.append(f"{command}: exit {code} (expected a failure exit)")
            if code > 3:
                failures.append(f"{command}: exit {code} is none of vardex's exit codes")
            if re.search(r"AddressSanitizer|runtime error:|LeakSanitizer|terminate called", output):
                failures.append(f"{command}: sanitizer or terminate report")
            # Messages are Chinese; English words would be an internal text reaching the user.
            english = re.findall(r"\b(?!xlsx\b|xml\b|zip\b|DOCTYPE\b|Vardex\b|UTF\b|CDATA\b|"
                                 r"sst\b|sheetData\b|rels\b|png\b|xl\b|vardex\b|force\b)"
                                 r"[A-Za-z]{4,}\b", re.sub(r"\S*[/\\.]\S*|“[^”]*”", "", output))
            if english:
                failures.append(f"{command}: English words in the messages: {english[:5]}")
            if any(len(line) > 2000 for line in lines):
                failures.append(f"{command}: a message line of {max(map(len, lines))} characters")
            if command in failing and os.path.basename(path) not in output:
                failures.append(f"{command}: the message does not name the file")
            for pattern in expected if command in failing else ():
                if not re.search(pattern, output):
                    failures.append(f"{command}: no /{pattern}/ in the message")
            if cpu > limit_s:
                failures.append(f"{command}: {cpu:.0f} s of CPU, over {limit_s} s")
            if peak_mb > limit_mb:
                failures.append(f"{command}: peak memory {peak_mb:.0f} MB over {limit_mb} MB")
            with open(path, "rb") as f:
                if hashlib.sha256(f.read()).hexdigest() != digest:
                    failures.append(f"{command}: the input file changed")
            left = sorted(set(os.listdir(work)) - {os.path.basename(path)})
            if left:
                failures.append(f"{command}: left behind {left}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAILED " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
