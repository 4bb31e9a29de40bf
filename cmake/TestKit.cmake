# The tests that run on Windows itself: the logic's unit tests built for this target and, with
# MinGW, the end-to-end test programs and the runner of the test kit (make test-kit puts them with
# each build's Trawlix.exe into build/test-kit). With MSVC the unit tests alone, run by CTest.

# GoogleTest: an installed package (never looked for when cross-compiling, where it would find the
# host's), else Debian's sources, else downloaded: only the MSVC build on a hosted runner gets there.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest QUIET)
endif()
if(NOT TARGET GTest::gtest_main)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)  # MSVC: the same C runtime as the tests
  if(EXISTS /usr/src/googletest/googletest/CMakeLists.txt)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    include(FetchContent)
    FetchContent_Declare(googletest GIT_REPOSITORY https://github.com/google/googletest.git GIT_TAG v1.14.0
                         GIT_SHALLOW TRUE)
    FetchContent_MakeAvailable(googletest)
  endif()
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
include(GoogleTest)

# Test programs built with MinGW are optimized little: they compile in three quarters of the time,
# and nothing in them depends on their own speed.
function(trawlix_quick_compile)
  if(MINGW)
    foreach(target ${ARGN})
      target_compile_options(${target} PRIVATE -O1)
    endforeach()
  endif()
endfunction()
if(TARGET gtest)
  trawlix_quick_compile(gtest gtest_main)
endif()

# The same library the program links, as built for this target (lean with MinGW), no sanitizers.
add_executable(trawlix_unit_tests ${TRAWLIX_UNIT_TEST_SOURCES})
target_include_directories(trawlix_unit_tests PRIVATE tests/unit)
target_link_libraries(trawlix_unit_tests PRIVATE trawlix_logic GTest::gtest_main)
target_link_options(trawlix_unit_tests PRIVATE ${TRAWLIX_STATIC_LINK})
trawlix_quick_compile(trawlix_unit_tests)
if(NOT CMAKE_CROSSCOMPILING)
  gtest_discover_tests(trawlix_unit_tests TEST_PREFIX "unit.")
endif()

if(MINGW AND CMAKE_CROSSCOMPILING)
  include(cmake/EndToEnd.cmake)

  # Runs the kit's sets on a Windows PC, and keeps the user's Trawlix as it was.
  add_executable(KitRunner
    tests/kit/KitRunner.cpp
    tests/kit/RunnerOutput.cpp
    tests/kit/SafetyChecks.cpp
    tests/kit/UserState.cpp
    tests/kit/TestSet.cpp
  )
  target_link_libraries(KitRunner PRIVATE kit_results shell32 advapi32 user32)
  target_link_options(KitRunner PRIVATE ${TRAWLIX_STATIC_LINK} -municode -s)
endif()
