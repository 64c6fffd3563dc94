# Test programs of the Windows cross builds: GoogleTest built from its sources
# for the target, and CTest entries that run each program under Wine.
#
# A fresh Wine prefix is made in the build folder at the start of every test
# run (test <platform>.wine.setup); at the end its server is stopped and the
# prefix removed (<platform>.wine.cleanup). When Wine
# is missing or cannot run programs of this build's kind, the Wine tests are
# reported as skipped, with the reason in their output (exit code 77).

include(GTestFromSource)
# Our platform adjustments (tests/mingw) take the place of GoogleTest's empty
# gtest/internal/custom/gtest-port.h.
foreach(t gtest gtest_main)
  target_include_directories(${t} BEFORE PUBLIC "${PROJECT_SOURCE_DIR}/tests/mingw")
endforeach()
target_sources(gtest PRIVATE "${PROJECT_SOURCE_DIR}/tests/mingw/notification.cpp")

# The test programs use the compiler's C++ runtime DLLs (so that exceptions
# may cross the test host's DLLs); they are placed beside the programs. The
# shipped plug-ins link the runtime statically and need none of them.
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll)
  execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
    file(COPY "${path}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  endif()
endforeach()

# The 32-bit test programs start with the x87 unit at 53-bit precision, the
# setting of programs built with Microsoft's C runtime (MATLAB among them),
# instead of mingw's 64 bits; tests choose another with support::X87Precision.
set(X87_STARTUP "")
if(TOOLBOX_PLATFORM STREQUAL win32)
  execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=CRT_fp8.o
                  OUTPUT_VARIABLE X87_STARTUP OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${X87_STARTUP}")
    message(FATAL_ERROR "mingw-w64's CRT_fp8.o not found")
  endif()
endif()

# Wine maps the root of the Unix file system to drive Z:.
set(TOOLBOX_TEST_DIST_DIR "Z:${TOOLBOX_DIST_DIR}")

set(WINE_RUN "${PROJECT_SOURCE_DIR}/tests/wine_run.sh")
set(WINE_PREFIX_DIR "${PROJECT_BINARY_DIR}/wineprefix")

add_executable(wine_probe "${PROJECT_SOURCE_DIR}/tests/wine_probe.c")
add_test(NAME ${TOOLBOX_PLATFORM}.wine.setup
         COMMAND bash "${WINE_RUN}" --setup "${WINE_PREFIX_DIR}" $<TARGET_FILE:wine_probe>)
add_test(NAME ${TOOLBOX_PLATFORM}.wine.cleanup
         COMMAND bash "${WINE_RUN}" --cleanup "${WINE_PREFIX_DIR}")
set_tests_properties(${TOOLBOX_PLATFORM}.wine.setup PROPERTIES
  FIXTURES_SETUP wine SKIP_RETURN_CODE 77 LABELS windows)
set_tests_properties(${TOOLBOX_PLATFORM}.wine.cleanup PROPERTIES
  FIXTURES_CLEANUP wine LABELS windows)

# add_wine_test(<target>): runs the test program <target> under Wine.
function(add_wine_test name)
  if(X87_STARTUP)
    target_link_libraries(${name} PRIVATE "${X87_STARTUP}")
  endif()
  set(test ${TOOLBOX_PLATFORM}.${name})
  add_test(NAME ${test} COMMAND bash "${WINE_RUN}" "${WINE_PREFIX_DIR}" $<TARGET_FILE:${name}>)
  set_tests_properties(${test} PROPERTIES
    FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77 LABELS windows)
endfunction()
