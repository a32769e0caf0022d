# 64-bit Windows: the same program for hosts whose Wine can run only 64-bit code.
set(TARNWICK_MINGW_TRIPLE x86_64-w64-mingw32)
set(TARNWICK_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
