#!/usr/bin/env bash
# Runs the benchmark once in an emulated handheld of each device profile and keeps the result it saved
# ("benchmark.dat") as results/<profile>.dat. make-bmcompare.py then turns the kept results into
# "bmcompare.dat". Nothing here invents a score: every entry is a real run's own record.
#   collect-results.sh BUILD_DIR [PROFILE...]     (default: every device/profiles/*.profile)
set -u -o pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
src=$(cd "$here/../.." && pwd)
vtd=$src/device/vtdevice
build=$(cd "${1:?usage: collect-results.sh BUILD_DIR [PROFILE...]}" && pwd)
shift
profiles=("$@")
[ ${#profiles[@]} -gt 0 ] || profiles=("$src"/device/profiles/*.profile)
work=$build/bmcompare-devices
mkdir -p "$work" "$here/results"

for profile in "${profiles[@]}"; do
  name=$(basename "$profile" .profile)
  dev=$work/$name
  echo "== $name"
  "$vtd" stop "$dev" >/dev/null 2>&1
  "$vtd" create "$dev" "$profile" && "$vtd" install "$dev" "$build" && "$vtd" start "$dev" --own-display ||
    { echo "device $name did not start" >&2; exit 1; }
  dat="$dev/prefix/drive_c/Program Files/Vantora/benchmark.dat"
  rm -f "$dat"
  "$vtd" exec "$dev" 'C:\Program Files\Vantora\Benchmark.exe' -run >/dev/null 2>&1 < /dev/null &
  runner=$!
  for _ in $(seq 600); do [ -f "$dat" ] && [ "$(stat -c %s "$dat")" = 568 ] && break; sleep 0.2; done
  [ -f "$dat" ] || { echo "no result from $name" >&2; "$vtd" stop "$dev"; exit 1; }
  sleep 1
  cp "$dat" "$here/results/$name.dat"
  cp "$profile" "$here/results/$name.profile"
  "$vtd" stop "$dev" >/dev/null 2>&1
  wait "$runner" 2>/dev/null
  echo "kept results/$name.dat"
done
