# add_mex(<name> SOURCES <files...> [LIBS <targets...>])
#
# Builds the plug-in <name>.mexa64 into TOOLBOX_DIST_DIR the way a MEX file
# for 64-bit Linux must look: soname <name>.mexa64, only mexFunction exported
# (version node MEX), libstdc++ and libgcc linked in statically, no RPATH, and
# the host libraries libmx, libmex and libmat as its only non-system
# dependencies. The host libraries are linked through stubs of our own.
# In a sanitized build (TOOLBOX_SANITIZE) the sanitizer runtime lives in the
# loading program, so the plug-in keeps its references to it undefined and
# uses the program's C++ runtime: such plug-ins are for checking only.
set(MEX_VERSION_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/../host/mex.map")

function(add_mex name)
  cmake_parse_arguments(MEX "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${MEX_SOURCES})
  target_link_libraries(${name} PRIVATE ${MEX_LIBS} mex_api mex_stub_mx mex_stub_mex
                        "-Wl,--no-as-needed" mex_stub_mat "-Wl,--as-needed")
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".mexa64"
    LIBRARY_OUTPUT_DIRECTORY "${TOOLBOX_DIST_DIR}"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    SKIP_BUILD_RPATH ON
    LINK_DEPENDS "${MEX_VERSION_SCRIPT}")
  target_link_options(${name} PRIVATE
    "-Wl,--version-script=${MEX_VERSION_SCRIPT}"
    "-Wl,-soname,${name}.mexa64"
    -Wl,--gc-sections)
  if(NOT TOOLBOX_SANITIZE)
    target_link_options(${name} PRIVATE -static-libstdc++ -static-libgcc -Wl,--no-undefined)
  endif()
  set_property(GLOBAL APPEND PROPERTY TOOLBOX_MEX_TARGETS ${name})
endfunction()
