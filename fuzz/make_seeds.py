#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into OUT/<target>/ from readable sources: the
committed seeds under fuzz/seeds, the sample projects (examples/*.tsv and, when built, their
workbooks), the project template, and the oracle workbooks and format-code tables beside the
repository. Sources that are missing are skipped; the committed seeds always go in.

    make_seeds.py --out DIR [--build BUILD_DIR] [--oracles ORACLES_DIR]
"""
import argparse
import csv
import hashlib
import pathlib
import shutil
import sys
import zipfile

HERE = pathlib.Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
TARGETS = ["package_bytes", "package_parts", "number_format", "cell_reference",
           "numeric_text", "calculation"]


def put(out, target, data):
    if isinstance(data, str):
        data = data.encode("utf-8")
    path = out / target / hashlib.sha1(data).hexdigest()
    path.write_bytes(data)


def parts_text(zip_path):
    """A package as the package_parts target reads it: '--- name' lines before each part."""
    chunks = []
    with zipfile.ZipFile(zip_path) as z:
        for info in z.infolist():
            chunks.append(b"--- " + info.filename.encode("utf-8") + b"\n" + z.read(info))
    return b"\n".join(chunks)


def calculation_from_sample(tsv):
    """examples/*.tsv (what a surveyor types) as cell lines of the calculation target."""
    lines, row = [], 8
    for raw in tsv.read_text(encoding="utf-8").splitlines():
        if not raw or raw.startswith("#"):
            continue
        f = raw.split("\t")
        if f[0] == "station":
            lines += ["A6\t" + f[1], "B4\t" + f[2], "B5\t" + f[3], "B6\t" + f[4]]
        elif f[0] == "backsight":
            lines += ["C6\t" + f[1], "D4\t" + f[2], "D5\t" + f[3], "D6\t" + f[4]]
        elif f[0] == "benchmarks":
            lines += ["E5\t" + f[1], "E6\t" + f[2], "F5\t" + f[3], "F6\t" + f[4]]
        elif f[0] == "point":
            for col, value in zip("ABCDEF", f[1:]):
                if value:
                    lines.append(f"{col}{row}\t{value}")
            row += 1
    return "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, type=pathlib.Path)
    ap.add_argument("--build", type=pathlib.Path)
    ap.add_argument("--oracles", type=pathlib.Path, default=SOURCE.parent / "shared" / "oracles")
    args = ap.parse_args()
    out = args.out
    for t in TARGETS:
        (out / t).mkdir(parents=True, exist_ok=True)
        committed = HERE / "seeds" / t
        if committed.is_dir():
            for f in committed.iterdir():
                shutil.copy(f, out / t / f.name)

    workbooks = []
    if args.build:
        workbooks += sorted((args.build / "examples").glob("*.xlsx"))
        workbooks += sorted((args.build / "bin").glob("*.xltx"))
    if (args.oracles / "workbooks").is_dir():
        for ext in ("*.xlsx", "*.xlsm", "*.xltx"):
            workbooks += sorted((args.oracles / "workbooks").glob(ext))
    for wb in workbooks:
        # Large packages slow every mutation down; the small ones cover the same parts.
        if wb.stat().st_size <= 200_000:
            put(out, "package_bytes", wb.read_bytes())
            put(out, "package_parts", parts_text(wb))

    for name in ("numfmt-input.tsv", "numfmt-excel-csv-cases.tsv"):
        table = args.oracles / name
        if table.is_file():
            with table.open(encoding="utf-8", newline="") as f:
                for row in csv.DictReader(f, delimiter="\t"):
                    put(out, "number_format", row["value"] + "\n" + row["format"])
                    put(out, "numeric_text", row["value"])

    template = SOURCE / "templates" / "work"
    if template.is_dir():
        chunks = [b"--- " + p.relative_to(template).as_posix().encode("utf-8") + b"\n" +
                  p.read_bytes() for p in sorted(template.rglob("*")) if p.is_file()]
        put(out, "package_parts", b"\n".join(chunks))

    for tsv in sorted((SOURCE / "examples").glob("*.tsv")):
        put(out, "calculation", calculation_from_sample(tsv))

    for t in TARGETS:
        print(f"make_seeds: {t}: {len(list((out / t).iterdir()))} seeds", file=sys.stderr)


if __name__ == "__main__":
    main()
