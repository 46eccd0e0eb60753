# Cross build for 64-bit Windows with Debian's MinGW-w64 toolchain (the POSIX-threads variant,
# which std::thread and std::mutex need). Libraries come from the MinGW sysroot (zlib) and from
# the prefix that scripts/build-windows-deps fills (VARDEX_WINDOWS_DEPS, set by the preset).
# Programs that the build runs (the sample projects' maker) and the tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(vardex_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${vardex_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${vardex_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${vardex_mingw}-windres)

set(VARDEX_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build-windows-deps" CACHE PATH
    "Prefix of the Windows libraries built by scripts/build-windows-deps")
# The compiler checks read this file again in a project of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VARDEX_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${vardex_mingw} ${VARDEX_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the prefix's .pc files only, never the Linux ones.
set(ENV{PKG_CONFIG_LIBDIR} "${VARDEX_WINDOWS_DEPS}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-under-wine
                                   ${CMAKE_BINARY_DIR}/wine)

# GCC 12 reports std::string's concatenation as an overlapping memcpy at -O2 on this target (GCC
# bug 105329, a false positive); CI turns warnings into errors.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# One .exe that runs on a bare Windows: the C++ runtime and winpthreads linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
