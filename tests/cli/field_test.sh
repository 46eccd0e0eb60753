#!/usr/bin/env bash
# The field data commands on the bundled example field files: a levelling line from two GSI-16
# files, the other formats, bad field files (exit 1, the project untouched), stake-out import and
# every export format read back by the import.
source "$(dirname "$0")/lib.sh"
: "${SAMPLES:?}"
FIELD=$(cd "$(dirname "$0")/../../examples/field" && pwd)

cp "$SAMPLES/road-k1.xlsx" road.xlsx
cp "$SAMPLES/bridge-k3.xlsx" bridge.xlsx
run 0 "" "$VARDEX" calc road.xlsx --seed 3
run 0 "" "$VARDEX" calc bridge.xlsx --seed 3

# Two files, one line: all 25 road points matched, the kerb check point CK1 listed, the record
# checks, and the files are named with their SHA-256 in the workbook.
run 0 "与“数据输入”匹配的点：25 个" "$VARDEX" level road.xlsx "$FIELD/road-k1-a.gsi" \
  "$FIELD/road-k1-b.gsi" --distribute n -o level.xlsx
grep -q "CK1（文件“road-k1-a.gsi”第 30 行）" <<<"$OUT" || fail "CK1 not listed"
grep -q "闭合差 +3.4 mm，允许 ±6√n=±15 mm：合格" <<<"$OUT" || fail "no misclosure line"
run 0 "一致" "$VARDEX" check level.xlsx
props level.xlsx >props.txt
sum=$(sha256sum "$FIELD/road-k1-a.gsi" | cut -d' ' -f1)
grep -qx "Vardex.Levelling.FieldFiles=$sum  road-k1-a.gsi" props.txt || fail "file digest not recorded"
grep -qx "Vardex.Levelling.Source=field" props.txt || fail "source not recorded"
# The record as another reader sees it: turning points as observed, the closing rows.
dump level.xlsx >level.txt
grep -qx "水准表!A5	BM7" level.txt || fail "start benchmark"
grep -q "^水准表!I[0-9]*	项目中无此点$" level.txt || fail "no remark on CK1"
grep -q "^水准表!B[0-9]*	合格：闭合差在允许范围内$" level.txt || fail "no verdict"

# calc makes every table a generated one again: the field data record is forgotten.
run 0 "" "$VARDEX" calc level.xlsx -o recalc.xlsx --seed 4
if grep -q "^Vardex.Levelling" <(props recalc.xlsx); then fail "field source kept after calc"; fi
run 0 "一致" "$VARDEX" check recalc.xlsx

# BM8 known 20 mm lower: +23.4 mm is beyond 四等 ±6√6 = 14.7 mm, within 图根 ±12√6 = 29.4 mm.
# Beyond is written, marked, and exit 3.
python3 "$XLSX_TOOL" set road.xlsx 数据输入 F6 112.895 lower.xlsx
run 3 "闭合差 \+23.4 mm，允许 ±6√n=±15 mm：超限" "$VARDEX" level lower.xlsx "$FIELD/road-k1-a.gsi" \
  "$FIELD/road-k1-b.gsi" -o strict.xlsx
run 0 "一致" "$VARDEX" check strict.xlsx
run 0 "允许 ±12√n=±29 mm：合格" "$VARDEX" level lower.xlsx "$FIELD/road-k1-a.gsi" \
  "$FIELD/road-k1-b.gsi" --level-class 图根 -o lenient.xlsx

# The bridge line in the other formats: a GBK field book with Chinese names, M5 and GSI-8.
run 0 "与“数据输入”匹配的点：17 个" "$VARDEX" level bridge.xlsx "$FIELD/bridge-k3-fieldbook.csv" -o b1.xlsx
run 0 "" "$VARDEX" level bridge.xlsx "$FIELD/bridge-k3.m5" -o b2.xlsx
run 0 "" "$VARDEX" level bridge.xlsx "$FIELD/bridge-k3-gsi8.gsi" -o b3.xlsx
for f in b1 b2 b3; do run 0 "一致" "$VARDEX" check $f.xlsx; done

# Bad field files: the message names file and line, nothing is written.
cp road.xlsx before.xlsx
printf '*110001+0000000000000BM7 331.08+00000001523\r\n' >truncated.gsi
run 1 "文件“truncated.gsi”第 1 行" "$VARDEX" level road.xlsx truncated.gsi
printf 'just a note\n' >note.txt
run 1 "文件“note.txt”第 1 行：不是可识别的水准观测文件" "$VARDEX" level road.xlsx note.txt
run 1 "文件“missing.gsi”" "$VARDEX" level road.xlsx missing.gsi
run 1 "起点“BM12”不是项目的起始水准点“BM7”" "$VARDEX" level road.xlsx "$FIELD/bridge-k3.m5"
same_bytes before.xlsx road.xlsx
run 2 "闭合差分配方式“x”无法识别" "$VARDEX" level road.xlsx "$FIELD/road-k1-a.gsi" --distribute x
run 2 "请检查水准测量等级" "$VARDEX" level road.xlsx "$FIELD/road-k1-a.gsi" --level-class 五等
same_bytes before.xlsx road.xlsx

# Surveyed coordinates: CSV with a BOM, GSI-16, and the DAT convention in GBK.
run 3 "超出平面位置误差的点（1 个" "$VARDEX" stakeout-import road.xlsx "$FIELD/road-k1-stakeout.csv" -o s1.xlsx
run 0 "一致" "$VARDEX" check s1.xlsx
run 3 "实测 24 个" "$VARDEX" stakeout-import road.xlsx "$FIELD/road-k1-stakeout.gsi" -o s2.xlsx
run 3 "未测" "$VARDEX" stakeout-import bridge.xlsx "$FIELD/bridge-k3-stakeout.dat" -o s3.xlsx
run 0 "一致" "$VARDEX" check s3.xlsx
grep -q "^平面位置检测表!P[0-9]*	.*超限$" <(dump s1.xlsx) || fail "no 超限 mark"

# Every export reads back through the import to the design coordinates: no deviation at all.
for format in csv dat gsi16 dxf landxml; do
  run 0 "已导出 27 个点" "$VARDEX" stakeout-export road.xlsx -o "points.$format" --format $format
  run 0 "实测 25 个" "$VARDEX" stakeout-import road.xlsx "points.$format" -o "back-$format.xlsx"
  if grep -q "超限" <<<"$OUT"; then fail "$format: deviations after a round trip"; fi
done
run 0 "" "$VARDEX" stakeout-export road.xlsx -o gbk.csv --format csv --encoding gbk
iconv -f gbk -t utf-8 gbk.csv | grep -q "^K1+240左12.5米," || fail "GBK export"
run 2 "文件格式“shp”无法识别" "$VARDEX" stakeout-export road.xlsx -o x.shp --format shp
echo "field: ok"
