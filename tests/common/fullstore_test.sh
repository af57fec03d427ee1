#!/usr/bin/env bash
# Saves into a full store, in the shared test device: a folder of the host that is a store of its own
# (a small tmpfs), filled to the last byte. The task database and the benchmark's result file saved
# there fail, say why in the log, and leave the old files byte for byte and no temporary behind; once
# there is room again the next saves go through.
#   fullstore_test.sh SOURCE_DIR BUILD_DIR
set -u -o pipefail
src=$1 build=$2
dev=$("$src/tests/support/testdevice" dir "$build/testdevice")
vtd=$src/device/vtdevice
work=$build/fullstoretest
store=$work/store
fail() { echo "FAIL: $*"; exit 1; }

# A store of its own needs a mount, which needs root.
[ "$(id -u)" = 0 ] || { echo "SKIP: making a small store needs root"; exit 77; }
# A run killed before its cleanup left its store mounted.
mountpoint -q "$store" && umount -l "$store"
rm -rf "$work"
mkdir -p "$store"
mount -t tmpfs -o size=8m,mode=0755 vtfullstore "$store" || { echo "SKIP: cannot mount a small store"; exit 77; }
trap 'umount -l "$store" 2>/dev/null; rm -rf "$work"' EXIT

win() { printf 'Z:%s' "$1" | tr / '\\'; }
helper="$store/savehelper.exe"
cp "$build/tests/helpers/savehelper.exe" "$helper"
run() { "$vtd" exec "$dev" "$(win "$helper")" "$@" > /dev/null 2>&1 < /dev/null; }
gui=$dev/prefix/drive_c/VT.gui.txt
bench=$dev/prefix/drive_c/VT.benchmark.txt

run expect "$(win "$work/want")" || fail "the helper did not write the expected databases"
run db "$(win "$store/Settings.db")" 1 || fail "first save of the database"
cmp -s "$store/Settings.db" "$work/want.0" || fail "first save is not database A"
run result 1 || fail "first save of the result"
cp "$store/benchmark.dat" "$work/result.before"

# Every byte of the store taken.
head -c 16M /dev/zero > "$store/filler" 2>/dev/null
[ "$(df --output=avail "$store" | tail -n1 | tr -d ' ')" = 0 ] || fail "the store is not full"

run db "$(win "$store/Settings.db")" 2 log && fail "saves into a full store reported success"
cmp -s "$store/Settings.db" "$work/want.0" || fail "a failed save changed the database"
run result 1 log && fail "a result save into a full store reported success"
cmp -s "$store/benchmark.dat" "$work/result.before" || fail "a failed save changed benchmark.dat"
ls "$store" | grep -q '\.new$' && fail "a failed save left its temporary: $(ls "$store")"
dbw=$(win "$store/Settings.db")
tr -d '\r' < "$gui" | grep -qF "Save of [$dbw] failed: cannot write the new file [error 112]." ||
  fail "the log does not say the store was full: $(tr -d '\r' < "$gui" | grep -F "$dbw" | tail -n 3)"
tr -d '\r' < "$gui" | grep -qF "Settings.db not written [error 112]." || fail "the database save's own line is missing"
tr -d '\r' < "$bench" | grep -qF "Cannot write [$(win "$store/benchmark.dat")] [error 112]" ||
  fail "the benchmark's log does not say the store was full"

# Room again: the saves go through.
rm -f "$store/filler"
run db "$(win "$store/Settings.db")" 2 || fail "a save with room again failed"
cmp -s "$store/Settings.db" "$work/want.1" || fail "the save with room again is not database B"
run result 2 || fail "a result save with room again failed"
cmp -s "$store/benchmark.dat" "$work/result.before" && fail "the result save with room again changed nothing"
echo PASS
