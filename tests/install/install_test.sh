#!/usr/bin/env bash
# Installs the build into a staging folder as the package does (DESTDIR, prefix /usr) and runs
# the installed vardex from a folder outside the source and build trees: new, calc and check on
# the installed sample project. The installed programs must find the installed template and
# carry no path into the build tree.
# Environment: CMAKE, BUILD, VERSION, STAGE, GUI (ON/OFF), GUIDE (ON/OFF), CLI_LIB (the command-line
# tests' lib.sh, for fail and run) and XLSX_TOOL.
set -euo pipefail
rm -rf "$STAGE"
DESTDIR=$STAGE "$CMAKE" --install "$BUILD" --prefix /usr >/dev/null
usr=$STAGE/usr
# The commands run from a folder outside the source and build trees.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
VARDEX=$usr/bin/vardex
source "$CLI_LIB"

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
# The desktop entry starts what is installed, under the icon that is installed, with the file a
# file manager opens with it.
grep -qx 'Exec=vardex-gui %f' "$usr/share/applications/vardex.desktop" || fail "desktop entry Exec"
grep -q '^MimeType=.*application/vnd.openxmlformats-officedocument.spreadsheetml.sheet;' \
  "$usr/share/applications/vardex.desktop" || fail "desktop entry MimeType"
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

run 0 "^vardex ${VERSION//./\\.}$" "$VARDEX" --version

# new: from the installed template; the same file again is refused.
run 0 "" "$VARDEX" new 项目.xlsx
[[ -s 项目.xlsx ]] || fail "new wrote no workbook"
run 1 "文件已存在" "$VARDEX" new 项目.xlsx
# Without the installed template, new fails: it is the one the program found.
mv "$usr/share/vardex/work.xltx" "$usr/share/vardex/work.xltx.away"
run 1 "" "$VARDEX" new 没有模板.xlsx
mv "$usr/share/vardex/work.xltx.away" "$usr/share/vardex/work.xltx"
[[ ! -e 没有模板.xlsx ]] || fail "new wrote a workbook without a template"

# calc and check on the installed sample, copied where the user works. (Seeds, hand-edited
# records and the rest of the commands' behaviour are the command-line tests'.)
cp "$usr/share/vardex/examples/road-k1.xlsx" road.xlsx
run 0 "已计算并保存" "$VARDEX" calc road.xlsx --seed 20240501
run 0 "三张记录表与输入一致" "$VARDEX" check road.xlsx
echo "install test: installed vardex new/calc/check work from $usr"
