#!/usr/bin/env bash
# Round trips of real workbooks through xlsx-rewrite, checked by independent readers with the
# shared checker (openpyxl always, LibreOffice with --lo). Run from the project root.
#
#   roundtrip.sh TOOL OUTDIR all                 every shared workbook, opened and saved unchanged
#   roundtrip.sh TOOL OUTDIR corpus DIR          every workbook in DIR saved unchanged, and again
#                                                with a new text written into its first sheet
#   roundtrip.sh TOOL OUTDIR [--lo] FILE [SHEET!REF=VALUE ...]
#                                                one workbook with the given writes, which must be
#                                                the only differences
# Exit status 77 (skipped) when the readers are not installed.
set -u
tool="$1"; outdir="$2"; shift 2
oracles=../shared/oracles
checker="$oracles/roundtrip_check.sh"
[ -x "$checker" ] || { echo "no round-trip checker at $checker: skipped"; exit 77; }

py=""
for cand in "${PYTHON:-}" /usr/bin/python3 $(type -ap python3 2>/dev/null); do
  [ -n "$cand" ] || continue
  if "$cand" -c 'import openpyxl' >/dev/null 2>&1; then py="$cand"; break; fi
done
[ -n "$py" ] || { echo "no python3 with openpyxl: skipped"; exit 77; }
export PYTHON="$py"
mkdir -p "$outdir"

out_name() {  # a template saves as a workbook
  local b; b="$(basename "$1")"
  case "$b" in
    *.xltx) echo "$outdir/${b%.xltx}.out.xlsx" ;;
    *.xltm) echo "$outdir/${b%.xltm}.out.xlsm" ;;
    *) echo "$outdir/${b%.*}.out.${b##*.}" ;;
  esac
}

allow_for() {  # the content types change when a template becomes a workbook
  allow=()
  case "$1" in *.xltx|*.xltm) allow=(--allow-part '[[]Content_Types].xml') ;; esac
}

if [ "$1" = all ]; then
  failed=0
  for f in "$oracles"/workbooks/*.xls[xm] "$oracles"/workbooks/*.xlt[xm]; do
    [ -f "$f" ] || continue
    out="$(out_name "$f")"
    if ! "$tool" "$f" "$out"; then echo "FAIL: xlsx-rewrite $f"; failed=1; continue; fi
    allow_for "$f"
    line="$("$checker" --no-lo "${allow[@]}" "$f" "$out" | tail -n 1)"
    echo "$line"
    case "$line" in "ROUNDTRIP PASS"*) ;; *) failed=1 ;; esac
  done
  exit $failed
fi

if [ "$1" = corpus ]; then
  failed=0
  for f in "$2"/*.xls[xm] "$2"/*.xlt[xm]; do
    [ -f "$f" ] || continue
    out="$(out_name "$f")"
    allow_for "$f"
    if ! "$tool" "$f" "$out"; then echo "FAIL: xlsx-rewrite $f"; failed=1; continue; fi
    line="$("$checker" --no-lo "${allow[@]}" "$f" "$out" | tail -n 1)"
    echo "unchanged $(basename "$f"): $line"
    case "$line" in "ROUNDTRIP PASS"*) ;; *) failed=1 ;; esac
    # The first sheet's name, read without openpyxl (which cannot open some of these files).
    sheet="$("$PYTHON" -c 'import re, sys, zipfile, html
z = zipfile.ZipFile(sys.argv[1])
book = next(n for n in z.namelist() if re.fullmatch(r"xl/workbook\d*\.xml", n))
print(html.unescape(re.search(rb"<(?:\w+:)?sheet\b[^>]*\sname=\"([^\"]*)\"", z.read(book)).group(1).decode()))' "$f")"
    printf '%s\tZ99\t外来文本\n' "$sheet" > "$out.changed.tsv"
    if ! "$tool" "$f" "$out" "$sheet!Z99=外来文本"; then echo "FAIL: xlsx-rewrite $f"; failed=1; continue; fi
    # A workbook without a string table gets one, with its relationship and content type.
    line="$("$checker" --no-lo "${allow[@]}" --allow-part xl/calcChain.xml \
      --allow-part '[[]Content_Types].xml' --allow-part xl/_rels/workbook.xml.rels \
      "$f" "$out" "$out.changed.tsv" | tail -n 1)"
    echo "written $(basename "$f"): $line"
    case "$line" in "ROUNDTRIP PASS"*) ;; *) failed=1 ;; esac
  done
  exit $failed
fi

lo="--no-lo"
if [ "$1" = --lo ]; then
  shift
  command -v "${SOFFICE:-soffice}" >/dev/null 2>&1 || { echo "no LibreOffice: skipped"; exit 77; }
  lo=""
fi
in="$1"; shift
out="$(out_name "$in")"
changed="$out.changed.tsv"
: > "$changed"
for a in "$@"; do
  sheet="${a%%!*}"; rest="${a#*!}"; ref="${rest%%=*}"; value="${rest#*=}"
  [ -n "$value" ] || value="<empty>"
  printf '%s\t%s\t%s\n' "$sheet" "$ref" "$value" >> "$changed"
done
"$tool" "$in" "$out" "$@" || { echo "FAIL: xlsx-rewrite"; exit 1; }
# A written cell loses its formula, so the calculation chain may change.
allow_for "$in"
"$checker" $lo "${allow[@]}" --allow-part xl/calcChain.xml "$in" "$out" "$changed"
