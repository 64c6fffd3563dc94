# Writes the help of a plug-in as a C++ header for its native Octave function:
#   cmake -DHELP=<toolbox/name.m> -DOUT=<name_help.h> -P help_text.cmake
# The help is the first block of comment lines of the help file, each without
# its leading %, as Octave shows the help of a function file; the header
# defines kHelp as that text, a raw string literal. A compiled Octave
# function carries its help in itself: Octave does not read it from a file
# beside it as it does for a MEX file.
cmake_minimum_required(VERSION 3.20)
# Lines as a list: the characters lists treat specially stand in for
# themselves as placeholders until the end.
file(READ "${HELP}" whole)
string(REPLACE ";" "@SEMICOLON@" whole "${whole}")
string(REPLACE "[" "@OPEN@" whole "${whole}")
string(REPLACE "]" "@CLOSE@" whole "${whole}")
string(REPLACE "\\" "@BACKSLASH@" whole "${whole}")
string(REPLACE "\n" ";" lines "${whole}")
set(text "")
set(started FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^%(.*)$")
    string(APPEND text "${CMAKE_MATCH_1}\n")
    set(started TRUE)
  elseif(started)
    break()
  endif()
endforeach()
if(text STREQUAL "")
  message(FATAL_ERROR "${HELP} has no help text")
endif()
string(REPLACE "@SEMICOLON@" ";" text "${text}")
string(REPLACE "@OPEN@" "[" text "${text}")
string(REPLACE "@CLOSE@" "]" text "${text}")
string(REPLACE "@BACKSLASH@" "\\" text "${text}")
set(content "// Generated from the help file: the help of the native function.\nstatic const char kHelp[] = R\"help(${text})help\";\n")
# Written only when it changes, so that a rebuild of the help does not
# recompile the function.
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${content}")
