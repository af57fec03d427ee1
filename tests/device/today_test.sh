#!/usr/bin/env bash
# The Today screen of one shipped profile, in English and in German, on the year's longest date (a
# Wednesday in September, the 30th): the date and the device's name fit their lines whole, the
# text's right-most dark pixel inside the right margin (half a taskbar's height). A device of its own
# per profile, so that the profiles run side by side.
#   today_test.sh SOURCE_DIR BUILD_DIR PROFILE
set -u -o pipefail
src=$1 build=$2 profile=$3
work=$build/todaytest-$profile
. "$src/tests/support/owndevice.sh"

[ -f "$dev/profile" ] && "$vtd" stop "$dev" > /dev/null 2>&1
rm -rf "$work"
unset DISPLAY
copy_made_system
mkdir -p "$work"
trap '"$vtd" stop "$dev" >/dev/null 2>&1' EXIT
{ cat "$src/device/profiles/$profile.profile"; echo DATE=2026-09-30; } > "$work/$profile.profile"
"$vtd" create "$dev" "$work/$profile.profile" > /dev/null || fail "cannot make the device from $profile.profile"
"$vtd" install "$dev" "$build" > /dev/null || fail "cannot install the suite"
read -r WIDTH HEIGHT < <(. "$work/$profile.profile"; echo "$WIDTH $HEIGHT")
unit=$(( HEIGHT >= 440 ? 52 : 26 ))
for locale in en_US.UTF-8 de_DE.UTF-8; do
  shot=$work/today-$profile-${locale%%_*}.png
  VT_NO_STARTUP=1 VT_LOCALE=$locale "$vtd" start "$dev" --own-display || fail "no boot on $profile ($locale)"
  # The shell's first paint: a screenshot after it has handled what its start queued.
  in_dev 'C:\windows\devtool.exe' settle HHTaskbar "" > /dev/null &&
    in_dev 'C:\windows\devtool.exe' settle DesktopExplorerWindow Desktop > /dev/null ||
    fail "the shell did not settle on $profile ($locale)"
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
"$vtd" stop "$dev"
echo PASS
