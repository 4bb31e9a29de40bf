# The i686 build's tests, run here under 32-bit Wine (scripts/wine32-env.sh), emulated by qemu-user
# where the kernel runs no 32-bit code: all its unit tests, the logic's run as 32-bit code, and
# end-to-end tests of the shipped i686 Trawlix.exe for what only it can get wrong: the 88-byte
# notification record with 32-bit handles, stdcall window procedures and callbacks, the click with
# its point, the shell's calls. Under emulation each process spends about a minute translating
# before it runs, so each test program runs once for the tests chosen from it. `make test-x86` runs
# the whole x86 set: every test program of the test kit's x86 set, whole (label x86-set), but the
# installer's (the release's installer is the 64-bit build's; the kit's x86 set brings its own).
set(TRAWLIX_E2E32_STATE ${CMAKE_BINARY_DIR}/e2e-env)
set(TRAWLIX_WINE32_ENV ${CMAKE_SOURCE_DIR}/scripts/wine32-env.sh)

# One display, prefix and server for the whole run: making the prefix (if make test has not) takes
# about 10 minutes, the server's start-up about 8; each is tried twice within its limit.
add_test(NAME i686.environment.start COMMAND ${TRAWLIX_WINE32_ENV} --state ${TRAWLIX_E2E32_STATE} start)
add_test(NAME i686.environment.stop COMMAND ${TRAWLIX_WINE32_ENV} --state ${TRAWLIX_E2E32_STATE} stop)
# Exit code 3: the environment did not come up, and the tests are skipped (make test says why).
set_tests_properties(i686.environment.start PROPERTIES FIXTURES_SETUP wine32 TIMEOUT 5400 SKIP_RETURN_CODE 3)
set_tests_properties(i686.environment.stop PROPERTIES FIXTURES_CLEANUP wine32)
# The end-to-end tests need Wine's desktop with its notification area, which the keeper brings up
# and holds for the run. Wine starts one desktop process per desktop, so a desktop process that
# crashed is tried once more with a new server (about 8 minutes more), each within a limit.
# make test runs them (label i686-e2e); the whole x86 set (label x86-set) takes too long for it.
add_executable(DesktopKeeper tests/e2e/DesktopKeeper.cpp)
target_link_libraries(DesktopKeeper PRIVATE user32)
target_link_options(DesktopKeeper PRIVATE ${TRAWLIX_STATIC_LINK})
add_test(NAME i686.desktop.start
         COMMAND ${TRAWLIX_WINE32_ENV} --state ${TRAWLIX_E2E32_STATE} desktop $<TARGET_FILE:DesktopKeeper>)
set_tests_properties(i686.desktop.start PROPERTIES FIXTURES_SETUP desktop32 FIXTURES_REQUIRED wine32 TIMEOUT 2700
                                                    LABELS i686-e2e SKIP_RETURN_CODE 3)

# trawlix_i686_test(NAME TARGET LABEL [ARGUMENTS...]): the test program run once under emulation;
# skipped (exit code 3) where the environment, or for end-to-end tests the desktop, is not up.
function(trawlix_i686_test name target label)
  set(needs_desktop --needs-desktop)
  if(label STREQUAL i686-unit)
    set(needs_desktop "")
  endif()
  add_test(NAME ${name} COMMAND ${TRAWLIX_WINE32_ENV} --state ${TRAWLIX_E2E32_STATE} run ${needs_desktop}
                                $<TARGET_FILE:${target}> ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine32;desktop32" RESOURCE_LOCK desktop32 LABELS ${label}
                                          TIMEOUT 1500 SKIP_RETURN_CODE 3)
endfunction()

trawlix_i686_test(i686.unit trawlix_unit_tests i686-unit)
set_tests_properties(i686.unit PROPERTIES FIXTURES_REQUIRED wine32)

# Added to the notification area, its popup menu, restored and Exit: the notification record.
trawlix_i686_test(i686.e2e.TrayIcon tray_e2e i686-e2e
  --gtest_filter=TrayIcon.MinimizeHidesBehindOneIconAndDoubleClickRestores:TrayIcon.RightButtonOpensThePopupAndExitSavesAndRemovesTheIcon)
# Armed through the window, the program's own one-minute timer works the stand-in with the exact
# script and the click at its point; /enable arms from the stored settings.
trawlix_i686_test(i686.e2e.Arming arming_e2e i686-e2e
  --gtest_filter=Arming.OwnMinuteWorksAClientIdleSinceItCameUpAndTheClickLandsWhileThePointerMoves:Arming.EnableSwitchArmsWithTheStoredSettingsOrSaysWhyNot)
# The About box's links open the shortcut files beside the program, by their full paths.
trawlix_i686_test(i686.e2e.AboutBox about_e2e i686-e2e --gtest_filter=AboutBox.EachLinkOpensItsShortcutBesideTheProgram)

foreach(program panel automation arming tray about windows_only)
  trawlix_i686_test(i686.x86set.${program} ${program}_e2e x86-set)
  set_tests_properties(i686.x86set.${program} PROPERTIES TIMEOUT 5400)
endforeach()
# Only Windows shows these: every one of them skips under Wine, saying why.
set_tests_properties(i686.x86set.windows_only PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
