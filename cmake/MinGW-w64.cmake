# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, for std::thread).
# The programs are linked statically, so that Wine runs them without any DLL of the compiler beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAPELOFT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAPELOFT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAPELOFT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAPELOFT_MINGW_PREFIX}-windres)
# pkg-config for the target's libraries (mingw-w64-tools), not the build machine's.
set(PKG_CONFIG_EXECUTABLE ${TAPELOFT_MINGW_PREFIX}-pkg-config)

# Libraries that Debian has for Linux only are built for Windows into a prefix of their own
# (scripts/test-windows: SQLite, zlib, libxlsxwriter), searched after MinGW's own.
set(TAPELOFT_WINDOWS_DEPS "" CACHE PATH "Prefix of the libraries built for Windows outside Debian's packages")
set(CMAKE_FIND_ROOT_PATH /usr/${TAPELOFT_MINGW_PREFIX} ${TAPELOFT_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
