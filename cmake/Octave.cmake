# GNU Octave as a host: locating Octave, and reading plugins.txt, the list of
# plug-ins and their sources for the builds that do not go through CMake
# (mkoctfile, the Octave package, build_mex.m).

# toolbox_find_octave(): sets OCTAVE_FOUND, OCTAVE_CLI, MKOCTFILE,
# OCTAVE_VERSION, OCTAVE_INCLUDE_DIRS and OCTAVE_LIB_DIR in the caller's scope.
function(toolbox_find_octave)
  find_program(OCTAVE_CLI octave-cli)
  find_program(MKOCTFILE mkoctfile)
  set(OCTAVE_FOUND FALSE PARENT_SCOPE)
  if(NOT OCTAVE_CLI OR NOT MKOCTFILE)
    return()
  endif()
  foreach(var OCTINCLUDEDIR OCTLIBDIR)
    execute_process(COMMAND "${MKOCTFILE}" -p ${var} OUTPUT_VARIABLE ${var}
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      return()
    endif()
  endforeach()
  execute_process(COMMAND "${MKOCTFILE}" --version ERROR_VARIABLE version_text
                  OUTPUT_VARIABLE version_out)
  string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" version "${version_text}${version_out}")
  # OCTINCLUDEDIR is .../octave-X.Y.Z/octave; sources include <mex.h> or <octave/...>.
  get_filename_component(parent "${OCTINCLUDEDIR}" DIRECTORY)
  set(OCTAVE_FOUND TRUE PARENT_SCOPE)
  set(OCTAVE_VERSION "${version}" PARENT_SCOPE)
  set(OCTAVE_INCLUDE_DIRS "${OCTINCLUDEDIR};${parent}" PARENT_SCOPE)
  set(OCTAVE_LIB_DIR "${OCTLIBDIR}" PARENT_SCOPE)
endfunction()

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
# may include: every .h and .inc beside them and the gateway helpers in host/
# (never host/include: the host's own mex.h is used there).
function(toolbox_plugin_headers root out)
  set(headers "")
  foreach(src IN LISTS ARGN)
    get_filename_component(dir "${src}" DIRECTORY)
    file(GLOB found ${TOOLBOX_GLOB_DEPENDS} "${dir}/*.h" "${dir}/*.inc")
    list(APPEND headers ${found})
  endforeach()
  file(GLOB found ${TOOLBOX_GLOB_DEPENDS} "${root}/host/*.h")
  list(APPEND headers ${found})
  list(REMOVE_DUPLICATES headers)
  list(SORT headers)
  set(${out} "${headers}" PARENT_SCOPE)
endfunction()
