#!/usr/bin/env bash
# calc on a file that something else holds or has marked: another run keeps it (the second run
# waits for it, or gives up after five seconds with the file unchanged), pairs of runs started
# together (both succeed: what each reports is true), a read-only file (replaced only with
# --force, and still read-only) and a symbolic link (the file it leads to is replaced, the link
# stays).
source "$(dirname "$0")/lib.sh"
use_samples
sample=${samples[0]}

# hold FILE SECONDS: holds the lock that vardex runs take on FILE for SECONDS, in the background;
# returns once the lock is taken.
hold() {
  rm -f held
  python3 -c '
import fcntl, sys, time
f = open(sys.argv[1], "rb")
fcntl.flock(f, fcntl.LOCK_EX)
open("held", "w").close()
time.sleep(float(sys.argv[2]))' "$1" "$2" &
  while [[ ! -e held ]]; do sleep 0.05; done
}

cp "$sample" p.xlsx
hold p.xlsx 1.5
start=$SECONDS
run 0 "已计算并保存：p\.xlsx" "$VARDEX" calc p.xlsx --seed 7
((SECONDS - start >= 1)) || fail "calc did not wait for the run that held the file"
wait
grep -qx "Vardex.Seed=7" <(props p.xlsx) || fail "the run that waited did not save its result"

cp "$sample" p.xlsx
cp p.xlsx p-before.xlsx
hold p.xlsx 8
run 1 "p\.xlsx.*另一个 Vardex 程序正在计算或保存" "$VARDEX" calc p.xlsx
wait
same_bytes p-before.xlsx p.xlsx

# Runs started together take turns; both succeed and both results were saved in turn.
for pair in 1 2 3 4 5 6; do
  cp "$sample" p.xlsx
  code_a=0 code_b=0
  "$VARDEX" calc p.xlsx --seed 1 >a.out 2>&1 &
  "$VARDEX" calc p.xlsx --seed 2 >b.out 2>&1 || code_b=$?
  wait $! || code_a=$?
  [[ $code_a -eq 0 && $code_b -eq 0 ]] || { cat a.out b.out; fail "pair $pair: exits $code_a and $code_b"; }
  grep -q "已计算并保存" a.out && grep -q "已计算并保存" b.out || fail "pair $pair: a run did not report its save"
  run 0 "三张记录表与输入一致" "$VARDEX" check p.xlsx
done

cp "$sample" ro.xlsx
chmod 444 ro.xlsx
cp ro.xlsx ro-before.xlsx
run 1 "ro\.xlsx.*只读.*--force" "$VARDEX" calc ro.xlsx
same_bytes ro-before.xlsx ro.xlsx
run 0 "已计算并保存" "$VARDEX" calc --force ro.xlsx
[[ $(stat -c %a ro.xlsx) == 444 ]] || fail "--force left the file $(stat -c %a ro.xlsx), not read-only"

mkdir -p real
cp "$sample" real/linked.xlsx
ln -sf real/linked.xlsx link.xlsx
run 0 "已计算并保存：link\.xlsx" "$VARDEX" calc link.xlsx --seed 9
[[ -L link.xlsx ]] || fail "the link was replaced by a file"
grep -qx "Vardex.Seed=9" <(props real/linked.xlsx) || fail "the linked file was not calculated"
[[ $(ls real) == linked.xlsx ]] || fail "files left beside the linked file: $(ls real)"
