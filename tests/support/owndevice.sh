# Sourced by the host-driven tests that boot a device of their own through the run command's loop.
# The caller sets src (source tree), build (build tree) and work (a folder of the test's own).
dev=$work/dev
vtd=$src/device/vtdevice
fail() { echo "FAIL: $*"; echo "--- run log"; cat "$work/run.log" 2>/dev/null; exit 1; }
in_dev() { "$vtd" exec "$dev" "$@" 2>/dev/null < /dev/null | tr -d '\r'; }
# Whether a window of that class (and title; "-" for any) shows in the device.
has_window() { in_dev 'C:\windows\devtool.exe' find-window "$@" > /dev/null; }
# wait_window SECONDS CLASS TITLE: until such a window shows; wait_gone: until none does. One program
# of the device waits for it (a device still booting is asked again).
wait_window() { wait_in_device wait-window "$@"; }
wait_gone() { wait_in_device wait-gone "$@"; }
wait_in_device() {
  local how=$1 end=$((SECONDS + $2))
  until in_dev 'C:\windows\devtool.exe' "$how" "$3" "$4" $(( (end - SECONDS) * 1000 + 500 )) > /dev/null; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}
wait_for() {  # wait_for SECONDS COMMAND...
  local t=$1 i; shift
  for ((i = 0; i < t * 5; i++)); do "$@" && return 0; sleep 0.2; done
  return 1
}

# The device's system as Wine first makes it (the longest step of a device's making), made once per
# build tree (by the build, or by the first that needs it) and copied by every device after. The
# profile is applied to the copy as to any device. The test programs list their cases in it while
# the build goes on, each under a shared hold of the template's lock; a copy takes the lock whole and
# first ends the server a listing left, so that it copies a system at rest.
template=$build/owndevice-template
# The template's lock is the one its own stop takes: it is switched off without asking for it again.
make_template() {
  flock "$template.lock" bash -c '
    [ -f "$1/.created" ] && exit 0
    rm -rf "$1"
    env -u DISPLAY "$2" create "$1" > /dev/null 2>&1 && env -u DISPLAY "$2" register "$1" > /dev/null 2>&1 &&
      "$2" stop-now "$1" > /dev/null 2>&1' _ "$template" "$vtd" < /dev/null
}

copy_made_system() {
  make_template || return 0
  [ -f "$template/.created" ] || return 0
  mkdir -p "$dev"
  # The folders the template's cards made go with its system, named as made for cards.
  flock "$template.lock" bash -c 'WINEPREFIX="$1/prefix" wineserver -k 2>/dev/null
    cp -a "$1/prefix" "$1/cardfolders" "$1/cards" "$2/" && { [ ! -f "$1/.installpath" ] || cp "$1/.installpath" "$2/"; }' \
    _ "$template" "$dev" < /dev/null &&
    touch "$dev/.created"
}

# list_cases PROGRAM ARGS...: a test program run in the template, without a display (it lists its
# cases and starts nothing). The server holds not the lock (-o); it waits 30 s for the next listing
# of the build (a new one would start Wine's session again), then ends by itself. What the listing
# prints goes through files: a program of the session (which outlives the listing) must not hold the
# build's pipe, which the build reads to its end.
list_cases() {
  make_template && [ -f "$template/.created" ] || { echo "owndevice: Wine could not make the device's system" >&2; return 2; }
  local out err rc
  out=$(mktemp) && err=$(mktemp) || return 2
  flock -o -s "$template.lock" env -u DISPLAY "$vtd" list "$template" "$@" < /dev/null > "$out" 2> "$err"
  rc=$?
  cat "$out"
  cat "$err" >&2
  rm -f "$out" "$err"
  return $rc
}

# boot_own_device PROFILE [FOLDER...]: a fresh device made from the profile's text (the folders are
# made first, for cards backed by the host), booted on a display of its own; switched off when the
# test ends. $runner is the run command's loop.
boot_own_device() {
  local profile=$1; shift
  # A device an earlier run left is switched off before its folder goes.
  [ -f "$dev/profile" ] && "$vtd" stop "$dev" >/dev/null 2>&1
  rm -rf "$work"
  unset DISPLAY
  copy_made_system
  mkdir -p "$work" "$@"
  printf '%s\n' "$profile" > "$work/test.profile"
  # No page: the test looks at the device through its commands.
  VT_DEVICE=$dev VT_PROFILE=$work/test.profile "$src/device/run-suite" "$build" --headless > "$work/run.log" 2>&1 &
  runner=$!
  trap 'kill $runner 2>/dev/null; wait $runner 2>/dev/null; "$vtd" stop "$dev" >/dev/null 2>&1' EXIT
  wait_for 120 grep -q "is running" "$work/run.log" || fail "the device did not boot"
}
