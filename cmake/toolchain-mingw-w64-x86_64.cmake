# Cross-builds for 64-bit Windows with MinGW-w64 and runs what it builds under Wine.
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
#
# The compilers are the POSIX thread model variants: std::thread and std::mutex need it.
# The C++ runtime, libgcc and winpthread are linked statically, so the programs and
# libraries built here depend on Windows' own DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW tree only, never from the Linux host; the
# tools that run during the build (code generators, makensis) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The Windows client library is built outside that tree; find_path() and find_library()
# may look for it there too.
if(CALENDAR_WINDOWS_CLIENT_DIR)
  list(APPEND CMAKE_FIND_ROOT_PATH ${CALENDAR_WINDOWS_CLIENT_DIR})
endif()

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# ctest and add_custom_command() run the programs under Wine.
get_filename_component(CALENDAR_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CALENDAR_WINE_RUN})
