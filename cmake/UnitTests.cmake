# Native unit tests of the logic against the fake desktop, with sanitizers.
find_package(GTest REQUIRED)
include(GoogleTest)

set(TRAWLIX_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(trawlix_logic PRIVATE ${TRAWLIX_SANITIZE})

add_executable(trawlix_unit_tests ${TRAWLIX_UNIT_TEST_SOURCES})
target_include_directories(trawlix_unit_tests PRIVATE tests/unit)
target_compile_options(trawlix_unit_tests PRIVATE ${TRAWLIX_SANITIZE})
target_link_options(trawlix_unit_tests PRIVATE ${TRAWLIX_SANITIZE})
target_link_libraries(trawlix_unit_tests PRIVATE trawlix_logic GTest::gtest_main)

# A locale whose decimal point is a comma, made in the build tree (glibc installs only the C ones), for
# the test that numbers read the same whatever the C runtime's locale.
set(TRAWLIX_TEST_LOCALES ${CMAKE_BINARY_DIR}/locales)
add_custom_command(OUTPUT ${TRAWLIX_TEST_LOCALES}/de_DE.UTF-8/LC_NUMERIC
  COMMAND localedef -c -i de_DE -f UTF-8 ${TRAWLIX_TEST_LOCALES}/de_DE.UTF-8
  COMMENT "Making the de_DE.UTF-8 locale for the unit tests")
add_custom_target(test_locales ALL DEPENDS ${TRAWLIX_TEST_LOCALES}/de_DE.UTF-8/LC_NUMERIC)
target_compile_definitions(trawlix_unit_tests PRIVATE TRAWLIX_TEST_LOCALES="${TRAWLIX_TEST_LOCALES}")
# The README's and README.txt's messages tables against the program's texts: reads the source tree,
# so it stays out of the Windows builds and the test kit.
target_sources(trawlix_unit_tests PRIVATE tests/unit/messages_table_test.cpp)
# The test kit's counting, which only the kit's runner uses.
target_sources(trawlix_unit_tests PRIVATE tests/unit/kit_results_test.cpp)
target_link_libraries(trawlix_unit_tests PRIVATE kit_results)
target_compile_options(kit_results PRIVATE ${TRAWLIX_SANITIZE})
target_include_directories(kit_results PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(trawlix_unit_tests PRIVATE TRAWLIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(trawlix_unit_tests TEST_PREFIX "unit.")
