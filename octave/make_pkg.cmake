# Builds the Octave package tarball: cmake -DROOT=<repository root>
#   -DSTAGE=<scratch folder> -DTARBALL=<output .tar.gz> -P make_pkg.cmake
#
# Layout (what `pkg install` expects):
#   bwtoolbox/DESCRIPTION, INDEX, COPYING, post_install.m
#   bwtoolbox/inst/   the help files, Contents.m, build_mex.m
#   bwtoolbox/src/    plugins.txt, the native entries (octave/native/*.cc),
#                     the core sources and the headers they include, the
#                     help of each function as a header (help/<name>_help.h)
#                     and a Makefile that builds <name>.oct with mkoctfile
cmake_minimum_required(VERSION 3.20)
include("${ROOT}/cmake/Plugins.cmake")

set(pkg "${STAGE}/bwtoolbox")
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${pkg}/inst" "${pkg}/src")

file(COPY "${ROOT}/octave/DESCRIPTION" "${ROOT}/octave/INDEX" "${ROOT}/octave/post_install.m"
     DESTINATION "${pkg}")
configure_file("${ROOT}/LICENSE" "${pkg}/COPYING" COPYONLY)
file(GLOB help_files "${ROOT}/toolbox/*.m")
file(COPY ${help_files} DESTINATION "${pkg}/inst")
file(COPY "${ROOT}/plugins.txt" DESTINATION "${pkg}/src")

toolbox_plugin_list("${ROOT}/plugins.txt" "${ROOT}" plugin)
set(all_sources "")
set(rules "")
set(targets "")
foreach(name IN LISTS plugin_NAMES)
  set(core ${plugin_${name}})
  list(POP_FRONT core gateway)
  set(entry "${ROOT}/octave/native/${name}.cc")
  execute_process(COMMAND "${CMAKE_COMMAND}" "-DHELP=${ROOT}/toolbox/${name}.m"
                          "-DOUT=${pkg}/src/help/${name}_help.h"
                          -P "${ROOT}/octave/help_text.cmake" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write the help of ${name}")
  endif()
  set(relative "")
  foreach(src IN LISTS entry core)
    file(RELATIVE_PATH rel "${ROOT}" "${src}")
    list(APPEND relative "${rel}")
  endforeach()
  list(APPEND all_sources ${entry} ${core} ${plugin_${name}})
  list(JOIN relative " " sources)
  string(APPEND rules "${name}.oct: ${sources} help/${name}_help.h $(HEADERS)\n"
                      "\t$(MKOCTFILE) -I. -Ihelp -o $@ ${sources}\n\n")
  list(APPEND targets "${name}.oct")
endforeach()
list(REMOVE_DUPLICATES all_sources)
toolbox_plugin_headers("${ROOT}" headers ${all_sources})

set(header_list "")
foreach(file IN LISTS all_sources headers)
  file(RELATIVE_PATH rel "${ROOT}" "${file}")
  get_filename_component(dir "${rel}" DIRECTORY)
  file(COPY "${file}" DESTINATION "${pkg}/src/${dir}")
  if(file IN_LIST headers)
    list(APPEND header_list "${rel}")
  endif()
endforeach()

list(JOIN targets " " targets)
list(JOIN header_list " " header_list)
file(WRITE "${pkg}/src/Makefile"
"# Builds the functions of the package as native Octave functions with
# mkoctfile; pkg install runs it and installs every <name>.oct it leaves here. Floating-point contraction
# stays off so that results are bit-exact.
MKOCTFILE ?= mkoctfile
CXXFLAGS ?= -O2
override CXXFLAGS += -std=c++17 -ffp-contract=off
export CXXFLAGS

HEADERS = ${header_list}

all: ${targets}

${rules}clean:
\trm -f ${targets}

.PHONY: all clean
")

get_filename_component(out_dir "${TARBALL}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar czf "${TARBALL}" bwtoolbox
                WORKING_DIRECTORY "${STAGE}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not write ${TARBALL}")
endif()
