#!/usr/bin/python3
"""Writes the alignment lines of a sample (road-k7.tsv) as a LandXML 1.2 file (road-k7.xml).

The layout is computed here on its own, independently of Vardex: the transitions' coordinates by
numerical integration of the clothoid (composite Simpson's rule), not by the series Vardex uses,
so that reading the file back and comparing it with the sheet checks one against the other.
Directions are written as `dir` azimuths in decimal degrees, as road-design programs write them;
profile stations are internal stations (distance along the centre line plus staStart).

usage: make_landxml.py SAMPLE.tsv OUTPUT.xml
"""
import math
import sys


def simpson(f, a, b, n=4000):
    if b <= a:
        return 0.0
    h = (b - a) / n
    total = f(a) + f(b)
    for i in range(1, n):
        total += (4 if i % 2 else 2) * f(a + i * h)
    return total * h / 3


def clothoid(length, a2):
    """Local x, y at `length` along a clothoid with A^2 = a2, from its straight end."""
    return (simpson(lambda s: math.cos(s * s / (2 * a2)), 0, length),
            simpson(lambda s: math.sin(s * s / (2 * a2)), 0, length))


def station_value(text):
    text = text.strip()
    if "+" not in text:
        return float(text)
    km, metres = text.split("+")
    return float(km.lstrip("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) * 1000 + float(metres)


def azimuth(dx, dy):
    a = math.atan2(dy, dx)
    return a + 2 * math.pi if a < 0 else a


def along(a):
    return (math.cos(a), math.sin(a))


def right_of(a):
    return (-math.sin(a), math.cos(a))


def fmt(v, places=6):
    return f"{v:.{places}f}"


def point(p):
    return f"{fmt(p[0])} {fmt(p[1])}"


def degrees(a):
    return fmt(math.degrees(a) % 360, 9)


def main():
    sample, output = sys.argv[1], sys.argv[2]
    rows, grades, equations = [], [], []
    for line in open(sample, encoding="utf-8"):
        fields = line.rstrip("\n").split("\t")
        if fields[0] == "alignment":
            fields += [""] * (8 - len(fields))
            rows.append(dict(name=fields[1], x=float(fields[2]), y=float(fields[3]),
                             station=fields[4], r=float(fields[5] or 0),
                             l1=float(fields[6] or 0), l2=float(fields[7] or 0)))
        elif fields[0] == "grade":
            fields += [""] * (4 - len(fields))
            grades.append((station_value(fields[1]), float(fields[2]), float(fields[3] or 0)))
        elif fields[0] == "equation":
            equations.append((station_value(fields[1]), station_value(fields[2])))
    start_station = station_value(rows[0]["station"])

    elements = []
    distance = 0.0
    here = (rows[0]["x"], rows[0]["y"])
    tangent_back = 0.0
    for j in range(1, len(rows) - 1):
        before, jd, after = rows[j - 1], rows[j], rows[j + 1]
        a_in = azimuth(jd["x"] - before["x"], jd["y"] - before["y"])
        a_out = azimuth(after["x"] - jd["x"], after["y"] - jd["y"])
        delta = (a_out - a_in + math.pi) % (2 * math.pi) - math.pi
        turn = 1 if delta > 0 else -1
        angle = abs(delta)
        r, l1, l2 = jd["r"], jd["l1"], jd["l2"]

        def shift(ls):
            if ls == 0:
                return 0.0, 0.0, 0.0, 0.0
            x, y = clothoid(ls, r * ls)
            beta = ls / (2 * r)
            return y - r * (1 - math.cos(beta)), x - r * math.sin(beta), x, y

        p1, q1, x1, y1 = shift(l1)
        p2, q2, x2, y2 = shift(l2)
        t1 = (r + p1) * math.tan(angle / 2) - (p1 - p2) / math.sin(angle) + q1
        t2 = (r + p2) * math.tan(angle / 2) + (p1 - p2) / math.sin(angle) + q2
        ly = r * (angle - l1 / (2 * r) - l2 / (2 * r))
        u_in, u_out = along(a_in), along(a_out)
        zh = (jd["x"] - t1 * u_in[0], jd["y"] - t1 * u_in[1])
        hz = (jd["x"] + t2 * u_out[0], jd["y"] + t2 * u_out[1])
        n_in, n_out = right_of(a_in), right_of(a_out)
        hy = (zh[0] + x1 * u_in[0] + turn * y1 * n_in[0], zh[1] + x1 * u_in[1] + turn * y1 * n_in[1])
        yh = (hz[0] - x2 * u_out[0] + turn * y2 * n_out[0], hz[1] - x2 * u_out[1] + turn * y2 * n_out[1])
        a_hy = a_in + turn * l1 / (2 * r)
        a_yh = a_out - turn * l2 / (2 * r)
        centre = (hy[0] + turn * r * right_of(a_hy)[0], hy[1] + turn * r * right_of(a_hy)[1])
        rot = "cw" if turn > 0 else "ccw"

        straight = math.dist(here, zh)
        elements.append(f'<Line length="{fmt(straight)}" dir="{degrees(a_in)}" '
                        f'staStart="{fmt(start_station + distance)}">'
                        f"<Start>{point(here)}</Start><End>{point(zh)}</End></Line>")
        distance += straight
        if l1 > 0:
            long_tangent = x1 - y1 / math.tan(l1 / (2 * r))
            pi = (zh[0] + long_tangent * u_in[0], zh[1] + long_tangent * u_in[1])
            elements.append(f'<Spiral length="{fmt(l1)}" radiusStart="INF" radiusEnd="{fmt(r)}" '
                            f'rot="{rot}" spiType="clothoid" dirStart="{degrees(a_in)}" '
                            f'dirEnd="{degrees(a_hy)}" staStart="{fmt(start_station + distance)}">'
                            f"<Start>{point(zh)}</Start><PI>{point(pi)}</PI>"
                            f"<End>{point(hy)}</End></Spiral>")
            distance += l1
        elements.append(f'<Curve rot="{rot}" crvType="arc" radius="{fmt(r)}" length="{fmt(ly)}" '
                        f'dirStart="{degrees(a_hy)}" dirEnd="{degrees(a_yh)}" '
                        f'staStart="{fmt(start_station + distance)}">'
                        f"<Start>{point(hy)}</Start><Center>{point(centre)}</Center>"
                        f"<End>{point(yh)}</End></Curve>")
        distance += ly
        if l2 > 0:
            long_tangent = x2 - y2 / math.tan(l2 / (2 * r))
            pi = (hz[0] - long_tangent * u_out[0], hz[1] - long_tangent * u_out[1])
            elements.append(f'<Spiral length="{fmt(l2)}" radiusStart="{fmt(r)}" radiusEnd="INF" '
                            f'rot="{rot}" spiType="clothoid" dirStart="{degrees(a_yh)}" '
                            f'dirEnd="{degrees(a_out)}" staStart="{fmt(start_station + distance)}">'
                            f"<Start>{point(yh)}</Start><PI>{point(pi)}</PI>"
                            f"<End>{point(hz)}</End></Spiral>")
            distance += l2
        here = hz
        tangent_back = t2
    end = (rows[-1]["x"], rows[-1]["y"])
    a_end = azimuth(end[0] - here[0], end[1] - here[1])
    straight = math.dist(here, end)
    elements.append(f'<Line length="{fmt(straight)}" dir="{degrees(a_end)}" '
                    f'staStart="{fmt(start_station + distance)}">'
                    f"<Start>{point(here)}</Start><End>{point(end)}</End></Line>")
    distance += straight

    # Internal stations of the grade points: undo the station equations.
    def internal(station):
        offset = 0.0
        from_station = start_station
        for back, ahead in equations:
            if station >= ahead and back >= from_station:
                offset += back - ahead
                from_station = ahead
        return station + offset

    profile = []
    points = [(internal(s), h, r) for s, h, r in grades]
    for k, (s, h, r) in enumerate(points):
        if 0 < k < len(points) - 1 and r > 0:
            g_in = (h - points[k - 1][1]) / (s - points[k - 1][0])
            g_out = (points[k + 1][1] - h) / (points[k + 1][0] - s)
            profile.append(f'<ParaCurve length="{fmt(r * abs(g_out - g_in))}">{fmt(s)} {fmt(h, 4)}</ParaCurve>')
        else:
            profile.append(f"<PVI>{fmt(s)} {fmt(h, 4)}</PVI>")

    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<LandXML xmlns="http://www.landxml.org/schema/LandXML-1.2" version="1.2" '
             'date="2024-05-01" time="08:00:00">',
             '  <Units><Metric linearUnit="meter" areaUnit="squareMeter" volumeUnit="cubicMeter" '
             'angularUnit="decimal degrees" directionUnit="decimal degrees"/></Units>',
             '  <Application name="make_landxml.py" desc="Vardex sample road"/>',
             '  <Alignments name="road-k7">',
             f'    <Alignment name="K7 主线" length="{fmt(distance)}" staStart="{fmt(start_station)}">',
             "      <CoordGeom>"]
    lines += ["        " + e for e in elements]
    lines.append("      </CoordGeom>")
    internal_at = start_station
    from_station = start_station
    for back, ahead in equations:
        internal_at += back - from_station
        lines.append(f'      <StaEquation staBack="{fmt(back)}" staAhead="{fmt(ahead)}" '
                     f'staInternal="{fmt(internal_at)}"/>')
        from_station = ahead
    lines.append('      <Profile name="K7 主线">')
    lines.append('        <ProfAlign name="设计纵断面">')
    lines += ["          " + p for p in profile]
    lines += ["        </ProfAlign>", "      </Profile>", "    </Alignment>", "  </Alignments>",
              "</LandXML>"]
    with open(output, "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
