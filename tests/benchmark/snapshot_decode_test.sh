#!/usr/bin/env bash
# A snapshot saved by the benchmark in the test device, opened by the host's own JPEG decoder: it must be
# a baseline colour picture of the screen's size.
#   snapshot_decode_test.sh SOURCE_DIR BUILD_DIR
set -u -o pipefail
src=$1 build=$2
dev=$("$src/tests/support/testdevice" dir "$build/testdevice")
drive_c=$dev/prefix/drive_c
fail() { echo "FAIL: $*"; exit 1; }
command -v identify >/dev/null || fail "ImageMagick's identify is missing"

rm -f "$drive_c/vt-snapshot-check.txt"
"$src/device/vtdevice" exec-test "$dev" "$build" "$build/tests/benchmark_test.exe" \
  --gtest_filter='*Snapshots*' > "$build/tests/benchmark_snapshot_decode.log" 2>&1 < /dev/null ||
  { cat "$build/tests/benchmark_snapshot_decode.log"; fail "the snapshot test in the device failed"; }
[ -f "$drive_c/vt-snapshot-check.txt" ] || fail "no snapshot note"
IFS='|' read -r winpath width height < <(tr -d '\r' < "$drive_c/vt-snapshot-check.txt")
rm -f "$drive_c/vt-snapshot-check.txt"
# "C:\users\...\1.jpg" is a file of the device's own drive.
case "$winpath" in C:\\*) ;; *) fail "snapshot outside the device: $winpath" ;; esac
rel=${winpath#C:\\}
file=$drive_c/${rel//\\//}
[ -f "$file" ] && [ ! -L "$(dirname "$file")" ] || fail "snapshot not in the device's own folder: $file"
info=$(identify -format '%m %w %h %[colorspace] %[channels] %Q %[interlace]\n' "$file" 2>&1) || fail "identify: $info"
rm -f "$file"
echo "identify: $info"
set -- $info
[ "$1" = JPEG ] || fail "not a JPEG: $info"
[ "$2" = "$width" ] && [ "$3" = "$height" ] || fail "size $2x$3, screen ${width}x$height"
[ "$4" = sRGB ] || fail "colour space $4"
case "$5" in srgb|rgb|srgb\ *|3*) ;; *) fail "channels $5" ;; esac
[ "$6" = 90 ] || fail "quality $6"
[ "$7" = None ] || fail "progressive: $7"
echo PASS
