#!/usr/bin/env bash
# Help lines up its descriptions in one column on a terminal, where a Chinese character takes two
# columns: type names such as "文件" and "整数" must not shift the text after them.
source "$(dirname "$0")/lib.sh"

for command in calc check stations; do
  run 0 "" "$VARDEX" "$command" --help
  printf '%s\n' "$OUT" | python3 -c '
import re, sys, unicodedata
def width(s):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in s)
starts = {}
for line in sys.stdin:
    m = re.match(r"(  -\S.*?\S  +)\S", line)
    if m:
        starts[line.split()[0]] = width(m.group(1))
if len(starts) < 3 or len(set(starts.values())) != 1:
    sys.exit(f"descriptions start in different columns: {starts}")
' || fail "$command --help: columns out of line"
done
