#!/usr/bin/env bash
# vardex.exe on the files a surveyor's Windows laptop has: projects in folders with Chinese names
# (new, calc of one file and of a batch, check), a save over a file that another program holds
# open, a read-only file (replaced only with --force, and read-only again after), and a save into
# a folder that takes no new files.
source "$(dirname "$0")/lib.sh"
use_samples
sample=${samples[0]}

dir="测量项目/K1 桥梁（二）"
mkdir -p "$dir"
run 0 "已新建项目：$dir/新项目\.xlsx" "$VARDEX" new "$dir/新项目.xlsx"
[[ -s "$dir/新项目.xlsx" ]] || fail "new wrote nothing"

cp "$sample" "$dir/水准 K1.xlsx"
cp "$sample" "$dir/放线.xlsx"
run 0 "已计算并保存：$dir/水准 K1\.xlsx" "$VARDEX" calc "$dir/水准 K1.xlsx" --seed 7
grep -qx "Vardex.Seed=7" <(props "$dir/水准 K1.xlsx") || fail "the result was not saved"
run 0 "三张记录表与输入一致" "$VARDEX" check "$dir/水准 K1.xlsx"
run 0 "完成：2 个成功，0 个失败" "$VARDEX" calc "$dir/水准 K1.xlsx" "$dir/放线.xlsx" -j 2 --seed 8
[[ $(ls "$dir" | sort | tr '\n' ' ') == "放线.xlsx 新项目.xlsx 水准 K1.xlsx " ]] ||
  fail "files left beside the projects: $(ls "$dir")"

# Another program reads the file while it is replaced: it goes on reading the old bytes.
cp "$dir/放线.xlsx" before.xlsx
exec 3<"$dir/放线.xlsx"
run 0 "已计算并保存" "$VARDEX" calc "$dir/放线.xlsx" --seed 9
cmp -s before.xlsx /dev/fd/3 || fail "the open file changed under its reader"
exec 3<&-
grep -qx "Vardex.Seed=9" <(props "$dir/放线.xlsx") || fail "the save over the open file was lost"

# Wine shows a file without write permission as read-only.
chmod 444 "$dir/放线.xlsx"
cp "$dir/放线.xlsx" before.xlsx
run 1 "放线\.xlsx.*只读.*--force" "$VARDEX" calc "$dir/放线.xlsx"
same_bytes before.xlsx "$dir/放线.xlsx"
run 0 "已计算并保存" "$VARDEX" calc --force "$dir/放线.xlsx"
[[ $(stat -c %a "$dir/放线.xlsx") == 444 ]] ||
  fail "--force left the file $(stat -c %a "$dir/放线.xlsx"), not read-only"

mkdir -p "只读文件夹"
chmod 555 "只读文件夹"
if ! touch "只读文件夹/probe" 2>/dev/null; then
  run 1 "结果\.xlsx" "$VARDEX" calc "$dir/水准 K1.xlsx" -o "只读文件夹/结果.xlsx"
  [[ -z $(ls "只读文件夹") ]] || fail "files left in the read-only folder: $(ls 只读文件夹)"
else
  echo "skipped: this user may write into read-only folders"
fi
chmod 755 "只读文件夹"
