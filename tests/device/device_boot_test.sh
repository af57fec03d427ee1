#!/usr/bin/env bash
# Drives a device of its own from the host through the run command: storage cards and battery from
# its profile, the battery changed from outside, rotation, and a soft reset that ends every program,
# keeps the registry and boots again, starting the StartUp shortcut. Then the same device made from
# each shipped profile in turn, for its Today screen ("today": only that, in a device of its own, so
# that it runs beside the rest).
#   device_boot_test.sh SOURCE_DIR BUILD_DIR [boot|today]
set -u -o pipefail
src=$1 build=$2 part=${3:-all}
work=$build/boottest
[ "$part" = today ] && work=$build/todaytest
. "$src/tests/support/owndevice.sh"
helper() { in_dev 'C:\devicehelper.exe' "$@"; }

if [ "$part" != today ]; then

boot_own_device "WIDTH=480
HEIGHT=640
PLATFORM=PocketPC
OEM=\"Boot Test Handheld\"
LOCALE=en_US.UTF-8
CARDS=\"SD Card|Storage Card=$work/card\"
BATTERY=\"50 8\"" "$work/card"
cp "$build/tests/helpers/devicehelper.exe" "$dev/prefix/drive_c/devicehelper.exe"

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

# Soft reset: a running program ends, the registry stays, StartUp runs at the new boot.
helper regset 4711 || fail "registry write"
helper arm VTBootTest.lnk || fail "arm"
in_dev 'C:\windows\devtool.exe' wait-window VTLingerHelper - 10000 > /dev/null || fail "the lingering helper did not start"
[ -f "$dev/prefix/drive_c/vt-startup-mark.txt" ] && fail "the StartUp shortcut ran before the reset"
helper reset
wait_for 90 grep -q "Soft reset" "$work/run.log" || fail "no soft reset"
wait_for 90 test -f "$dev/prefix/drive_c/vt-startup-mark.txt" || fail "StartUp did not run after the reset"
wait_for 30 in_dev 'C:\windows\devtool.exe' find-window HHTaskbar "" > /dev/null || fail "the shell did not come back"
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
kill $runner
wait $runner 2>/dev/null
[ -f "$dev/shell.pid" ] && fail "the device is still on"
fi

if [ "$part" != boot ]; then
if [ "$part" = today ]; then
  "$vtd" stop "$dev" > /dev/null 2>&1
  rm -rf "$work"
  unset DISPLAY
  copy_made_system
  mkdir -p "$work"
fi

# The Today screen on every shipped profile, in English and in German, on the year's longest date (a
# Wednesday in September, the 30th): the date and the device's name fit their lines whole, the
# text's right-most dark pixel inside the right margin (half a taskbar's height).
for profile in default qvga landscape; do
  { cat "$src/device/profiles/$profile.profile"; echo DATE=2026-09-30; } > "$work/$profile.profile"
  # A new screen size needs a new boot.
  "$vtd" halt "$dev"
  "$vtd" create "$dev" "$work/$profile.profile" > /dev/null || fail "cannot make the device from $profile.profile"
  [ "$part" = today ] && { "$vtd" install "$dev" "$build" > /dev/null || fail "cannot install the suite"; }
  read -r WIDTH HEIGHT < <(. "$work/$profile.profile"; echo "$WIDTH $HEIGHT")
  unit=$(( HEIGHT >= 440 ? 52 : 26 ))
  for locale in en_US.UTF-8 de_DE.UTF-8; do
    shot=$work/today-$profile-${locale%%_*}.png
    VT_NO_STARTUP=1 VT_LOCALE=$locale "$vtd" start "$dev" --own-display || fail "no boot on $profile ($locale)"
    # The first paint comes with the shell's window.
    sleep 0.5
    "$vtd" screenshot "$dev" "$shot" || fail "no screenshot on $profile ($locale)"
    # The dark pixels (text) of the four units below the taskbar: their box, "WxH+X+Y".
    box=$(convert "$shot" -crop "${WIDTH}x$((unit * 4))+0+$unit" +repage -colorspace gray -threshold 50% \
          -negate -format '%@' info:)
    IFS='x+' read -r bw bh bx by <<< "$box"
    [ "$bw" -gt $((WIDTH / 3)) ] && [ "$bh" -gt "$unit" ] || fail "no date and name on $profile ($locale): $box"
    # Clear of the margin's edge: a line cut there would end on it.
    [ $((bx + bw)) -lt $((WIDTH - unit / 2)) ] && [ "$bx" -ge $((unit / 2 - 2)) ] ||
      fail "the text leaves its line on $profile ($locale): $box on a ${WIDTH}-pixel screen, margin $((unit / 2))"
    # Another language is the shell started again in it.
    in_dev 'C:\windows\devtool.exe' close-window HHTaskbar "" > /dev/null
    wait_for 10 eval '! "$vtd" running "$dev"' || fail "the shell did not end on $profile ($locale)"
  done
done
fi
"$vtd" stop "$dev"
echo PASS
