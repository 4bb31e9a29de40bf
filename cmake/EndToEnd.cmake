# End-to-end tests: Windows test programs that drive the real Trawlix.exe (and the stand-in client)
# from outside. Both MinGW builds make them for the test kit; the x86_64 build also runs them here,
# under Wine on a private Xvfb, through the kit's runner (the kit.* tests) or one by one through
# CTest (label e2e). One display and one prefix serve the whole run: the set-up test starts them,
# the clean-up test stops them.
set(TRAWLIX_E2E_STATE ${CMAKE_BINARY_DIR}/e2e-env)
set(TRAWLIX_WINE_ENV ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh)

add_library(e2e_support STATIC tests/e2e/E2eSupport.cpp tests/e2e/E2eAccessibility.cpp)
target_include_directories(e2e_support PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/e2e)
target_link_libraries(e2e_support PUBLIC gtest gtest_main user32 gdi32 shell32 advapi32 oleacc ole32 oleaut32)
trawlix_quick_compile(e2e_support)

if(TRAWLIX_E2E)
  add_test(NAME e2e.environment.start COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} start)
  add_test(NAME e2e.environment.stop COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} stop)
  set_tests_properties(e2e.environment.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 1200)
  set_tests_properties(e2e.environment.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# Each TEST of a program becomes one CTest test; all share the one desktop, so none run at once.
# A test that GTEST_SKIPs (one that only Windows can show) counts as skipped, not passed.
function(trawlix_e2e_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE e2e_support)
  target_link_options(${name} PRIVATE ${TRAWLIX_STATIC_LINK})
  trawlix_quick_compile(${name})
  add_dependencies(${name} Trawlix StandInClient)
  if(TRAWLIX_E2E)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${TRAWLIX_WINE_ENV};--state;${TRAWLIX_E2E_STATE};run")
    gtest_add_tests(TARGET ${name} TEST_PREFIX "e2e." TEST_LIST tests)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK desktop TIMEOUT 300 LABELS e2e
                                             SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  endif()
endfunction()

trawlix_e2e_test(panel_e2e tests/e2e/panel_e2e.cpp)
# The main window is also opened inside the test program, where its controls' accessible names
# can be read.
target_link_libraries(panel_e2e PRIVATE trawlix_shell)
trawlix_e2e_test(automation_e2e tests/e2e/automation_e2e.cpp)
target_link_libraries(automation_e2e PRIVATE trawlix_shell)
trawlix_e2e_test(arming_e2e tests/e2e/arming_e2e.cpp)
if(TRAWLIX_E2E)
  # Under Wine every program types with the X server's keymap, whatever keyboard layout its thread
  # activates: the client's layout test runs again with a Russian and a Greek keymap on the test
  # display. Skipping there would mean the keymap did not take, so it fails instead, as does a filter
  # that no longer names the test.
  foreach(keymap ru gr)
    add_test(NAME keymap.${keymap}
             COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} run-keymap ${keymap} $<TARGET_FILE:arming_e2e>
                     --gtest_filter=Arming.ClientTypingInARussianOrAGreekLayoutHasItsMenuEntriesPicked)
    set_tests_properties(keymap.${keymap} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK desktop TIMEOUT 300
                                                     FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
                                                     PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] 1 test\\.")
  endforeach()
endif()
# Hooked into every program of the test desktop: tells a test when the main window is shown.
add_library(MainWindowShowHook SHARED tests/e2e/MainWindowShowHook.cpp tests/e2e/MainWindowShowHook.def)
target_link_libraries(MainWindowShowHook PRIVATE user32)
target_link_options(MainWindowShowHook PRIVATE ${TRAWLIX_STATIC_LINK})
set_target_properties(MainWindowShowHook PROPERTIES PREFIX "")
if(MINGW)  # the .def's plain name for the decorated i686 one, as MSVC's linker takes it
  target_link_options(MainWindowShowHook PRIVATE -Wl,--enable-stdcall-fixup)
endif()
add_dependencies(arming_e2e MainWindowShowHook)
trawlix_e2e_test(tray_e2e tests/e2e/tray_e2e.cpp)
# The About box is also opened inside the test program, which carries the program's icon for it.
trawlix_e2e_test(about_e2e tests/e2e/about_e2e.cpp tests/e2e/icon.rc)
target_link_libraries(about_e2e PRIVATE trawlix_shell)
# Opens the links in place of a browser, recording each path.
add_executable(OpenedLinkRecorder WIN32 tests/e2e/OpenedLinkRecorder.cpp)
target_link_options(OpenedLinkRecorder PRIVATE ${TRAWLIX_STATIC_LINK})
add_dependencies(about_e2e OpenedLinkRecorder)

# Only Windows shows these: each skips under Wine, saying why.
trawlix_e2e_test(windows_only_e2e tests/e2e/windows_only_e2e.cpp)

# The release files that make package writes beside the build trees (make test makes them first).
# In the test kit the installer lies beside the test program instead.
cmake_path(GET CMAKE_BINARY_DIR PARENT_PATH TRAWLIX_BUILD_ROOT)
set(TRAWLIX_PACKAGE_DIR ${TRAWLIX_BUILD_ROOT}/package CACHE PATH "Folder of the installer and the ZIPs")
trawlix_e2e_test(install_e2e tests/e2e/install_e2e.cpp)
target_compile_definitions(install_e2e PRIVATE TRAWLIX_PACKAGE_DIR="Z:${TRAWLIX_PACKAGE_DIR}")

# An earlier Trawlix, built from these sources with a lower version, and its installer, which the
# installer tests update: bin/Trawlix-earlier-setup.exe, in the test kit beside the test program.
# Its shell is compiled again, as the version is in its texts; nothing else is.
set(TRAWLIX_EARLIER_VERSION 1.0)
set(earlier ${CMAKE_BINARY_DIR}/earlier)
trawlix_release_files(${earlier}/generated ${TRAWLIX_EARLIER_VERSION})
get_target_property(shell_sources trawlix_shell SOURCES)
add_executable(TrawlixEarlier WIN32 shell/WinMain.cpp resources/trawlix.rc ${shell_sources})
target_include_directories(TrawlixEarlier BEFORE PRIVATE ${earlier}/generated)
target_link_libraries(TrawlixEarlier PRIVATE trawlix_logic user32 gdi32 advapi32 comctl32)
target_link_options(TrawlixEarlier PRIVATE ${TRAWLIX_STATIC_LINK} -s)
set_target_properties(TrawlixEarlier PROPERTIES OUTPUT_NAME Trawlix RUNTIME_OUTPUT_DIRECTORY ${earlier}/program)
trawlix_quick_compile(TrawlixEarlier)
find_program(TRAWLIX_MAKENSIS makensis REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(nsis_target amd64-unicode)
else()
  set(nsis_target x86-unicode)
endif()
set(earlier_files)
foreach(file ${TRAWLIX_LINK_FILES})
  list(APPEND earlier_files ${CMAKE_BINARY_DIR}/generated/${file})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/Trawlix-earlier-setup.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${earlier_files} ${earlier}/program/
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/package/README.txt ${earlier}/program/README.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/LICENSE ${earlier}/program/LICENSE.txt
  COMMAND ${TRAWLIX_MAKENSIS} -V2 -DTARGET=${nsis_target} -DVERSION=${TRAWLIX_EARLIER_VERSION} -DBIN=${earlier}/program
          -DOUTFILE=${CMAKE_BINARY_DIR}/bin/Trawlix-earlier-setup.exe ${CMAKE_SOURCE_DIR}/package/trawlix.nsi
  DEPENDS TrawlixEarlier ${earlier_files} ${CMAKE_SOURCE_DIR}/package/trawlix.nsi ${CMAKE_SOURCE_DIR}/package/README.txt
          ${CMAKE_SOURCE_DIR}/LICENSE
  VERBATIM)
add_custom_target(TrawlixEarlierSetup DEPENDS ${CMAKE_BINARY_DIR}/bin/Trawlix-earlier-setup.exe)
add_dependencies(install_e2e TrawlixEarlierSetup)
target_compile_definitions(install_e2e PRIVATE TRAWLIX_EARLIER_VERSION="${TRAWLIX_EARLIER_VERSION}")

if(TRAWLIX_E2E)
  # Not a test: takes the README's pictures (make screenshots).
  add_executable(screenshots tests/e2e/screenshots.cpp)
  target_link_libraries(screenshots PRIVATE e2e_support)
  target_link_options(screenshots PRIVATE ${TRAWLIX_STATIC_LINK})
  add_dependencies(screenshots Trawlix)

  add_test(NAME package.zips
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-zips.sh ${TRAWLIX_PACKAGE_DIR} ${PROJECT_VERSION} ${CMAKE_BINARY_DIR}/bin)
  # The same release signed with a throwaway certificate, in a scratch folder.
  add_test(NAME package.signed COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-signing.sh ${TRAWLIX_BUILD_ROOT} ${PROJECT_VERSION})

  # The test kit that make test-kit writes: unpacked afresh, its x64 set run through run-tests.cmd
  # as on a Windows PC (the x86 set cannot start under 64-bit Wine, and the runner says so; the i686
  # tree runs its unit tests under emulated 32-bit Wine), and the runner's care for the user's own
  # Trawlix.
  set(TRAWLIX_KIT_ZIP ${TRAWLIX_BUILD_ROOT}/test-kit/Trawlix-${PROJECT_VERSION}-tests.zip)
  set(TRAWLIX_KIT_DIR ${CMAKE_BINARY_DIR}/kit)
  add_test(NAME kit.unpack COMMAND ${CMAKE_COMMAND} -E rm -rf ${TRAWLIX_KIT_DIR})
  add_test(NAME kit.unzip COMMAND unzip -q ${TRAWLIX_KIT_ZIP} -d ${TRAWLIX_KIT_DIR})
  set_tests_properties(kit.unpack kit.unzip PROPERTIES FIXTURES_SETUP kit)
  set_tests_properties(kit.unzip PROPERTIES DEPENDS kit.unpack)
  string(REPLACE "/" "\\" kit_script "Z:${TRAWLIX_KIT_DIR}/run-tests.cmd")
  add_test(NAME kit.run COMMAND ${TRAWLIX_WINE_ENV} --state ${TRAWLIX_E2E_STATE} run cmd /c ${kit_script})
  set_tests_properties(kit.run PROPERTIES FIXTURES_REQUIRED "wine;kit" RESOURCE_LOCK desktop TIMEOUT 2400)
  trawlix_e2e_test(kit_e2e tests/e2e/kit_e2e.cpp)
  target_compile_definitions(kit_e2e PRIVATE TRAWLIX_KIT_DIR="Z:${TRAWLIX_KIT_DIR}")
  get_property(kit_tests DIRECTORY PROPERTY TESTS)
  list(FILTER kit_tests INCLUDE REGEX "^e2e\\.TestKit\\.")
  set_tests_properties(${kit_tests} PROPERTIES FIXTURES_REQUIRED "wine;kit" LABELS kit TIMEOUT 600)

  # The i686 build's program and unit tests, under Wine with the 32-bit programs emulated.
  include(cmake/I686Tests.cmake)
endif()
