#!/usr/bin/env python3
"""Writes the example field files of this folder from the two sample projects (../road-k1.tsv and
../bridge-k3.tsv): what a level and a total station would have recorded on site.

The "true" elevation of each point is its design elevation plus a small as-built deviation; the
levelling lines run from the start to the end benchmark, with turning points wherever a reading
would leave the staff, and a known misclosure added to the last fore sight. Readings are rounded
to what each instrument records. The staked positions are the design coordinates plus a few
millimetres, one point well out of tolerance and one not surveyed. A fixed seed makes every run
write the same files:

    python3 make_field_files.py
"""
import math
import random
from pathlib import Path

HERE = Path(__file__).resolve().parent
rng = random.Random(20240501)


def read_sample(name):
    """(station, backsight, benchmarks, points) of a sample project file."""
    station = backsight = benchmarks = None
    points = []
    for line in (HERE.parent / name).read_text(encoding="utf-8").splitlines():
        if not line or line.startswith("#"):
            continue
        f = line.split("\t")
        if f[0] == "station":
            station = (f[1], float(f[2]), float(f[3]), float(f[4]))
        elif f[0] == "backsight":
            backsight = (f[1], float(f[2]), float(f[3]), float(f[4]))
        elif f[0] == "benchmarks":
            benchmarks = (f[1], float(f[2]), f[3], float(f[4]))
        elif f[0] == "point":
            design_h = float(f[5]) if len(f) > 5 and f[5] else None
            points.append({"name": f[1], "offset": f[2], "x": float(f[3]), "y": float(f[4]),
                           "h": design_h})
    return station, backsight, benchmarks, points


def ascii_label(point, shared):
    """The point's id on an instrument that holds no Chinese: name, and L/R/C with the offset
    when other points share the name."""
    if not shared:
        return point["name"]
    offset = float(point["offset"])
    if offset == 0:
        return point["name"] + "C"
    side = "L" if offset < 0 else "R"
    return point["name"] + side + ("%g" % abs(offset))


def labels(points, ascii_only):
    names = [p["name"] for p in points]
    out = []
    for p in points:
        shared = names.count(p["name"]) > 1
        if ascii_only:
            out.append(ascii_label(p, shared))
        elif shared:
            out.append(p["name"] + side_text(p["offset"]))
        else:
            out.append(p["name"])
    return out


def side_text(offset):
    value = float(offset)
    if value == 0:
        return "中"
    return ("左" if value < 0 else "右") + ("%g" % abs(value)) + "米"


def level_line(start, start_h, targets, end, end_h, misclosure_mm, most_per_setup=6):
    """Set-ups of a line: each a dict with back, fore (name, reading, distance) and
    intermediates. targets: (name, true elevation) in the order they are read."""
    low, high = 0.35, 4.55
    setups = []
    turn = 0

    def new_setup(point, elevation, reading):
        return {"back": (point, reading, rng.uniform(18, 45)), "inter": [], "hi": elevation + reading}

    setup = new_setup(start, start_h, 1.2 + rng.uniform(0, 0.6))
    for name, h in targets + [(end, end_h)]:
        is_end = name == end
        while True:
            reading = setup["hi"] - h
            room = len(setup["inter"]) < most_per_setup or is_end
            if low < reading < high and room:
                break
            # A turning point: up the slope or down it, or just to move on.
            turn += 1
            tp = "TP%d" % turn
            fore = 0.6 + rng.uniform(0, 0.4) if reading <= low else 3.6 + rng.uniform(0, 0.6)
            if low < reading < high:
                fore = 1.1 + rng.uniform(0, 0.8)
            tp_h = setup["hi"] - fore
            setup["fore"] = (tp, fore, rng.uniform(18, 45))
            setups.append(setup)
            back = 3.8 + rng.uniform(0, 0.5) if reading <= low else 0.8 + rng.uniform(0, 0.5)
            if low < reading < high:
                back = 1.1 + rng.uniform(0, 0.8)
            setup = new_setup(tp, tp_h, back)
        if is_end:
            setup["fore"] = (name, reading - misclosure_mm / 1000.0, rng.uniform(18, 45))
            setups.append(setup)
        else:
            setup["inter"].append((name, reading, rng.uniform(6, 40)))
    return setups


def as_built(points, names):
    return [(label, p["h"] + rng.randint(-6, 6) / 1000.0)
            for p, label in zip(points, names) if p["h"] is not None]


# ---- Leica GSI ---------------------------------------------------------------------------------

def gsi_word(index, units, value, width):
    """A length word: index, information up to position 6 ending in the units code, sign and
    the value in units (0 mm, 6 0.1 mm, 8 0.01 mm), padded with zeros."""
    places = {"0": 1e3, "6": 1e4, "8": 1e5}[units]
    digits = int(round(abs(value) * places))
    # Three-digit (levelling) words carry the input mode 0 (measured) in position 5.
    head = str(index)
    head += "." * (5 - len(head)) if len(head) == 2 else ".0"
    head += units
    return head + ("-" if value < 0 else "+") + str(digits).rjust(width, "0")


def gsi_block(block, point, width, words):
    star = "*" if width == 16 else ""
    line = star + "11%04d+" % block + point.rjust(width, "0")
    return line + " " + " ".join(words) + " "


def write_gsi(path, setups, units, width, start_height, first_block=1, with_start=True):
    lines = []
    block = first_block
    if with_start:
        lines.append(("*" if width == 16 else "") + "41%04d+" % block +
                     "?".ljust(width - 1, ".") + "1 ")
        block += 1
        back = setups[0]["back"][0]
        lines.append(gsi_block(block, back, width, [gsi_word(83, units, start_height, width)]))
        block += 1
    height = start_height
    for setup in setups:
        name, reading, distance = setup["back"]
        lines.append(gsi_block(block, name, width, [gsi_word(32, units, distance, width),
                                                    gsi_word(331, units, reading, width)]))
        block += 1
        hi = height + round(reading * 1e4) / 1e4
        for iname, ireading, idistance in setup["inter"]:
            lines.append(gsi_block(block, iname, width, [gsi_word(32, units, idistance, width),
                                                         gsi_word(333, units, ireading, width)]))
            block += 1
            lines.append(gsi_block(block, iname, width,
                                   [gsi_word(83, units, hi - ireading, width)]))
            block += 1
        fname, freading, fdistance = setup["fore"]
        lines.append(gsi_block(block, fname, width, [gsi_word(32, units, fdistance, width),
                                                     gsi_word(332, units, freading, width)]))
        block += 1
        height = hi - round(freading * 1e4) / 1e4
        lines.append(gsi_block(block, fname, width, [gsi_word(83, units, height, width)]))
        block += 1
    path.write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))
    return height, block


# ---- M5 ----------------------------------------------------------------------------------------

def m5_value(kind, value, unit, decimals):
    if kind is None:
        return " " * 22
    return (kind.ljust(2) + " " + ("%.*f" % (decimals, value)).rjust(14) + " " + unit.ljust(4))


def m5_line(address, kind, info, values):
    blocks = "|".join(m5_value(*v) if v else " " * 22 for v in values)
    return "For M5|Adr " + str(address).rjust(5) + "|" + kind.ljust(3) + " " + info.ljust(27) + "|" + blocks + "|"


def write_m5(path, setups, start_height):
    lines = []
    address = 1
    lines.append(m5_line(address, "TO", "Start-Line         BF     1", [None, None, None]))
    address += 1
    back0 = setups[0]["back"][0]
    lines.append(m5_line(address, "KD1", back0.rjust(8) + "                  1",
                         [None, None, ("Z", start_height, "m", 5)]))
    address += 1
    height = start_height
    clock = 8 * 3600
    for setup in setups:
        for role, sight in (("Rb", setup["back"]),):
            name, reading, distance = sight
            clock += 95
            stamp = "%02d:%02d:%02d" % (clock // 3600, clock // 60 % 60, clock % 60)
            lines.append(m5_line(address, "KD1", name.rjust(8) + "      " + stamp + "1  1",
                                 [(role, reading, "m", 5), ("HD", distance, "m", 3), None]))
            address += 1
        hi = height + round(setup["back"][1] * 1e5) / 1e5
        if setup["inter"]:
            lines.append(m5_line(address, "TO", "Intermediate sight.         1", [None, None, None]))
            address += 1
            for name, reading, distance in setup["inter"]:
                lines.append(m5_line(address, "KD1", name.rjust(8) + "                  1",
                                     [("Rz", reading, "m", 5), ("HD", distance, "m", 3),
                                      ("Z", hi - round(reading * 1e5) / 1e5, "m", 5)]))
                address += 1
            lines.append(m5_line(address, "TO", "End of interm. sight.       1", [None, None, None]))
            address += 1
        name, reading, distance = setup["fore"]
        lines.append(m5_line(address, "KD1", name.rjust(8) + "                  1",
                             [("Rf", reading, "m", 5), ("HD", distance, "m", 3), None]))
        address += 1
        height = hi - round(reading * 1e5) / 1e5
        lines.append(m5_line(address, "KD1", name.rjust(8) + "                  1",
                             [None, None, ("Z", height, "m", 5)]))
        address += 1
    lines.append(m5_line(address, "TO", "End-Line                    1", [None, None, None]))
    path.write_bytes(("\n".join(lines) + "\n").encode("ascii"))


# ---- CSV field book ----------------------------------------------------------------------------

def write_book(path, setups, encoding):
    rows = ["点号,后视,中视,前视,距离"]
    for k, setup in enumerate(setups):
        name, reading, distance = setup["back"]
        if k == 0:
            rows.append("%s,%.3f,,,%.1f" % (name, reading, distance))
        for iname, ireading, idistance in setup["inter"]:
            rows.append("%s,,%.3f,,%.1f" % (iname, ireading, idistance))
        fname, freading, fdistance = setup["fore"]
        if k + 1 < len(setups):
            nb = setups[k + 1]["back"]
            rows.append("%s,%.3f,,%.3f,%.1f/%.1f" % (fname, nb[1], freading, fdistance, nb[2]))
        else:
            rows.append("%s,,,%.3f,%.1f" % (fname, freading, fdistance))
    path.write_bytes(("\r\n".join(rows) + "\r\n").encode(encoding))


# ---- Stake-out coordinates ---------------------------------------------------------------------

def surveyed(points, names, skip, far):
    out = []
    for i, (p, label) in enumerate(zip(points, names)):
        if i == skip:
            continue
        dx = rng.randint(-4, 4) / 1000.0
        dy = rng.randint(-4, 4) / 1000.0
        if i == far:
            dx = 0.0092
        out.append((label, p["x"] + dx + rng.randint(-4, 4) / 1e5, p["y"] + dy, p["h"]))
    return out


def main():
    station, backsight, bench, points = read_sample("road-k1.tsv")
    # Road K1: a DNA03 on GSI-16, the line stored as two jobs (two files), the second in 1/10 mm.
    names = labels(points, ascii_only=True)
    targets = as_built(points, names)
    targets.insert(10, ("CK1", 113.107))  # a check point on the kerb, not in the project
    setups = level_line(bench[0], bench[1], targets, bench[2], bench[3], misclosure_mm=3.4)
    half = len(setups) // 2
    height, block = write_gsi(HERE / "road-k1-a.gsi", setups[:half], "8", 16, bench[1])
    write_gsi(HERE / "road-k1-b.gsi", setups[half:], "6", 16, height, block, with_start=False)

    # Road K1 stake-out: a total station's coordinate file (UTF-8 with BOM), and GSI-16.
    rows = surveyed(points, labels(points, ascii_only=False), skip=24, far=7)
    text = "点名,X,Y,H\r\n" + "".join("%s,%.4f,%.4f,%.3f\r\n" % r for r in rows)
    (HERE / "road-k1-stakeout.csv").write_bytes(b"\xef\xbb\xbf" + text.encode("utf-8"))
    gsi_rows = surveyed(points, labels(points, ascii_only=True), skip=3, far=12)
    lines = []
    for i, (label, x, y, h) in enumerate(gsi_rows):
        lines.append(gsi_block(i + 1, label, 16, [gsi_word(81, "6", y, 16), gsi_word(82, "6", x, 16),
                                                  gsi_word(83, "6", h, 16)]))
    (HERE / "road-k1-stakeout.gsi").write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))

    station, backsight, bench, points = read_sample("bridge-k3.tsv")
    # Bridge K3: the whole line in an optical level's field book (GBK, as a Chinese PC saves it),
    # and the points with ASCII names on a DiNi (M5) and on a DNA10 in GSI-8 (1 mm).
    book_names = labels(points, ascii_only=False)
    book_setups = level_line(bench[0], bench[1], as_built(points, book_names), bench[2], bench[3],
                             misclosure_mm=-4.0, most_per_setup=5)
    for setup in book_setups:  # an optical level reads to the millimetre
        setup["back"] = (setup["back"][0], round(setup["back"][1], 3), setup["back"][2])
        setup["fore"] = (setup["fore"][0], round(setup["fore"][1], 3), setup["fore"][2])
        setup["inter"] = [(n, round(r, 3), d) for n, r, d in setup["inter"]]
    write_book(HERE / "bridge-k3-fieldbook.csv", book_setups, "gbk")
    ascii_points = [p for p in points if p["name"].isascii()]
    ascii_names = labels(ascii_points, ascii_only=True)
    digital = level_line(bench[0], bench[1], as_built(ascii_points, ascii_names), bench[2],
                         bench[3], misclosure_mm=1.8)
    write_m5(HERE / "bridge-k3.m5", digital, bench[1])
    short = [(n, h) for n, h in as_built(ascii_points, ascii_names) if len(n) <= 8]
    write_gsi(HERE / "bridge-k3-gsi8.gsi",
              level_line(bench[0], bench[1], short, bench[2], bench[3], misclosure_mm=-2.2),
              "0", 8, bench[1])

    # Bridge K3 stake-out in the survey office's DAT convention (GBK): name,code,Y,X,H.
    rows = surveyed(points, labels(points, ascii_only=False), skip=5, far=2)
    text = "".join("%s,,%.4f,%.4f,%s\r\n" % (n, y, x, "" if h is None else "%.3f" % h)
                   for n, x, y, h in rows)
    (HERE / "bridge-k3-stakeout.dat").write_bytes(text.encode("gbk"))


if __name__ == "__main__":
    main()
