# Shared part of the mingw-w64 cross toolchains; included by
# toolchain-i686-w64-mingw32.cmake and toolchain-x86_64-w64-mingw32.cmake after
# they set MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)

# Prefer the compilers with the win32 thread model: the posix flavour would pull
# in libwinpthread-1.dll, a DLL no MATLAB install provides.
foreach(tool gcc g++)
  find_program(MINGW_${tool} NAMES ${MINGW_TRIPLE}-${tool}-win32 ${MINGW_TRIPLE}-${tool} REQUIRED)
endforeach()
set(CMAKE_C_COMPILER "${MINGW_gcc}")
set(CMAKE_CXX_COMPILER "${MINGW_g++}")
find_program(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
find_program(CMAKE_DLLTOOL ${MINGW_TRIPLE}-dlltool REQUIRED)
find_program(MINGW_OBJDUMP ${MINGW_TRIPLE}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH "/usr/${MINGW_TRIPLE}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
