#!/usr/bin/env bash
# In a device of its own driven from the host: the whole suite running (main program, monitor, close
# button, battery bar) and a program kept at a stored level, settings changed, the battery bar switched
# off, then a soft reset from the main program and afterwards a switch-off and a new boot. After each:
# the StartUp folder brings back exactly the companions left on (one copy each), the monitor puts the
# kept program back to its level, the first-run copies are not taken again, and every change is there.
#   reset_suite_test.sh SOURCE_DIR BUILD_DIR
set -u -o pipefail
src=$1 build=$2
work=$build/resetsuitetest
. "$src/tests/support/owndevice.sh"
helper() { in_dev 'C:\tweakhelper.exe' "$@"; }
# The count of running copies; a listing that failed says so instead of reading as none.
copies() {
  local out
  out=$(helper levels "$1" 2>&1) || { echo "no listing (exit $?): $out"; return; }
  grep -c '^process' <<< "$out"
}
one_copy() { [ "$(copies "$1")" = 1 ]; }
kept_at_1() { helper levels $kept | grep -Eqx 'process( 1)+'; }
# The kept program's name fills a record's name field to the last character (no terminator stored).
kept=keeplevelhelper1.exe

boot_own_device "WIDTH=480
HEIGHT=640
PLATFORM=PocketPC
OEM=\"Reset Suite Handheld\"
LOCALE=en_US.UTF-8"
c=$dev/prefix/drive_c
installed="$c/Program Files/Vantora"
startup=$c/windows/StartUp
cp "$build/tests/helpers/tweakhelper.exe" "$c/"
cp "$build/tests/helpers/taskhelper.exe" "$c/$kept"

# The run command starts the main program, whose first run takes the copies of the system's values.
in_dev 'C:\windows\devtool.exe' wait-window VANTORA Vantora 30000 > /dev/null || fail "Vantora did not start"
helper values > "$work/first.values" || fail "values"
grep -q "^mark DefaultRegistrySaved = type 4 01000000$" "$work/first.values" || fail "no first run: $(cat "$work/first.values")"
in_dev 'C:\windows\system32\reg.exe' add 'HKLM\Software\Ondrel\Vantora' /v EnableDebug /t REG_DWORD /d 1 /f > /dev/null || fail "EnableDebug"

# Everything runs; a program is kept at level 1 (highest) through the task page's operations.
out=$(helper companions) || fail "the companions did not all start: $out"
in_dev "C:\\$kept" window "Kept level" threads 3 > /dev/null &
in_dev 'C:\windows\devtool.exe' wait-window TaskHelper "Kept level" 20000 > /dev/null || fail "the kept program did not start"
out=$(helper keep $kept 1)
[ "$out" = "level=1" ] || fail "keeping the program at 1: $out"
kept_at_1 || fail "the kept program's threads: $(helper levels $kept)"
cp "$installed/Settings.db" "$work/Settings.db" || fail "no database written"
[ "$(stat -c %s "$work/Settings.db")" = 604 ] || fail "the database is not one record"

# Changes through the pages' code: display, storage, network power; the battery bar switched off.
helper change || fail "change"
wait_gone 20 GAUGELETAPPTOPLVL GaugeletAppTopLvl || fail "the battery bar did not stop"
helper values > "$work/changed.values"
[ "$(grep -c '^row' "$work/first.values")" -gt 5 ] || fail "too few values: $(cat "$work/first.values")"
# The copies and marks never move; the system values did.
diff <(grep -o 'copy .*\|^mark .*' "$work/first.values") <(grep -o 'copy .*\|^mark .*' "$work/changed.values") ||
  fail "a change moved a first-run copy"
moved=$(diff <(grep '^row' "$work/first.values") <(grep '^row' "$work/changed.values") | grep -c '^>')
[ "$moved" -ge 5 ] || fail "the changes moved $moved values: $(diff "$work/first.values" "$work/changed.values")"
ls "$startup" | sort > "$work/startup.before"
[ "$(cat "$work/startup.before")" = "$(printf 'QuitletApp.lnk\nVTMonitor.lnk')" ] || fail "StartUp before the reset: $(cat "$work/startup.before")"

# Leaving the main program with Yes: one more change (window animation), flushed, reset.
rm -f "$c/VT.gui.txt" "$c/VT.gl.txt" "$c/VT.mon.txt" "$c/VT.ql.txt"
helper exit yes > "$work/yes.out" &
wait_for 90 grep -q "Soft reset" "$work/run.log" || fail "no soft reset: $(cat "$work/yes.out")"
animate=$(grep -o "animate=[0-9]*" "$work/yes.out")
[ -n "$animate" ] || fail "no change was made: $(cat "$work/yes.out")"

# checks_after_boot WHAT RUNLOG: what a boot must bring back.
checks_after_boot() {
  local what=$1
  wait_window 60 HHTaskbar "" || fail "$what: the shell did not come back"
  has_window TaskHelper "Kept level" && fail "$what: a program survived"
  # The kept program, started anew at normal, is put back to its stored level by the monitor's cycle
  # (looked at last: the cycle goes on while the rest is checked).
  in_dev "C:\\$kept" window "Kept level" threads 3 > /dev/null &
  wait_window 20 TaskHelper "Kept level" || fail "$what: the kept program did not start"
  local count
  count=$(copies $kept)
  [ "$count" = 1 ] || fail "$what: kept program copies: $count (a moment later: $(helper levels $kept))"
  wait_window 60 VANTORA Vantora || fail "$what: Vantora did not start"
  wait_window 60 QUITLETAPP QuitletApp || fail "$what: the close button did not come back"
  wait_window 60 VTMONITOR VTMonitor || fail "$what: the monitor did not come back"
  # One copy of each; the battery bar, switched off, not at all. The StartUp folder and the main
  # program's start may both start a companion: the second copy waits up to 3 s for the name to come
  # free and then leaves, so a second copy counts only once it has outlived that wait.
  wait_for 10 one_copy QuitletApp.exe || fail "$what: close buttons running: $(copies QuitletApp.exe)"
  wait_for 10 one_copy VTMonitor.exe || fail "$what: monitors running: $(copies VTMonitor.exe)"
  wait_for 10 one_copy Vantora.exe || fail "$what: main programs running: $(copies Vantora.exe)"
  [ "$(copies GaugeletApp.exe)" = 0 ] || fail "$what: the switched-off battery bar came back"
  grep -q "Battery meter start" "$c/VT.gl.txt" 2>/dev/null && fail "$what: the battery bar was started: $(cat "$c/VT.gl.txt")"
  [ "$(ls "$startup" | sort)" = "$(cat "$work/startup.before")" ] || fail "$what: StartUp now holds $(ls "$startup")"
  # No second first run: the mark and the copies are the first run's, and every change is there.
  grep -q "^+LoadDefaultRegistryInfo call\.$" <(tr -d '\r' < "$c/VT.gui.txt") || fail "$what: Vantora logged no start"
  grep -q "write default" "$c/VT.gui.txt" && fail "$what: the first-run copies were taken again"
  helper values > "$work/after.values"
  diff <(grep -o 'copy .*\|^mark .*' "$work/first.values") <(grep -o 'copy .*\|^mark .*' "$work/after.values") ||
    fail "$what: the first-run copies changed"
  diff <(grep -v ' Animate = ' "$work/changed.values") <(grep -v ' Animate = ' "$work/after.values") ||
    fail "$what: a change was lost"
  [ "$(helper animate)" = "$animate" ] || fail "$what: window animation $(helper animate), set to $animate"
  cmp "$work/Settings.db" "$installed/Settings.db" || fail "$what: the task database changed"
  # Up to a monitor cycle (20 s) and the start of the program: a generous limit. The monitor says
  # when it has set the level; then every thread is at it.
  wait_for 90 grep -q "CHANGE: set priority $kept 1" "$c/VT.mon.txt" && wait_for 10 kept_at_1 ||
    fail "$what: the monitor did not restore the level: $(helper levels $kept); $(cat "$c/VT.mon.txt")"
  # The main program's list, from the database read again: one row, running, kept, at its level.
  [ "$(helper rows $kept)" = "running=1 db=1 level=1" ] || fail "$what: the task list's rows: $(helper rows $kept)"
  grep -q "Settings.db read data \[1 tasks\]" "$c/VT.mon.txt" || fail "$what: the monitor did not read the database"
}

booted_again() { sed -n '/Soft reset/,$p' "$work/run.log" | grep -q "running on display"; }
wait_for 90 booted_again || fail "no boot after the reset"
checks_after_boot "after the reset"
grep -q "^Done, going for reset\.$" <(tr -d '\r' < "$c/VT.gui.txt") || fail "no reset logged"

# Power: switched off (the run command's stop, as on Ctrl-C) and booted again; the registry was written out.
kill $runner
wait $runner 2>/dev/null
[ -f "$dev/shell.pid" ] && fail "the device is still on"
rm -f "$c/VT.gui.txt" "$c/VT.gl.txt" "$c/VT.mon.txt" "$c/VT.ql.txt"
VT_DEVICE=$dev VT_PROFILE=$work/test.profile "$src/device/run-suite" "$build" --headless > "$work/run.log" 2>&1 &
runner=$!
wait_for 120 grep -q "is running" "$work/run.log" || fail "the device did not boot again"
checks_after_boot "after switching off and on"
kill $runner
wait $runner 2>/dev/null
echo PASS
