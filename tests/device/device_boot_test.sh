#!/usr/bin/env bash
# Drives a device of its own from the host through the run command: storage cards and battery from
# its profile, the battery changed from outside, rotation ("boot"); a soft reset that ends every
# program, keeps the registry and boots again, starting the StartUp shortcut ("reset"). Each part in
# a device of its own, so that they run side by side.
#   device_boot_test.sh SOURCE_DIR BUILD_DIR boot|reset
set -u -o pipefail
src=$1 build=$2 part=$3
work=$build/boottest-$part
. "$src/tests/support/owndevice.sh"
helper() { in_dev 'C:\devicehelper.exe' "$@"; }

boot_own_device "WIDTH=480
HEIGHT=640
PLATFORM=PocketPC
OEM=\"Boot Test Handheld\"
LOCALE=en_US.UTF-8
CARDS=\"SD Card|Storage Card=$work/card\"
BATTERY=\"50 8\"" "$work/card"
cp "$build/tests/helpers/devicehelper.exe" "$dev/prefix/drive_c/devicehelper.exe"

if [ "$part" = boot ]; then
# Cards in the profile's order, the second backed by a host folder; the simulated battery.
echo probe > "$work/card/probe.txt"
out=$(helper report)
echo "$out" | grep -qx "cards=SD Card|Storage Card" || fail "cards: $out"
echo "$out" | grep -qx "battery=50 8" || fail "battery from the profile: $out"
echo "$out" | grep -qx "probe=1" || fail "the card's host folder is not in the device: $out"

# A card never takes the place of a folder of the device's own; the refused profile changes nothing.
printf 'OEM="Bad"\nCARDS="windows=%s"\n' "$work/card" > "$work/bad.profile"
out=$("$vtd" create "$dev" "$work/bad.profile" 2>&1) && fail "a card named like the Windows folder was accepted"
echo "$out" | grep -q "of its own" || fail "no clear refusal: $out"
[ -f "$dev/prefix/drive_c/windows/shell32.exe" ] || fail "the Windows folder was touched"
grep -q "Boot Test Handheld" "$dev/profile" || fail "the refused profile replaced the device's"

# Installing again while Vantora runs replaces its program file instead of writing into it; a copy
# that fails is reported.
in_dev 'C:\windows\devtool.exe' wait-window VANTORA Vantora 20000 > /dev/null || fail "Vantora did not start"
installed="$dev/prefix/drive_c/Program Files/Vantora"
before=$(stat -c %i "$installed/Vantora.exe")
touch "$build/bin/Vantora.exe"
"$vtd" install "$dev" "$build" || fail "installing over a running Vantora"
[ "$(stat -c %i "$installed/Vantora.exe")" != "$before" ] || fail "the running program's file was written over"
cmp -s "$build/bin/Vantora.exe" "$installed/Vantora.exe" || fail "the new program was not installed"
in_dev 'C:\windows\devtool.exe' find-window VANTORA Vantora > /dev/null || fail "the running Vantora ended"
rm -f "$installed/help.html"
mkdir -p "$installed/help.html/in-the-way"
out=$("$vtd" install "$dev" "$build" 2>&1) && fail "a failed copy was reported as success"
echo "$out" | grep -q "cannot copy .*help.html" || fail "the failed copy was not named: $out"
rm -rf "$installed/help.html"

# The battery changes from outside while programs run; bad values are refused.
"$vtd" battery "$dev" 20 0 || fail "battery 20 0"
helper report | grep -qx "battery=20 0" || fail "battery after the change"
"$vtd" battery "$dev" 300 0 2>/dev/null && fail "battery 300 accepted"
"$vtd" battery "$dev" host || fail "battery host"
helper report | grep -qx "battery=20 0" && fail "battery still simulated after host"

# Rotation both ways.
"$vtd" rotate "$dev" | grep -q "640x480" || fail "rotate to landscape"
"$vtd" rotate "$dev" portrait | grep -q "480x640" || fail "rotate to portrait"

fi

if [ "$part" = reset ]; then
# Soft reset: a running program ends, the registry stays, StartUp runs at the new boot.
helper regset 4711 || fail "registry write"
helper arm VTBootTest.lnk || fail "arm"
in_dev 'C:\windows\devtool.exe' wait-window VTLingerHelper - 10000 > /dev/null || fail "the lingering helper did not start"
[ -f "$dev/prefix/drive_c/vt-startup-mark.txt" ] && fail "the StartUp shortcut ran before the reset"
helper reset
wait_for 90 grep -q "Soft reset" "$work/run.log" || fail "no soft reset"
wait_for 90 test -f "$dev/prefix/drive_c/vt-startup-mark.txt" || fail "StartUp did not run after the reset"
wait_window 30 HHTaskbar "" || fail "the shell did not come back"
in_dev 'C:\windows\devtool.exe' find-window VTLingerHelper - > /dev/null && fail "a program survived the reset"
[ "$(grep -c started "$dev/prefix/drive_c/vt-startup-mark.txt")" = 1 ] || fail "StartUp ran more than once"
helper regget | grep -qx "value=4711" || fail "the registry lost a flushed value"
# Every program of the device, those it started itself after the reset included, runs with the
# host's address randomization off.
seen=0 randomized=""
for p in $("$vtd" pids "$dev"); do
  read -r persona < "/proc/$p/personality" || continue
  seen=$((seen + 1))
  (( 16#$persona & 16#40000 )) || randomized="$randomized $p"
done
[ "$seen" -ge 3 ] && [ -z "$randomized" ] || fail "device programs: $seen, with randomized addresses:$randomized"
[ -f "$dev/prefix/drive_c/vt-reset-returned.txt" ] && fail "the reset call returned to its caller"
fi
kill $runner
wait $runner 2>/dev/null
[ -f "$dev/shell.pid" ] && fail "the device is still on"
"$vtd" stop "$dev"
echo PASS
