# Shared part of the mingw-w64 toolchain files: the file that includes this one sets
# TARNWICK_MINGW_TRIPLE and TARNWICK_MINGW_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 6.1)
set(CMAKE_SYSTEM_PROCESSOR ${TARNWICK_MINGW_PROCESSOR})

# The -posix variants: only they give std::thread, std::mutex and std::async.
set(CMAKE_C_COMPILER ${TARNWICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TARNWICK_MINGW_TRIPLE}-windres)

# Libraries and headers come from the cross tree only, never from the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Each program is one self-contained file: the C and C++ runtimes and winpthreads are linked
# in, so nothing has to be shipped beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
