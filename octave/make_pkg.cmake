# Builds the Octave package tarball: cmake -DROOT=<repository root>
#   -DSTAGE=<scratch folder> -DTARBALL=<output .tar.gz> -P make_pkg.cmake
#
# Layout (what `pkg install` expects):
#   bwtoolbox/DESCRIPTION, INDEX, COPYING, post_install.m
#   bwtoolbox/inst/   the help files, Contents.m, build_mex.m
#   bwtoolbox/src/    plugins.txt, the plug-in sources and the headers they
#                     include, and a Makefile that builds <name>.mex with
#                     mkoctfile --mex
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
  set(relative "")
  foreach(src IN LISTS plugin_${name})
    file(RELATIVE_PATH rel "${ROOT}" "${src}")
    list(APPEND relative "${rel}")
  endforeach()
  list(APPEND all_sources ${plugin_${name}})
  list(JOIN relative " " sources)
  string(APPEND rules "${name}.mex: ${sources} $(HEADERS)\n"
                      "\t$(MKOCTFILE) --mex -I. -o $@ ${sources}\n\n")
  list(APPEND targets "${name}.mex")
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
"# Builds the plug-ins of the package with mkoctfile --mex; pkg install runs it
# and installs every <name>.mex it leaves here. Floating-point contraction
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
