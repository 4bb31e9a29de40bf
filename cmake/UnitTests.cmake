# Native unit tests of the logic against the fake desktop, with sanitizers.
find_package(GTest REQUIRED)
include(GoogleTest)

set(TRAWLIX_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(trawlix_logic PRIVATE ${TRAWLIX_SANITIZE})

add_executable(trawlix_unit_tests
  tests/unit/FakeDesktop.cpp
  tests/unit/settings_test.cpp
  tests/unit/arming_test.cpp
  tests/unit/automation_test.cpp
  tests/unit/about_test.cpp
)
target_include_directories(trawlix_unit_tests PRIVATE tests/unit)
target_compile_options(trawlix_unit_tests PRIVATE ${TRAWLIX_SANITIZE})
target_link_options(trawlix_unit_tests PRIVATE ${TRAWLIX_SANITIZE})
target_link_libraries(trawlix_unit_tests PRIVATE trawlix_logic GTest::gtest_main)
gtest_discover_tests(trawlix_unit_tests TEST_PREFIX "unit.")
