# GoogleTest built from its sources (Debian: googletest) for the target of a
# cross build, whose own GoogleTest libraries the build machine lacks.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
if(NOT EXISTS "${GTEST_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SOURCE_DIR} (Debian: googletest)")
endif()
add_subdirectory("${GTEST_SOURCE_DIR}" "${PROJECT_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
