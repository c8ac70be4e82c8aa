# Cross-build for 64-bit Windows with Debian's mingw-w64, the posix thread
# variant (std::thread, std::mutex). The C and C++ runtimes are linked in
# statically, so the programs need nothing beyond msvcrt and the system DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One C runtime for every object: msvcrt. The wide entry point (-municode,
# wmain) comes with the rqx340_program_main library, so only the programs get
# it: the compiler checks and the test programs link a plain main.
set(CMAKE_CXX_FLAGS_INIT "-D__MSVCRT_VERSION__=0x700")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# -O2, not -O3: at -O3 this compiler's inlined std::filesystem::path::string()
# (UTF-16 to UTF-8 through codecvt) faults on some paths; -O2 does not.
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O2 -DNDEBUG")

# Tests and tools built here run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
