# vt_add_program(<name> <library> SOURCES ...): a GUI program made of a thin entry point and resources
# over the static library of its modules. The executable lands in the build tree's bin/ folder,
# which the device installation copies from.
set(VT_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# Every program the device installation copies: "./vt run" builds this target only.
add_custom_target(vt_suite)

function(vt_add_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} WIN32 ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  target_link_options(${name} PRIVATE -municode)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VT_BIN_DIR} OUTPUT_NAME ${name})
  add_dependencies(vt_suite ${name})
endfunction()
