#!/usr/bin/env bash
# vardex check catches records edited by hand after the calculation, naming sheet and cell.
source "$(dirname "$0")/lib.sh"
use_samples

run 0 "" "$VARDEX" calc "${samples[0]}" -o calc.xlsx --seed 11
run 0 "一致" "$VARDEX" check calc.xlsx

# The start benchmark's back-sight, 7 mm off: the line of sight no longer follows.
dump calc.xlsx >calc.txt
b5=$(sed -n 's/^水准表!B5	//p' calc.txt)
[[ -n $b5 ]] || fail "no back-sight in B5"
python3 "$XLSX_TOOL" set calc.xlsx 水准表 B5 "$(python3 -c "print(round($b5 + 0.007, 3))")" edited.xlsx
cp edited.xlsx edited-before.xlsx
run 3 "工作表“水准表”单元格 [A-Z]+[0-9]+：" "$VARDEX" check edited.xlsx
grep -q "发现 [0-9]* 处问题" <<<"$OUT" || fail "no count of findings"
same_bytes edited-before.xlsx edited.xlsx

# A coordinate of the inspection table moved by 2 cm: it no longer agrees with the input sheet
# and the stake-out record.
cell=$(grep -m1 -E "^平面位置检测表![A-Z]+[0-9]+	[0-9]{6,}\.[0-9]+$" calc.txt | cut -f1)
[[ -n $cell ]] || fail "no coordinate found on the inspection table"
value=$(grep -m1 "^$cell	" calc.txt | cut -f2)
python3 "$XLSX_TOOL" set calc.xlsx 平面位置检测表 "${cell#*!}" \
  "$(python3 -c "print(round($value + 0.02, 4))")" plane-edited.xlsx
run 3 "工作表“(平面位置检测表|放线记录表)”单元格" "$VARDEX" check plane-edited.xlsx

# A workbook never calculated by Vardex is checked against the defaults, with a note.
run 3 "没有 Vardex 的生成记录" "$VARDEX" check "${samples[0]}"

# Bad and good together: the worst outcome decides the exit code.
run 1 "missing\.xlsx" "$VARDEX" check calc.xlsx missing.xlsx edited.xlsx
echo "check: ok"
