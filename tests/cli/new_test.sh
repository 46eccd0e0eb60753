#!/usr/bin/env bash
# vardex new: a project from the template beside the program, never over an existing file
# unless asked, and the project-creation message when the template is missing.
source "$(dirname "$0")/lib.sh"

# A folder that does not exist is an error naming the file, not a crash.
run 1 "新项目.xlsx" "$VARDEX" new "项目 一/新项目.xlsx"
mkdir "项目 一"
run 0 "已新建项目：项目 一/新项目.xlsx" "$VARDEX" new "项目 一/新项目.xlsx"
grep -q "^数据输入!" <(dump "项目 一/新项目.xlsx") || fail "the new project lacks the input sheet's headings"

# A second new must not replace the user's work.
cp "项目 一/新项目.xlsx" before.xlsx
run 1 "已存在.*--force" "$VARDEX" new "项目 一/新项目.xlsx"
same_bytes before.xlsx "项目 一/新项目.xlsx"

echo "not a workbook" >"项目 一/新项目.xlsx"
run 0 "已新建项目" "$VARDEX" new --force "项目 一/新项目.xlsx"
grep -q "^数据输入!" <(dump "项目 一/新项目.xlsx") || fail "--force did not write a project"

# Without the template the program says so as the desktop app would, and writes nothing.
mkdir lonely
cp "$VARDEX" lonely/vardex
# The Windows build's bin/vardex starts the vardex.exe beside it.
if [[ -e $VARDEX.exe ]]; then cp "$VARDEX.exe" lonely/; fi
run 1 "^错误1004$" lonely/vardex new orphan.xlsx
grep -q "^发生错误，错误内容：$" <<<"$OUT" || fail "no project-creation message"
grep -q "work.xltx" <<<"$OUT" || fail "the message does not name the template"
[[ ! -e orphan.xlsx ]] || fail "a project was written without a template"
echo "new: ok"
