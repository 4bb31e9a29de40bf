# The bench (make bench; no test runs it): two floor programs built with Trawlix's compiler and
# flags, and under Wine a soak build of Trawlix and the driver that measures them all.

# The floors take the compile options Trawlix.exe has, whatever they are, and are linked as it is.
function(bench_program name)
  add_executable(${name} WIN32 ${ARGN})
  target_compile_options(${name} PRIVATE $<TARGET_PROPERTY:Trawlix,COMPILE_OPTIONS>)
  trawlix_link_as_shipped(${name})
endfunction()

bench_program(BenchBareFloor bench/Floor.cpp)
target_link_libraries(BenchBareFloor PRIVATE user32)
bench_program(BenchControlsFloor bench/Floor.cpp bench/ControlsFloor.rc)
target_compile_definitions(BenchControlsFloor PRIVATE BENCH_FLOOR_CONTROLS)
target_include_directories(BenchControlsFloor PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(BenchControlsFloor PRIVATE user32 comctl32)

if(CMAKE_CROSSCOMPILING AND TRAWLIX_E2E)
  # Trawlix from the same sources, its real Windows calls included, with only the cycle's menu
  # pause shortened, so that the soak runs ten thousand cycles in minutes.
  get_target_property(trawlix_sources Trawlix SOURCES)
  get_target_property(shell_sources trawlix_shell SOURCES)
  get_target_property(shell_libraries trawlix_shell LINK_LIBRARIES)
  bench_program(TrawlixBench ${trawlix_sources} ${shell_sources})
  target_compile_definitions(TrawlixBench PRIVATE TRAWLIX_PAUSE_MS=5)
  target_compile_options(TrawlixBench PRIVATE $<TARGET_PROPERTY:trawlix_shell,COMPILE_OPTIONS>)
  target_link_libraries(TrawlixBench PRIVATE ${shell_libraries})

  add_executable(BenchDriver bench/BenchDriver.cpp bench/ProcessStats.cpp)
  target_link_libraries(BenchDriver PRIVATE e2e_support trawlix_shell ntdll)
  target_link_options(BenchDriver PRIVATE ${TRAWLIX_STATIC_LINK})
  add_dependencies(BenchDriver Trawlix TrawlixBench StandInClient BenchBareFloor BenchControlsFloor)
endif()
