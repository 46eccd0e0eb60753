#!/usr/bin/env bash
# vardex calc and check on the sample projects: reproducible with a seed, different without the
# same seed, recorded in the document properties, the input left alone when -o is given, and
# every calculated workbook passing the record checks.
source "$(dirname "$0")/lib.sh"
use_samples

for sample in "${samples[@]}"; do
  name=$(basename "$sample" .xlsx)
  cp "$sample" "$name.xlsx"

  run 0 "已计算并保存：$name-a.xlsx" "$VARDEX" calc "$name.xlsx" -o "$name-a.xlsx" --seed 42
  run 0 "" "$VARDEX" calc "$name.xlsx" -o "$name-b.xlsx" --seed=42
  run 0 "" "$VARDEX" calc "$name.xlsx" -o "$name-c.xlsx" --seed 43
  same_bytes "$sample" "$name.xlsx"

  dump "$name-a.xlsx" >a.txt
  dump "$name-b.xlsx" >b.txt
  dump "$name-c.xlsx" >c.txt
  dump "$name.xlsx" >input.txt
  cmp -s a.txt b.txt || { diff a.txt b.txt | head; fail "$name: the same seed gave different cells"; }
  cmp -s a.txt c.txt && fail "$name: seeds 42 and 43 gave identical records"
  cmp -s a.txt input.txt && fail "$name: calc changed no cell"
  grep -q "^水准表!A5	" a.txt || fail "$name: no levelling record in row 5"
  grep -q "^放线记录表!" a.txt || fail "$name: no stake-out record"
  # Only the record sheets change: the surveyor's input stays as typed.
  diff <(grep "^数据输入!" input.txt) <(grep "^数据输入!" a.txt) || fail "$name: the input sheet changed"

  # The run ends with the levelling table shown, whichever sheet was shown before.
  [[ $(python3 "$XLSX_TOOL" active "$name-a.xlsx") == 水准表 ]] || fail "$name: 水准表 not shown"

  props "$name-a.xlsx" >props.txt
  grep -qx "Vardex.Generator=Vardex" props.txt || fail "$name: no generator property"
  grep -qx "Vardex.Seed=42" props.txt || fail "$name: seed not recorded"
  grep -Eqx "Vardex.Version=[0-9]+\.[0-9]+\.[0-9]+" props.txt || fail "$name: version not recorded"
  grep -Eqx "Vardex.Date=[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z" props.txt || fail "$name: no date"
  grep -qx "Vardex.Setting.staff-max=4.8" props.txt || fail "$name: settings not recorded"

  run 0 "三张记录表与输入一致" "$VARDEX" check "$name-a.xlsx"

  # In place, without a seed: a seed is drawn and recorded so that the run can be repeated.
  run 0 "已计算并保存：$name.xlsx" "$VARDEX" calc "$name.xlsx"
  seed=$(props "$name.xlsx" | sed -n 's/^Vardex.Seed=//p')
  [[ $seed =~ ^[0-9]+$ ]] || fail "$name: no seed recorded for a run without --seed"
  run 0 "" "$VARDEX" calc "$sample" -o "$name-again.xlsx" --seed "$seed"
  cmp -s <(dump "$name.xlsx") <(dump "$name-again.xlsx") ||
    fail "$name: the recorded seed does not reproduce the run"
  run 0 "三张记录表与输入一致" "$VARDEX" check "$name.xlsx"
done

# Settings given as options are used and recorded; check reads them back from the workbook
# (millimetre readings would fail a check against the default metre settings).
sample=${samples[0]}
run 0 "" "$VARDEX" calc "$sample" -o mm.xlsx --seed 7 --readings-in-mm --prefix=TP --no-mid-points \
  --mid-tol-minus -1 --mid-tol-plus=1 --plane-tol-minus=-2 --plane-tol-plus 2
grep -qx "Vardex.Setting.prefix=TP" <(props mm.xlsx) || fail "prefix not recorded"
grep -qx "Vardex.Setting.readings-in-meters=false" <(props mm.xlsx) || fail "mm switch not recorded"
run 0 "三张记录表与输入一致" "$VARDEX" check mm.xlsx
run 3 "水准表" "$VARDEX" check mm.xlsx --readings-in-mm=false

# A string table that a program wrote in UTF-16 is read, and written back (as UTF-8) with the
# new texts: the same records as from the UTF-8 original.
python3 "$XLSX_TOOL" utf16 "$sample" xl/sharedStrings.xml utf16.xlsx
run 0 "" "$VARDEX" calc "$sample" -o utf8-result.xlsx --seed 11
run 0 "已计算并保存：utf16.xlsx" "$VARDEX" calc utf16.xlsx --seed 11
cmp -s <(dump utf8-result.xlsx) <(dump utf16.xlsx) || fail "the UTF-16 string table gave other cells"
# Every part written with a namespace prefix, as writers on the .NET Open XML SDK do: the new
# texts, cells, styles and properties go into the parts in that form, and any reader sees the same
# records and properties as from the plain original (the second time with a property part there).
python3 "$XLSX_TOOL" prefix "$sample" prefixed.xlsx
python3 "$XLSX_TOOL" prefix utf8-result.xlsx prefixed-again.xlsx
for file in prefixed.xlsx prefixed-again.xlsx; do
  run 0 "已计算并保存：$file" "$VARDEX" calc $file --seed 11
  cmp -s <(dump utf8-result.xlsx) <(dump $file) || fail "$file: other cells"
  cmp -s <(props utf8-result.xlsx | grep -v Date=) <(props $file | grep -v Date=) ||
    fail "$file: other properties"
  run 0 "三张记录表与输入一致" "$VARDEX" check $file
done
echo "calc: ok"
