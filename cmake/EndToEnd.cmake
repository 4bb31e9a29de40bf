# End-to-end tests: Windows test programs that drive the real Trawlix.exe (and the stand-in client)
# from outside, run under Wine on a private Xvfb. One display and one prefix serve the whole run:
# the set-up test starts them, the clean-up test stops them.
set(TRAWLIX_E2E_STATE ${CMAKE_BINARY_DIR}/e2e-env)
set(TRAWLIX_WINE_ENV ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh)

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

add_library(e2e_support STATIC tests/e2e/E2eSupport.cpp)
target_include_directories(e2e_support PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/e2e)
target_link_libraries(e2e_support PUBLIC gtest gtest_main user32 gdi32 shell32 advapi32)

add_test(NAME e2e.environment.start COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} start)
add_test(NAME e2e.environment.stop COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} stop)
set_tests_properties(e2e.environment.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 1200)
set_tests_properties(e2e.environment.stop PROPERTIES FIXTURES_CLEANUP wine)

# Each TEST of a program becomes one CTest test; all share the one desktop, so none run at once.
function(trawlix_e2e_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE e2e_support)
  target_link_options(${name} PRIVATE ${TRAWLIX_STATIC_LINK})
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${TRAWLIX_WINE_ENV};--state;${TRAWLIX_E2E_STATE};run")
  add_dependencies(${name} Trawlix StandInClient)
  gtest_add_tests(TARGET ${name} TEST_PREFIX "e2e." TEST_LIST tests)
  set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK desktop TIMEOUT 300)
endfunction()

trawlix_e2e_test(panel_e2e tests/e2e/panel_e2e.cpp)
# The main window is also opened inside the test program, where its controls' accessible names
# can be read.
target_link_libraries(panel_e2e PRIVATE trawlix_shell oleacc ole32 oleaut32)
trawlix_e2e_test(automation_e2e tests/e2e/automation_e2e.cpp)
target_link_libraries(automation_e2e PRIVATE trawlix_shell)
trawlix_e2e_test(arming_e2e tests/e2e/arming_e2e.cpp)
# Hooked into every program of the test desktop: tells a test when the main window is shown.
add_library(MainWindowShowHook SHARED tests/e2e/MainWindowShowHook.cpp)
target_link_libraries(MainWindowShowHook PRIVATE user32)
target_link_options(MainWindowShowHook PRIVATE ${TRAWLIX_STATIC_LINK})
set_target_properties(MainWindowShowHook PROPERTIES PREFIX "")
add_dependencies(arming_e2e MainWindowShowHook)
trawlix_e2e_test(tray_e2e tests/e2e/tray_e2e.cpp)
# The About box is also opened inside the test program, which carries the program's icon for it.
trawlix_e2e_test(about_e2e tests/e2e/about_e2e.cpp tests/e2e/icon.rc)
target_link_libraries(about_e2e PRIVATE trawlix_shell)

# Not a test: takes the README's pictures (make screenshots).
add_executable(screenshots tests/e2e/screenshots.cpp)
target_link_libraries(screenshots PRIVATE e2e_support)
target_link_options(screenshots PRIVATE ${TRAWLIX_STATIC_LINK})
add_dependencies(screenshots Trawlix)

# The release files that make package writes beside the build trees (make test makes them first).
cmake_path(GET CMAKE_BINARY_DIR PARENT_PATH TRAWLIX_BUILD_ROOT)
set(TRAWLIX_PACKAGE_DIR ${TRAWLIX_BUILD_ROOT}/package CACHE PATH "Folder of the installer and the ZIPs")
add_test(NAME package.zips
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-zips.sh ${TRAWLIX_PACKAGE_DIR} ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}/bin)
# The same release signed with a throwaway certificate, in a scratch folder.
add_test(NAME package.signed COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-signing.sh ${TRAWLIX_BUILD_ROOT} ${PROJECT_VERSION})
trawlix_e2e_test(install_e2e tests/e2e/install_e2e.cpp)
target_compile_definitions(install_e2e PRIVATE TRAWLIX_PACKAGE_DIR="Z:${TRAWLIX_PACKAGE_DIR}")
