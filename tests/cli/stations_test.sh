#!/usr/bin/env bash
# vardex stations and locate on the example road K7: the point list filled from the sheet
# "线路数据" and saved, calculated and checked; locate's tab-separated lines in both directions,
# the same from the sheet and from the LandXML file; bad requests and bad alignments leave the
# project as it was.
source "$(dirname "$0")/lib.sh"
: "${SAMPLES:?}"
cp "$SAMPLES/road-k7.xlsx" road.xlsx
xml=$SAMPLES/road-k7.xml

run 0 "已填写 69 个点（“数据输入”第 8 行至第 76 行）并保存" "$VARDEX" stations road.xlsx \
  --from K7+300 --to K7+640 --every 20 --offsets=-7.5,0,7.5 --main-points
dump road.xlsx >road.txt
grep -qx $'数据输入!A8\tK7+300' road.txt || fail "A8 is not K7+300"
grep -qx $'数据输入!B8\t-7.5' road.txt || fail "B8 is not the left edge"
grep -qx $'数据输入!A14\tZH K7+324.992' road.txt || fail "JD1's ZH is not in row 14"
grep -qx $'数据输入!A76\tK7+640' road.txt || fail "the list does not end in row 76"
grep -Eq $'^数据输入!F([89]|[1-9][0-9]+)\t' road.txt && fail "measured elevations were written"
run 0 "已计算并保存" "$VARDEX" calc road.xlsx --seed 7
run 0 "一致" "$VARDEX" check road.xlsx

# One line per query and nothing else: station, offset, X, Y, elevation to 4 places, azimuth
# in degrees to 8.
line='K7\+400\.0000	-7\.5000	[0-9]+\.[0-9]{4}	[0-9]+\.[0-9]{4}	[0-9]+\.[0-9]{4}	[0-9]+\.[0-9]{8}'
tsv=$("$VARDEX" locate road.xlsx K7+400/-7.5 K7+400/0 --tsv)
[[ $(wc -l <<<"$tsv") -eq 2 ]] || fail "expected two lines: $tsv"
grep -Eqx "$line" <<<"$(head -1 <<<"$tsv")" || fail "not the tab-separated form: $tsv"
# The same place as the list that stations wrote (row 26 is K7+400, 7.5 m left).
x=$(cut -f3 <<<"$tsv" | head -1)
y=$(cut -f4 <<<"$tsv" | head -1)
grep -qx $'数据输入!A26\tK7+400' road.txt || fail "row 26 is not K7+400"
[[ $(grep $'^数据输入!C26\t' road.txt | cut -f2) == "${x%?}"* ]] || fail "X differs from C26"
# And back again, from the LandXML file: K7+400, 7.5 m left.
run 0 "" "$VARDEX" locate "$xml" --xy "$x,$y" --tsv
[[ $OUT == $'K7+400.0000\t-7.5000' ]] || fail "reverse gave: $OUT"
run 0 "切线方位角" "$VARDEX" locate "$xml" K7+400/-7.5 --xy "$x,$y"
grep -Eq "[0-9]+°[0-9]{2}′[0-9]{2}\.[0-9]{2}″" <<<"$OUT" || fail "no azimuth in d°m′s″"

# Requests the alignment cannot meet, and bad command lines: exit 2, nothing written.
cp road.xlsx before.xlsx
run 2 "桩号 K9\+000\.000 不在线路上" "$VARDEX" stations road.xlsx --from K9+000 --every 20
run 2 "落在断链" "$VARDEX" locate road.xlsx K7+685
run 2 "--every 应为大于 0 的米数" "$VARDEX" stations road.xlsx --every -5
run 2 "请给出 --every、--at 或 --main-points" "$VARDEX" stations road.xlsx --from K7+300
same_bytes before.xlsx road.xlsx

# A bad alignment, a project made before the sheet existed: exit 1, nothing written.
python3 "$XLSX_TOOL" set road.xlsx 线路数据 E6 0 bad.xlsx
cp bad.xlsx bad-before.xlsx
run 1 "工作表“线路数据”单元格 E6：交点“JD1”的半径应大于 0" "$VARDEX" stations bad.xlsx --every 20
same_bytes bad-before.xlsx bad.xlsx
python3 "$XLSX_TOOL" rename-sheet road.xlsx 线路数据 旧表 old.xlsx
cp old.xlsx old-before.xlsx
run 1 "项目中没有工作表“线路数据”" "$VARDEX" stations old.xlsx --every 20
same_bytes old-before.xlsx old.xlsx
# ... whose point list can still be filled from the LandXML file.
run 0 "已填写" "$VARDEX" stations old.xlsx --at K7+400 --alignment "$xml"
echo "stations: ok"
