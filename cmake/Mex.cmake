# add_mex(<name> SOURCES <files...> [LIBS <targets...>])
#
# Builds the plug-in <name> into TOOLBOX_DIST_DIR the way a MEX file for the
# target platform must look. The host libraries are linked through stubs or
# import libraries of our own (target mex_host, host/CMakeLists.txt); libstdc++
# and libgcc are linked in statically, so the plug-in depends on the host
# libraries and the system runtime only.
#
#   glnxa64  <name>.mexa64: soname <name>.mexa64, only mexFunction exported
#            (version node MEX), no RPATH; needs libmx, libmex, libmat.
#   win32    <name>.mexw32: 32-bit DLL, x87 arithmetic, exporting the gateway
#            as mexFunction and as _mexFunction; imports libmx.dll, libmex.dll.
#   win64    <name>.mexw64: 64-bit DLL exporting mexFunction; same imports.
#   aarch64  <name>.mexa64 for 64-bit ARM Linux: as glnxa64 (MATLAB has no
#            Linux ARM release; these are what the test suite loads there).
#   maci64   <name>.mexmaci64: x86_64 Mach-O bundle exporting only
#            _mexFunction, loading libmx, libmex and libmat from @loader_path.
#   maca64   <name>.mexmaca64: the same as an arm64 bundle (Apple silicon).
#            Only the plug-ins named in TOOLBOX_MACOS_PLUGINS are built on macOS.
#
# In a sanitized build (TOOLBOX_SANITIZE) the sanitizer runtime lives in the
# loading program, so a Linux plug-in keeps its references to it undefined and
# uses the program's C++ runtime: such plug-ins are for checking only.
#
# Every plug-in is added to the global property TOOLBOX_MEX_TARGETS.
#
# With TOOLBOX_WIN32_HOST (an i386 Linux build, toolchain-i686-linux-gnu.cmake)
# the build makes no plug-ins: its test programs load the Win32 plug-ins of
# TOOLBOX_DIST_DIR (dist/win32, built by the mingw build) through the test
# host's PE loader (host/testhost/pe.cpp).
option(TOOLBOX_WIN32_HOST "Build the test programs as i386 Linux hosts of the Win32 plug-ins" OFF)
if(TOOLBOX_WIN32_HOST)
  if(WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    message(FATAL_ERROR "TOOLBOX_WIN32_HOST needs a 32-bit Linux build (cmake/toolchain-i686-linux-gnu.cmake)")
  endif()
  set(TOOLBOX_PLATFORM win32)
  set(TOOLBOX_MEX_SUFFIX .mexw32)
elseif(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TOOLBOX_PLATFORM win32)
  set(TOOLBOX_MEX_SUFFIX .mexw32)
elseif(WIN32)
  set(TOOLBOX_PLATFORM win64)
  set(TOOLBOX_MEX_SUFFIX .mexw64)
elseif(APPLE AND (CMAKE_OSX_ARCHITECTURES STREQUAL arm64 OR
                  (NOT CMAKE_OSX_ARCHITECTURES AND CMAKE_SYSTEM_PROCESSOR MATCHES "arm64|aarch64")))
  set(TOOLBOX_PLATFORM maca64)
  set(TOOLBOX_MEX_SUFFIX .mexmaca64)
elseif(APPLE)
  set(TOOLBOX_PLATFORM maci64)
  set(TOOLBOX_MEX_SUFFIX .mexmaci64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "aarch64|arm64")
  set(TOOLBOX_PLATFORM aarch64)
  set(TOOLBOX_MEX_SUFFIX .mexa64)
  # Optimized at mkoctfile's level, the one an Octave user on ARM gets, so
  # that the suite tests those instructions (tests/check_fp_contract.sh);
  # the build with the Apple-silicon bundles' code generation keeps their
  # level (cmake/toolchain-aarch64-linux-clang.cmake).
  if(NOT TOOLBOX_BUNDLE_CODEGEN)
    foreach(lang C CXX)
      set(CMAKE_${lang}_FLAGS_RELEASE "-O2 -DNDEBUG")
    endforeach()
  endif()
else()
  set(TOOLBOX_PLATFORM glnxa64)
  set(TOOLBOX_MEX_SUFFIX .mexa64)
endif()

# The macOS deliverables (-DTOOLBOX_MACOS_PLUGINS=... overrides).
if(NOT DEFINED TOOLBOX_MACOS_PLUGINS)
  set(TOOLBOX_MACOS_PLUGINS imgToBlocks blocksToImg seqSpectrum walshOrdered cyclicEnergy)
endif()

set(MEX_HOST_DIR "${CMAKE_CURRENT_LIST_DIR}/../host")
set(MEX_VERSION_SCRIPT "${MEX_HOST_DIR}/mex.map")
set(MEX_EXPORTS_WIN32 "${MEX_HOST_DIR}/windows/gateway-win32.def")
set(MEX_EXPORTS_WIN64 "${MEX_HOST_DIR}/windows/gateway-win64.def")

function(add_mex name)
  if(TOOLBOX_WIN32_HOST)
    return()
  endif()
  cmake_parse_arguments(MEX "" "" "SOURCES;LIBS" ${ARGN})
  # On macOS the other plug-ins stay defined (their CMake code may refer to
  # them) but are not built.
  set(excluded "")
  if(APPLE AND NOT name IN_LIST TOOLBOX_MACOS_PLUGINS)
    set(excluded EXCLUDE_FROM_ALL)
  endif()
  add_library(${name} MODULE ${excluded} ${MEX_SOURCES})
  target_link_libraries(${name} PRIVATE ${MEX_LIBS} mex_api mex_host)
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX "${TOOLBOX_MEX_SUFFIX}"
    LIBRARY_OUTPUT_DIRECTORY "${TOOLBOX_DIST_DIR}"
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

  if(WIN32)
    # The .def file names the exports; mex_host brings the import libraries.
    # -s drops the DWARF debug data of the static runtime, of no use to Windows
    # debuggers.
    if(TOOLBOX_PLATFORM STREQUAL win32)
      set(def "${MEX_EXPORTS_WIN32}")
    else()
      set(def "${MEX_EXPORTS_WIN64}")
    endif()
    set_target_properties(${name} PROPERTIES LINK_DEPENDS "${def}")
    target_link_options(${name} PRIVATE
      -static-libstdc++ -static-libgcc "${def}"
      -Wl,--no-undefined -Wl,--gc-sections -s)
  elseif(APPLE)
    # Unused system libraries (libc++ when no C++ runtime function is called)
    # are dropped; the host libraries are always kept (mex_host).
    target_link_options(${name} PRIVATE
      -Wl,-exported_symbol,_mexFunction -Wl,-dead_strip -Wl,-dead_strip_dylibs)
  else()
    set_target_properties(${name} PROPERTIES
      SKIP_BUILD_RPATH ON
      LINK_DEPENDS "${MEX_VERSION_SCRIPT}")
    target_link_options(${name} PRIVATE
      "-Wl,--version-script=${MEX_VERSION_SCRIPT}"
      "-Wl,-soname,${name}.mexa64"
      -Wl,--gc-sections)
    if(NOT TOOLBOX_SANITIZE)
      target_link_options(${name} PRIVATE -static-libstdc++ -static-libgcc -Wl,--no-undefined)
    endif()
  endif()
  if(NOT excluded)
    set_property(GLOBAL APPEND PROPERTY TOOLBOX_MEX_TARGETS ${name})
  endif()
endfunction()
