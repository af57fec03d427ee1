# libjpeg for the target, built once per build tree from Debian's source package.
set(VT_LIBJPEG_DIR ${CMAKE_BINARY_DIR}/_deps/libjpeg)
if(NOT EXISTS ${VT_LIBJPEG_DIR}/install/lib/libjpeg.a)
  message(STATUS "Building libjpeg for the target (once per build tree)")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/cmake/build-libjpeg.sh ${VT_LIBJPEG_DIR}
                          ${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw64.cmake
                  RESULT_VARIABLE vt_jpeg_rc)
  if(NOT vt_jpeg_rc EQUAL 0)
    message(FATAL_ERROR "libjpeg build failed; see ${VT_LIBJPEG_DIR}/build/build.log "
                        "(apt-get source needs a deb-src entry: run ./vt setup as root)")
  endif()
endif()
add_library(vt_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(vt_jpeg PROPERTIES IMPORTED_LOCATION ${VT_LIBJPEG_DIR}/install/lib/libjpeg.a
                      INTERFACE_INCLUDE_DIRECTORIES ${VT_LIBJPEG_DIR}/install/include)
