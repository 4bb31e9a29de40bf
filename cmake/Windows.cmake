# The Windows side: Trawlix.exe, the stand-in client and the end-to-end tests that run under Wine.
enable_language(RC)

# Trawlix.exe, its shortcut files, the stand-in client and the test programs side by side.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(MINGW)
  # System DLLs only: no libgcc or libstdc++ DLL to ship beside the program.
  set(TRAWLIX_STATIC_LINK -static -static-libgcc -static-libstdc++)
endif()

# The real Windows calls behind APIcalls.
add_library(trawlix_win32 STATIC shell/Win32APIcalls.cpp)
target_link_libraries(trawlix_win32 PUBLIC trawlix_logic user32 shell32 advapi32)

# The Win32 shell: the window classes, their handlers and the start.
add_executable(Trawlix WIN32
  shell/WinMain.cpp
  shell/TrawlixWindow.cpp
  shell/TrayHandlers.cpp
  shell/ArmingHandlers.cpp
  shell/AboutWindow.cpp
  resources/trawlix.rc
)
target_link_libraries(Trawlix PRIVATE trawlix_win32 gdi32 comctl32)
target_link_options(Trawlix PRIVATE ${TRAWLIX_STATIC_LINK})

# The shortcut files the About box opens live beside the executable.
set(TRAWLIX_LINK_FILES Donate.url EmailMe.url HomePage.url)
foreach(file ${TRAWLIX_LINK_FILES})
  add_custom_command(TARGET Trawlix POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/resources/${file}
            $<TARGET_FILE_DIR:Trawlix>/${file})
endforeach()

# A plain window of our own that takes the client's place here and logs the input it receives.
add_executable(StandInClient WIN32 tests/standin/StandInClient.cpp)
target_link_libraries(StandInClient PRIVATE user32 gdi32 comctl32)
target_link_options(StandInClient PRIVATE ${TRAWLIX_STATIC_LINK})

if(CMAKE_CROSSCOMPILING AND TRAWLIX_E2E)
  include(cmake/EndToEnd.cmake)
elseif(CMAKE_CROSSCOMPILING)
  # The shipped build: a 32-bit GUI program that needs no DLL beyond the system's.
  add_test(NAME build.Trawlix.exe COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-exe.sh $<TARGET_FILE:Trawlix>)
endif()

if(CMAKE_CROSSCOMPILING)
  include(cmake/Bench.cmake)
endif()
