# plugins.txt, the one list of the plug-ins and their sources, as every build
# reads it: CMake here (toolbox_add_plugins), the Octave builds (octave/:
# mkoctfile and the package), and outside CMake toolbox/build_mex.m and
# setup.py. Included in script mode too (octave/make_pkg.cmake).

# Globs re-run at build time when their result changes, except in script mode
# (cmake -P), where that option is refused.
if(CMAKE_SCRIPT_MODE_FILE)
  set(TOOLBOX_GLOB_DEPENDS "")
else()
  set(TOOLBOX_GLOB_DEPENDS CONFIGURE_DEPENDS)
endif()

# toolbox_plugin_list(<file> <root> <prefix>): reads the plug-in list <file>
# (paths relative to <root>) and sets, in the caller's scope, <prefix>_NAMES
# (the plug-ins in file order) and <prefix>_<name> for each (absolute paths of
# its sources: the gateway first, then the core sources in pattern order, each
# once). Gateways named on any line are left out of what a pattern matches.
function(toolbox_plugin_list file root prefix)
  file(STRINGS "${file}" lines)
  set(names "")
  set(gateways "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*$" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
    list(LENGTH fields count)
    if(count LESS 2)
      message(FATAL_ERROR "${file}: '${line}' needs a name and a gateway source")
    endif()
    list(POP_FRONT fields name)
    list(GET fields 0 gateway)
    if(NOT EXISTS "${root}/${gateway}")
      message(FATAL_ERROR "${file}: gateway ${gateway} of ${name} does not exist")
    endif()
    list(APPEND names ${name})
    list(APPEND gateways "${root}/${gateway}")
    set(fields_${name} "${fields}")
  endforeach()

  foreach(name IN LISTS names)
    set(patterns "${fields_${name}}")
    list(POP_FRONT patterns gateway)
    set(sources "${root}/${gateway}")
    foreach(pattern IN LISTS patterns)
      file(GLOB matches ${TOOLBOX_GLOB_DEPENDS} "${root}/${pattern}")
      if(NOT matches)
        message(FATAL_ERROR "${file}: ${pattern} (for ${name}) matches no file")
      endif()
      list(SORT matches)
      list(REMOVE_ITEM matches ${gateways})
      list(APPEND sources ${matches})
    endforeach()
    list(REMOVE_DUPLICATES sources)
    set(${prefix}_${name} "${sources}" PARENT_SCOPE)
  endforeach()
  set(${prefix}_NAMES "${names}" PARENT_SCOPE)
endfunction()

# toolbox_plugin_headers(<root> <out> <sources...>): the headers these sources
# may include: every .h and .inc beside them, the shared vector layer in simd/
# and the gateway helpers in host/ (never host/include: the host's own mex.h is
# used there).
function(toolbox_plugin_headers root out)
  set(headers "")
  foreach(src IN LISTS ARGN)
    get_filename_component(dir "${src}" DIRECTORY)
    file(GLOB found ${TOOLBOX_GLOB_DEPENDS} "${dir}/*.h" "${dir}/*.inc")
    list(APPEND headers ${found})
  endforeach()
  file(GLOB found ${TOOLBOX_GLOB_DEPENDS} "${root}/host/*.h" "${root}/simd/*.h" "${root}/simd/*.inc")
  list(APPEND headers ${found})
  list(REMOVE_DUPLICATES headers)
  list(SORT headers)
  set(${out} "${headers}" PARENT_SCOPE)
endfunction()

# add_core(<name> <sources...>): the static library of a kernel's core, which
# its plug-ins, the tests, the benchmarks and the fuzzers link. Per-ISA files
# are among the sources on every processor: each compiles to nothing where its
# instruction set does not exist.
function(add_core name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  # Short runs stay inline loops instead of becoming calls to memcpy (a GCC
  # flag; the block copies are made of such runs).
  if(name STREQUAL blocks_core)
    target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-tree-loop-distribute-patterns>)
  endif()
  if(TOOLBOX_FUZZ)
    # Coverage feedback for the fuzzers; comparisons are traced in the
    # gateways, where the checks are, not in the cores' inner loops (there
    # tracing them cost more than half of every run).
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link
                                           -fno-sanitize-coverage=trace-cmp)
  endif()
endfunction()

# toolbox_add_plugins(<file>): every plug-in of the list <file>, built with
# add_mex from its gateway and a core library made of the remaining sources.
# Plug-ins with the same core sources share one library, named after the
# gateway's folder: blocks_core, walsh_core, energy_core.
function(toolbox_add_plugins file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
  toolbox_plugin_list("${file}" "${PROJECT_SOURCE_DIR}" plugin)
  foreach(name IN LISTS plugin_NAMES)
    set(sources "${plugin_${name}}")
    list(POP_FRONT sources gateway)
    get_filename_component(folder "${gateway}" DIRECTORY)
    get_filename_component(folder "${folder}" NAME)
    set(core ${folder}_core)
    if(NOT TARGET ${core})
      add_core(${core} ${sources})
      set(core_sources_${core} "${sources}")
    elseif(NOT sources STREQUAL core_sources_${core})
      message(FATAL_ERROR "${file}: ${name} names other core sources than the "
                          "plug-ins before it in ${folder}/")
    endif()
    add_mex(${name} SOURCES "${gateway}" LIBS ${core})
    if(TOOLBOX_FUZZ)
      target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
  endforeach()
endfunction()
