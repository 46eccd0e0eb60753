#!/usr/bin/env bash
# Installs the build into a staging folder as the package does (DESTDIR, prefix /usr) and runs
# the installed vardex from a folder outside the source and build trees: new, calc and check on
# the installed sample project. The installed programs must find the installed template and
# carry no path into the build tree.
# Environment: CMAKE, BUILD, VERSION, STAGE, GUI (ON/OFF), GUIDE (ON/OFF).
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# expect CODE COMMAND...: runs COMMAND, which must exit with CODE; its output goes to $out.
out=
expect() {
  local code=$1 status=0
  shift
  out=$("$@" 2>&1) || status=$?
  [[ $status == "$code" ]] || fail "$* exited with $status, expected $code: $out"
}

rm -rf "$STAGE"
DESTDIR=$STAGE "$CMAKE" --install "$BUILD" --prefix /usr >/dev/null
usr=$STAGE/usr

# The layout a user and the desktop find.
for file in bin/vardex share/vardex/work.xltx \
  share/vardex/examples/road-k1.xlsx share/vardex/examples/bridge-k3.xlsx \
  share/applications/vardex.desktop share/icons/hicolor/scalable/apps/vardex.svg \
  share/man/man1/vardex.1.gz; do
  [[ -f $usr/$file ]] || fail "not installed: $file"
done
for size in 16 32 48 64 128 256; do
  [[ -f $usr/share/icons/hicolor/${size}x${size}/apps/vardex.png ]] || fail "no ${size}px icon"
done
if [[ $GUI == ON ]]; then
  [[ -x $usr/bin/vardex-gui ]] || fail "vardex-gui not installed"
  [[ -f $usr/share/man/man1/vardex-gui.1.gz ]] || fail "no manual page of vardex-gui"
fi
if [[ $GUIDE == ON ]]; then
  # The pages the desktop application opens by name.
  for page in index cli check example update; do
    [[ -f $usr/share/vardex/guide/$page.html ]] || fail "guide page $page.html not installed"
  done
fi
# The desktop entry starts what is installed, under the icon that is installed.
grep -qx 'Exec=vardex-gui' "$usr/share/applications/vardex.desktop" || fail "desktop entry Exec"
grep -qx 'Icon=vardex' "$usr/share/applications/vardex.desktop" || fail "desktop entry Icon"
# The manual page is compressed roff with the version filled in.
man_head=$(gzip -dc "$usr/share/man/man1/vardex.1.gz" | grep -m1 '^\.TH')
[[ $man_head == *"Vardex $VERSION"* ]] || fail "manual page header: $man_head"

# Nothing installed may lean on the build tree: no run path into it, no template beside it.
for program in "$usr"/bin/*; do
  if readelf -d "$program" 2>/dev/null | grep -E 'R(UN)?PATH' | grep -qF "$BUILD"; then
    fail "$program has a run path into the build tree"
  fi
done
[[ ! -e $usr/bin/work.xltx ]] || fail "template installed beside the programs"

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cd "$run"
vardex=$usr/bin/vardex

expect 0 "$vardex" --version
[[ $out == "vardex $VERSION" ]] || fail "--version printed: $out"

# new: from the installed template; the same file again is refused.
expect 0 "$vardex" new 项目.xlsx
[[ -s 项目.xlsx ]] || fail "new wrote no workbook"
expect 1 "$vardex" new 项目.xlsx
[[ $out == *"文件已存在"* ]] || fail "second new: $out"
# Without the installed template, new fails: it is the one the program found.
mv "$usr/share/vardex/work.xltx" "$usr/share/vardex/work.xltx.away"
expect 1 "$vardex" new 没有模板.xlsx
mv "$usr/share/vardex/work.xltx.away" "$usr/share/vardex/work.xltx"
[[ ! -e 没有模板.xlsx ]] || fail "new wrote a workbook without a template"

# calc and check on the installed sample, copied where the user works.
cp "$usr/share/vardex/examples/road-k1.xlsx" road.xlsx
expect 0 "$vardex" calc road.xlsx --seed 20240501
[[ $out == *"已计算并保存"* ]] || fail "calc: $out"
expect 0 "$vardex" check road.xlsx
[[ $out == *"三张记录表与输入一致"* ]] || fail "check: $out"
# The same seed gives the same record tables.
expect 0 "$vardex" calc "$usr/share/vardex/examples/road-k1.xlsx" --seed 20240501 -o again.xlsx
python3 - road.xlsx again.xlsx <<'PY'
import sys
import zipfile

first, second = (zipfile.ZipFile(path) for path in sys.argv[1:3])
sheets = [n for n in first.namelist() if n.startswith("xl/worksheets/sheet")]
if len(sheets) < 4:
    sys.exit(f"FAIL: only {len(sheets)} sheets in the calculated workbook")
for name in sheets:
    if first.read(name) != second.read(name):
        sys.exit(f"FAIL: {name} differs between two runs with the same seed")
PY
# A record table changed by hand is found.
python3 - road.xlsx edited.xlsx <<'PY'
import re
import sys
import zipfile

source, target = sys.argv[1:3]
with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
    for item in zin.infolist():
        data = zin.read(item.filename)
        if item.filename == "xl/worksheets/sheet2.xml":
            # The back-sight of the start benchmark, B5 of the levelling record, one metre more.
            text = data.decode("utf-8")
            cell = re.search(r'<c r="B5"[^>]*>\s*<v>([^<]+)</v>', text)
            if not cell:
                sys.exit("FAIL: no number in B5 of the levelling record")
            edited = str(float(cell.group(1)) + 1)
            text = text[: cell.start(1)] + edited + text[cell.end(1) :]
            data = text.encode("utf-8")
        zout.writestr(item, data)
PY
expect 3 "$vardex" check edited.xlsx
[[ $out == *"水准表"* ]] || fail "check of a hand-edited record: $out"
echo "install test: installed vardex new/calc/check work from $usr"
