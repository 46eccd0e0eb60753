#!/usr/bin/env bash
# Bad inputs to calc and check: each gives a message naming the file (and sheet and cell where
# there is one), a non-zero exit, and leaves every file byte-identical. Damaged packages and
# missing sheets are the hostile workbook tests' (tests/reliability).
source "$(dirname "$0")/lib.sh"
use_samples
sample=${samples[0]}

run 1 "missing\.xlsx" "$VARDEX" calc missing.xlsx
[[ ! -e missing.xlsx ]] || fail "calc created the missing input"
run 1 "missing\.xlsx" "$VARDEX" check missing.xlsx

printf 'plain text, not a package\n' >text.xlsx
cp text.xlsx text-before.xlsx
run 1 "text\.xlsx" "$VARDEX" calc text.xlsx
same_bytes text-before.xlsx text.xlsx
run 1 "text\.xlsx" "$VARDEX" calc text.xlsx -o out.xlsx
[[ ! -e out.xlsx ]] || fail "a failed calc wrote its output"

# A project without its levelling sheet: the run ends, nothing is saved.
python3 "$XLSX_TOOL" rename-sheet "$sample" 水准表 旧水准表 nosheet.xlsx
cp nosheet.xlsx nosheet-before.xlsx
run 1 "nosheet\.xlsx.*水准表" "$VARDEX" calc nosheet.xlsx
grep -q "文件未保存" <<<"$OUT" || fail "no word that nothing was saved"
same_bytes nosheet-before.xlsx nosheet.xlsx

# Text where a number belongs, in the levelling block and in the plane block.
python3 "$XLSX_TOOL" set "$sample" 数据输入 E6 abc textnum.xlsx
cp textnum.xlsx textnum-before.xlsx
run 1 "textnum\.xlsx：错误13：" "$VARDEX" calc textnum.xlsx
grep -q "E6" <<<"$OUT" || fail "the message does not name cell E6"
! grep -q "Error" <<<"$OUT" || fail "an English error label beside the Chinese one"
grep -q "数据输入" <<<"$OUT" || fail "the message does not name the input sheet"
same_bytes textnum-before.xlsx textnum.xlsx

python3 "$XLSX_TOOL" set "$sample" 数据输入 C8 "北 12" planetext.xlsx
cp planetext.xlsx planetext-before.xlsx
run 1 "planetext\.xlsx.*C8" "$VARDEX" calc planetext.xlsx
same_bytes planetext-before.xlsx planetext.xlsx

# An output path that cannot be written: the input is not touched either.
cp "$sample" good.xlsx
run 1 "out\.xlsx" "$VARDEX" calc good.xlsx -o no-such-folder/out.xlsx
same_bytes "$sample" good.xlsx
echo "bad inputs: ok"
