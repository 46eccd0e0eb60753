# Shared by the command-line test scripts. Expects VARDEX (the binary), XLSX_TOOL (xlsx_tool.py)
# and WORK (a scratch folder of this test, emptied here) in the environment.
set -euo pipefail

: "${VARDEX:?}" "${XLSX_TOOL:?}" "${WORK:?}"
rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# run CODE REGEX COMMAND...: runs COMMAND, which must exit with CODE and print (on either stream)
# a line matching the extended REGEX (no check when REGEX is empty). Leaves the output in $OUT.
run() {
  local want=$1 pattern=$2
  shift 2
  local code=0
  OUT=$("$@" 2>&1) || code=$?
  printf '%s\n' "$OUT"
  [[ $code -eq $want ]] || fail "'$*' exited $code, expected $want"
  if [[ -n $pattern ]] && ! grep -Eq -- "$pattern" <<<"$OUT"; then
    fail "'$*' printed nothing matching: $pattern"
  fi
}

# same_bytes A B: the two files are byte-identical (an input must survive a failure untouched).
same_bytes() {
  cmp -s "$1" "$2" || fail "$2 was changed"
}

# use_samples: the sample projects in $SAMPLES, into the array `samples`.
use_samples() {
  : "${SAMPLES:?}"
  shopt -s nullglob
  samples=("$SAMPLES"/*.xlsx)
  ((${#samples[@]} > 0)) || fail "no sample projects in $SAMPLES"
}

dump() { python3 "$XLSX_TOOL" dump "$1"; }
props() { python3 "$XLSX_TOOL" props "$1"; }
