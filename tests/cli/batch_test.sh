#!/usr/bin/env bash
# Several inputs are independent jobs: a bad file among good ones fails alone, the good ones are
# calculated, the summary counts both, and the exit is non-zero.
source "$(dirname "$0")/lib.sh"
use_samples

good=()
for i in 1 2 3 4 5; do
  cp "${samples[$((i % ${#samples[@]}))]}" "good$i.xlsx"
  good+=("good$i.xlsx")
done
python3 "$XLSX_TOOL" set "${samples[0]}" 数据输入 F6 "12.3.4" bad.xlsx
cp bad.xlsx bad-before.xlsx

run 1 "完成：5 个成功，1 个失败" "$VARDEX" calc good1.xlsx good2.xlsx bad.xlsx good3.xlsx good4.xlsx \
  good5.xlsx --seed 5 -j 2
grep -q "bad\.xlsx.*F6" <<<"$OUT" || fail "the failed file is not named with its cell"
[[ $(grep -c "已计算并保存" <<<"$OUT") -eq 5 ]] || fail "not every good file was reported saved"
# Output is not a terminal here: no progress bar.
grep -q $'\r' <<<"$OUT" && fail "a progress bar was drawn into a pipe"
same_bytes bad-before.xlsx bad.xlsx
# Jobs share nothing: each result equals what the same file and seed give on their own.
for i in 1 2 3 4 5; do
  source_sample=${samples[$((i % ${#samples[@]}))]}
  run 0 "" "$VARDEX" calc "$source_sample" -o "alone$i.xlsx" --seed 5
  cmp -s <(dump "good$i.xlsx") <(dump "alone$i.xlsx") || fail "good$i.xlsx differs from a lone run"
done
for f in "${good[@]}"; do
  grep -qx "Vardex.Seed=5" <(props "$f") || fail "$f was not calculated"
  run 0 "" "$VARDEX" check "$f"
done

run 0 "完成：2 个成功，0 个失败" "$VARDEX" calc good1.xlsx good2.xlsx

# On a terminal (script(1) from util-linux gives one), a progress bar redrawn in place.
script -qec "'$VARDEX' calc good1.xlsx good2.xlsx good3.xlsx" /dev/null >tty.txt
grep -q $'\r\\[#*-*\\] [0-9]/3' tty.txt || fail "no progress bar on a terminal"
grep -q "完成：3 个成功，0 个失败" tty.txt || fail "no summary on a terminal"
echo "batch: ok"
