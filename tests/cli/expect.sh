#!/usr/bin/env bash
# expect.sh CODE REGEX COMMAND...: COMMAND must exit with CODE and print a line matching the
# extended REGEX on either stream. CTest's own matching ignores the exit code; this checks both.
set -uo pipefail
want=$1 pattern=$2
shift 2
out=$("$@" 2>&1)
code=$?
printf '%s\n' "$out"
if [[ $code -ne $want ]]; then
  echo "FAIL: exited $code, expected $want" >&2
  exit 1
fi
if ! grep -Eq -- "$pattern" <<<"$out"; then
  echo "FAIL: nothing matches: $pattern" >&2
  exit 1
fi
