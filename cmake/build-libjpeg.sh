#!/usr/bin/env bash
# Builds libjpeg-turbo (jpeg62 API) for the handheld target from Debian's source package into $1.
# The result is cached: a second run with the library present does nothing.
set -eu
out=$1
toolchain=$2
[ -f "$out/install/lib/libjpeg.a" ] && exit 0
mkdir -p "$out"
cd "$out"
if [ ! -d src ]; then
  rm -rf fetch && mkdir fetch && cd fetch
  apt-get source --download-only libjpeg-turbo >/dev/null
  dpkg-source --no-check -x ./*.dsc ../src >/dev/null
  cd .. && rm -rf fetch
fi
rm -rf build && mkdir build && cd build
cmake ../src -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$out/install" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_JPEG8=OFF -DWITH_SIMD=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >build.log 2>&1
make -j2 jpeg-static >>build.log 2>&1
mkdir -p "$out/install/lib" "$out/install/include"
cp libjpeg.a "$out/install/lib/"
cp jconfig.h ../src/jpeglib.h ../src/jmorecfg.h ../src/jerror.h "$out/install/include/"
