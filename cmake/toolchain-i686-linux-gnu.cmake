# 32-bit x86 Linux programs (gcc -m32; Debian's libc6-dev-i386 and
# lib32stdc++-12-dev, not gcc-multilib, which would remove the aarch64 cross
# compiler) that host the Win32 plug-ins: the test programs of the Win32
# suite, built with -DTOOLBOX_WIN32_HOST=ON (cmake/Mex.cmake). Their
# arithmetic runs on the x87 unit, as the plug-ins' does. They run under
# user-mode qemu (qemu-i386), which CTest and GoogleTest's test discovery call
# through CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

find_program(CMAKE_C_COMPILER NAMES gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES g++ REQUIRED)
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_INIT "-m32")
endforeach()
# Debian's kernel headers for x86 (<asm/...>) serve 32- and 64-bit programs
# alike but sit in the amd64 folder, which gcc -m32 does not search (the
# link that gcc-multilib would add): a folder of the build links to them.
set(asm_headers /usr/include/x86_64-linux-gnu/asm)
if(NOT EXISTS /usr/include/asm AND EXISTS "${asm_headers}/errno.h")
  set(dir "${CMAKE_BINARY_DIR}/i386-include")
  if(NOT EXISTS "${dir}/asm")
    file(MAKE_DIRECTORY "${dir}")
    file(CREATE_LINK "${asm_headers}" "${dir}/asm" SYMBOLIC)
  endif()
  foreach(lang C CXX)
    string(APPEND CMAKE_${lang}_FLAGS_INIT " -idirafter ${dir}")
  endforeach()
endif()
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-m32")
endforeach()

find_program(QEMU_I386 NAMES qemu-i386 qemu-i386-static)
if(QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${QEMU_I386}")
endif()
