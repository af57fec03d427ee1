# Sourced by the host-driven tests that boot a device of their own through the run command's loop.
# The caller sets src (source tree), build (build tree) and work (a folder of the test's own).
dev=$work/dev
vtd=$src/device/vtdevice
fail() { echo "FAIL: $*"; echo "--- run log"; cat "$work/run.log" 2>/dev/null; exit 1; }
in_dev() { "$vtd" exec "$dev" "$@" 2>/dev/null < /dev/null | tr -d '\r'; }
wait_for() {  # wait_for SECONDS COMMAND...
  local t=$1; shift
  for _ in $(seq $((t * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}

# boot_own_device PROFILE [FOLDER...]: a fresh device made from the profile's text (the folders are
# made first, for cards backed by the host), booted on a display of its own; switched off when the
# test ends. $runner is the run command's loop.
boot_own_device() {
  local profile=$1; shift
  "$vtd" stop "$dev" >/dev/null 2>&1
  rm -rf "$work"
  mkdir -p "$work" "$@"
  printf '%s\n' "$profile" > "$work/test.profile"
  unset DISPLAY
  # Its page, if any, on a free port: never the one a user's run has.
  VT_WEB_PORT=0 VT_DEVICE=$dev VT_PROFILE=$work/test.profile "$src/device/run-suite" "$build" > "$work/run.log" 2>&1 &
  runner=$!
  trap 'kill $runner 2>/dev/null; wait $runner 2>/dev/null; "$vtd" stop "$dev" >/dev/null 2>&1' EXIT
  wait_for 120 grep -q "is running" "$work/run.log" || fail "the device did not boot"
}
