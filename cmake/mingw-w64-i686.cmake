# 32-bit Windows, the architecture the wizard ships as.
set(TARNWICK_MINGW_TRIPLE i686-w64-mingw32)
set(TARNWICK_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
