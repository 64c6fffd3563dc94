# GNU Octave as a host: locating octave-cli and mkoctfile.

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
