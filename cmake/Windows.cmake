# The Windows side: Trawlix.exe, the stand-in client and the end-to-end tests that run under Wine.
enable_language(RC)

# Trawlix.exe, its shortcut files, the stand-in client and the test programs side by side.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(MINGW)
  # System DLLs only: no libgcc or libstdc++ DLL to ship beside the program.
  set(TRAWLIX_STATIC_LINK -static -static-libgcc -static-libstdc++)
endif()

# The resource file embeds the manifest, and with TrawlixRelease.h finds it through trawlix_logic's
# include folders (both written by trawlix_release_files).
set_source_files_properties(resources/trawlix.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/generated/trawlix.manifest;${CMAKE_BINARY_DIR}/generated/TrawlixRelease.h")

# The Win32 shell: the window classes with their handlers, and the real Windows calls behind
# APIcalls. Trawlix.exe is the shell's start and the resources.
add_library(trawlix_shell STATIC
  shell/Win32APIcalls.cpp
  shell/TrawlixWindow.cpp
  shell/TrayHandlers.cpp
  shell/ArmingHandlers.cpp
  shell/AboutWindow.cpp
)
target_link_libraries(trawlix_shell PUBLIC trawlix_logic user32 gdi32 advapi32 comctl32)

# How the program that ships is linked; the bench's floor programs are linked the same way. Small:
# unused functions dropped, no symbols. Hardened: ASLR (high-entropy on x86_64) and DEP; the i686
# image also says that it registers no SEH handlers, so Windows never takes a handler address from
# it. Each program writes its own linker map, which tells what each part of the library costs.
set(TRAWLIX_SHIPPED_LINK ${TRAWLIX_STATIC_LINK})
if(MINGW)
  list(APPEND TRAWLIX_SHIPPED_LINK -s -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)
  # Reproducible: no link time in the PE header (nor in its checksum, which covers the header).
  list(APPEND TRAWLIX_SHIPPED_LINK -Wl,--no-insert-timestamp)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND TRAWLIX_SHIPPED_LINK -Wl,--high-entropy-va)
  else()
    list(APPEND TRAWLIX_SHIPPED_LINK -Wl,--no-seh)
  endif()
endif()
if(MINGW)
  # Only programs linked by another language's driver take these: those linked as shipped.
  set(CMAKE_CXX_IMPLICIT_LINK_LIBRARIES "")
endif()
function(trawlix_link_as_shipped target)
  target_link_options(${target} PRIVATE ${TRAWLIX_SHIPPED_LINK})
  if(MINGW)
    target_link_options(${target} PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/${target}.map)
    # Linked by the C driver, without the C++ library, whose every object is built with exceptions
    # (shell/NoExceptions.cpp says what takes its place). CMake would add the library for the C++
    # objects (CMAKE_CXX_IMPLICIT_LINK_LIBRARIES, below).
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
  endif()
endfunction()

add_executable(Trawlix WIN32 shell/WinMain.cpp resources/trawlix.rc)
target_link_libraries(Trawlix PRIVATE trawlix_shell)
trawlix_link_as_shipped(Trawlix)
if(MSVC)
  # trawlix.rc embeds the manifest; the linker's own would be a second manifest resource.
  target_link_options(Trawlix PRIVATE /MANIFEST:NO)
endif()

if(MINGW)
  # What ships is small: optimized for size, without C++ exceptions or RTTI (shell/NoExceptions.cpp
  # says why that is sound), in sections the linker can drop one by one. Without the exception
  # runtime, the posix thread model's winpthreads is not linked either. The C++ library's checks of
  # its preconditions (bounds, for one) are on: a broken one ends the program instead of reading
  # past the end, and the library's string code is then compiled into the program, never taken from
  # the C++ library, whatever members a GCC version keeps there.
  set(TRAWLIX_LEAN_COMPILE -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti -D_GLIBCXX_ASSERTIONS)
  # Reproducible: no source or build folder in the code (__FILE__).
  list(APPEND TRAWLIX_LEAN_COMPILE -ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  foreach(target trawlix_logic trawlix_shell Trawlix)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${TRAWLIX_LEAN_COMPILE}>)
  endforeach()
  target_sources(Trawlix PRIVATE shell/NoExceptions.cpp)
endif()

# The shortcut files the About box opens live beside the executable, with the release's addresses
# (CMakeLists.txt).
set(TRAWLIX_LINK_FILES Donate.url EmailMe.url HomePage.url)
foreach(file ${TRAWLIX_LINK_FILES})
  configure_file(resources/${file}.in ${CMAKE_BINARY_DIR}/generated/${file} @ONLY NEWLINE_STYLE CRLF)
  add_custom_command(TARGET Trawlix POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_BINARY_DIR}/generated/${file}
            $<TARGET_FILE_DIR:Trawlix>/${file})
endforeach()

# A plain window of our own that takes the client's place here and logs the input it receives.
add_executable(StandInClient WIN32 tests/standin/StandInClient.cpp)
target_link_libraries(StandInClient PRIVATE user32 gdi32 comctl32)
target_link_options(StandInClient PRIVATE ${TRAWLIX_STATIC_LINK})

if(MINGW)
  # What ships, in both builds: architecture, hardening, imports and size.
  add_test(NAME build.Trawlix.exe
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-exe.sh $<TARGET_FILE:Trawlix> ${CMAKE_SYSTEM_PROCESSOR})
endif()
if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  # clang-tidy over the shell as the shipped build compiles it, with MinGW's headers (the native
  # tree checks the logic).
  set(TRAWLIX_SHELL_SOURCES)
  foreach(target trawlix_shell Trawlix)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(APPEND TRAWLIX_SHELL_SOURCES ${sources})
  endforeach()
  add_test(NAME build.tidy COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-tidy.sh ${CMAKE_BINARY_DIR} ${TRAWLIX_SHELL_SOURCES})
  set_tests_properties(build.tidy PROPERTIES PROCESSORS 2)
endif()
# The unit tests for this build and, with MinGW, the end-to-end test programs and the test kit's
# runner; the x86_64 build also runs the end-to-end tests under Wine.
include(cmake/TestKit.cmake)

if(CMAKE_CROSSCOMPILING)
  include(cmake/Bench.cmake)
endif()
