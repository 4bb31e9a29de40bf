# The i686 build's tests, run from this tree: the i686 Trawlix.exe and unit tests (built in the
# win32 tree beside this one) in a 64-bit Wine prefix with 32-bit support, as 64-bit Windows runs
# 32-bit programs (WoW64). Only the 32-bit programs run under qemu-i386, with the 32-bit Wine that
# scripts/deps-i686.sh fetched; Wine's services, its desktop, the stand-in client and this tree's
# test programs, which drive the i686 Trawlix.exe, run natively. Its own display and prefix, so these
# tests run beside the x86_64 ones (make test runs CTest with two jobs).
set(TRAWLIX_I686_BIN ${TRAWLIX_BUILD_ROOT}/win32/bin CACHE PATH "Folder of the i686 build's programs")
set(TRAWLIX_I386_ROOT ${TRAWLIX_BUILD_ROOT}/i386 CACHE PATH "Folder of the 32-bit Wine that deps-i686.sh fetches")
set(i686_env ${TRAWLIX_WINE_ENV} --state ${CMAKE_BINARY_DIR}/i686-env --i386 ${TRAWLIX_I386_ROOT})
string(REPLACE "/" "\\" i686_program_dir "Z:${TRAWLIX_I686_BIN}")

# Exit code 3 from the environment: the 32-bit side did not come up (no 32-bit Wine could be had,
# or its installer steps failed under qemu), and the tests are skipped; make test says why.
add_test(NAME i686.environment.start COMMAND ${i686_env} start)
add_test(NAME i686.environment.stop COMMAND ${i686_env} stop)
set_tests_properties(i686.environment.start PROPERTIES FIXTURES_SETUP wine32 TIMEOUT 1200 SKIP_RETURN_CODE 3)
set_tests_properties(i686.environment.stop PROPERTIES FIXTURES_CLEANUP wine32)

# trawlix_i686_test(NAME LABEL PROGRAM [ARGUMENTS...]): a test program run once in that environment.
function(trawlix_i686_test name label program)
  add_test(NAME ${name} COMMAND ${i686_env} run ${program} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine32 RESOURCE_LOCK desktop32 LABELS ${label}
                                          TIMEOUT 1500 SKIP_RETURN_CODE 3
                                          ENVIRONMENT TRAWLIX_E2E_PROGRAM_DIR=${i686_program_dir})
endfunction()

# All the unit tests, the logic run as 32-bit code, through the test kit as a user runs it on 64-bit
# Windows: run-tests.cmd runs each set's unit tests, and the x86 set's closing line must count real
# tests (a 32-bit program that does not run would list none, which the kit reports as "not run").
# A copy of the kit of its own, as the x86_64 tests run theirs beside this one.
set(i686_kit_dir ${CMAKE_BINARY_DIR}/kit-i686)
add_test(NAME i686.kit.unzip COMMAND sh -c "rm -rf \"$1\" && unzip -q \"$2\" -d \"$1\"" sh ${i686_kit_dir} ${TRAWLIX_KIT_ZIP})
set_tests_properties(i686.kit.unzip PROPERTIES FIXTURES_SETUP kit32)
string(REPLACE "/" "\\" i686_kit_script "Z:${i686_kit_dir}/run-tests.cmd")
trawlix_i686_test(i686.unit i686-unit cmd /c ${i686_kit_script} --only trawlix_unit_tests)
set_tests_properties(i686.unit PROPERTIES FIXTURES_REQUIRED "wine32;kit32"
                                          PASS_REGULAR_EXPRESSION "\nx86: [1-9][0-9]* passed, 0 failed"
                                          FAIL_REGULAR_EXPRESSION "not run|[1-9][0-9]* failed|Could not put back|Interrupted")

# The shipped i686 Trawlix.exe, end-to-end, for what only it can get wrong: the 88-byte notification
# record with 32-bit handles, stdcall window procedures and callbacks, the click with its point, the
# shell's calls. Each test program runs once for the tests chosen from it (each start of the i686
# Trawlix.exe costs about a minute of translation).
# Added to the notification area, its popup menu, restored and Exit: the notification record.
trawlix_i686_test(i686.e2e.TrayIcon i686-e2e $<TARGET_FILE:tray_e2e>
  --gtest_filter=TrayIcon.MinimizeHidesBehindOneIconAndDoubleClickRestores:TrayIcon.RightButtonOpensThePopupAndExitSavesAndRemovesTheIcon)
# Armed through the window, the program's own one-minute timer works the stand-in with the exact
# script and the click at its point.
trawlix_i686_test(i686.e2e.Arming i686-e2e $<TARGET_FILE:arming_e2e>
  --gtest_filter=Arming.OwnMinuteWorksAClientIdleSinceItCameUpAndTheClickLandsWhileThePointerMoves)
# /enable arms from the stored settings without ever showing the window: the test watches every
# show through a hook DLL in each program of the desktop, which must be of the program's own
# architecture, so the i686 test program drives this one (a minute more for its emulated start).
trawlix_i686_test(i686.e2e.EnableSwitch i686-e2e ${TRAWLIX_I686_BIN}/arming_e2e.exe
  --gtest_filter=Arming.EnableSwitchArmsWithTheStoredSettingsOrSaysWhyNot)
# The About box's links open the shortcut files beside the program, by their full paths.
trawlix_i686_test(i686.e2e.AboutBox i686-e2e $<TARGET_FILE:about_e2e> --gtest_filter=AboutBox.EachLinkOpensItsShortcutBesideTheProgram)

# make test-x86: the test kit's whole x86 set but the installer's program (the release's installer is
# the x86_64 build's), its 32-bit test programs driving the i686 Trawlix.exe and stand-in client, as
# run-tests.cmd runs the set on 64-bit Windows; every one of them emulated, so about an hour.
foreach(program panel automation arming tray about windows_only)
  trawlix_i686_test(i686.x86set.${program} x86-set ${TRAWLIX_I686_BIN}/${program}_e2e.exe)
  set_tests_properties(i686.x86set.${program} PROPERTIES TIMEOUT 5400)
endforeach()
# Only Windows shows these: every one of them skips under Wine, saying why.
set_tests_properties(i686.x86set.windows_only PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
