# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TIVANO_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TIVANO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIVANO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TIVANO_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot and the cross-built prefix only;
# programs that run during the build are the host's.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TIVANO_MINGW_TRIPLE})
if(DEFINED ENV{TIVANO_MINGW_PREFIX})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{TIVANO_MINGW_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the Windows libraries only.
set(ENV{PKG_CONFIG_LIBDIR} "$ENV{TIVANO_MINGW_PREFIX}/lib/pkgconfig:/usr/${TIVANO_MINGW_TRIPLE}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Tests and other programs of the build run under Wine, always through the script that
# keeps the machine's serial console out of Wine's reach.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
