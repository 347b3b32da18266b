# Cross-compiling for Windows with Debian's MinGW-w64; included by the
# per-architecture toolchain files after they set ORVEX_TOOLCHAIN_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest for Windows needs std::mutex.
set(CMAKE_C_COMPILER ${ORVEX_TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVEX_TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVEX_TOOLCHAIN_PREFIX}-windres)
set(CMAKE_DLLTOOL ${ORVEX_TOOLCHAIN_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${ORVEX_TOOLCHAIN_PREFIX}-objdump)
set(CMAKE_STRIP ${ORVEX_TOOLCHAIN_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVEX_TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
