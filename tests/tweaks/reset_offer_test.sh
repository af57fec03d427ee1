#!/usr/bin/env bash
# In a device of its own driven from the host. Cleaning a folder that holds a link the host made to a
# folder outside it leaves the outside alone. Leaving the main program after a change: No leaves the
# device running; Yes flushes the registry and resets the device, which boots again (StartUp runs) and
# keeps the changed value.
#   reset_offer_test.sh SOURCE_DIR BUILD_DIR
set -u -o pipefail
src=$1 build=$2
work=$build/resetoffertest
. "$src/tests/support/owndevice.sh"

boot_own_device "WIDTH=240
HEIGHT=320
PLATFORM=PocketPC
OEM=\"Reset Offer Handheld\"
LOCALE=en_US.UTF-8"
cp "$build/tests/helpers/devicehelper.exe" "$build/tests/helpers/tweakhelper.exe" "$dev/prefix/drive_c/"
log=$dev/prefix/drive_c/VT.gui.txt

# A cache folder with a subfolder and a link (made by the host) to a folder outside the device.
cache=$dev/prefix/drive_c/vtcache
mkdir -p "$cache/sub" "$work/outside/inner"
echo a > "$cache/a.htm"; echo b > "$cache/sub/b.htm"
echo keep > "$work/outside/keep.txt"; echo keep > "$work/outside/inner/keep.txt"
ln -s "$work/outside" "$cache/link"
out=$(in_dev 'C:\tweakhelper.exe' clean '\vtcache')
[ "$out" = "deleted=2 left=0" ] || fail "cleaning with a link: $out $(cat "$log")"
grep -q "^linked folder skipped C:.vtcache.link$" <(tr -d '\r' < "$log") || fail "the link was not seen: $(cat "$log")"
[ -f "$work/outside/keep.txt" ] && [ -f "$work/outside/inner/keep.txt" ] || fail "cleaning followed the link"
[ -e "$cache/a.htm" ] || [ -e "$cache/sub/b.htm" ] && fail "cleaning left files"
[ -d "$cache/sub" ] && [ -L "$cache/link" ] || fail "cleaning removed a folder"

in_dev 'C:\devicehelper.exe' arm VTResetOffer.lnk || fail "arm"
in_dev 'C:\windows\devtool.exe' wait-window VTLingerHelper - 10000 > /dev/null || fail "the lingering helper did not start"

# No: the question comes, nothing is flushed, the device stays on.
out=$(in_dev 'C:\tweakhelper.exe' exit no)
echo "$out" | grep -qx "returned asked=1" || fail "No: $out"
grep -q "Settings need reset" "$log" && fail "No flushed the registry"
grep -q "Soft reset" "$work/run.log" && fail "No reset the device"
has_window VTLingerHelper - || fail "No ended a program"

# Yes: flushed, reset, booted again; the change survives.
rm -f "$log"
in_dev 'C:\tweakhelper.exe' exit yes > "$work/yes.out" &
wait_for 90 grep -q "Soft reset" "$work/run.log" || fail "Yes did not reset the device: $(cat "$work/yes.out")"
changed=$(grep -o "animate=[0-9]*" "$work/yes.out")
wait_for 90 test -f "$dev/prefix/drive_c/vt-startup-mark.txt" || fail "StartUp did not run after the reset"
wait_window 30 HHTaskbar "" || fail "the shell did not come back"
has_window VTLingerHelper - && fail "a program survived the reset"
[ -n "$changed" ] || fail "no change was made: $(cat "$work/yes.out")"
in_dev 'C:\tweakhelper.exe' animate | grep -qx "$changed" || fail "the change was lost in the reset ($changed)"
grep -q "^Settings need reset, flushing registry\.$" <(tr -d '\r' < "$log") || fail "no flush logged"
grep -q "^Done, going for reset\.$" <(tr -d '\r' < "$log") || fail "no reset logged"
kill $runner
wait $runner 2>/dev/null
echo PASS
