# 64-bit Windows: the test build of the same sources where 32-bit code cannot run.
set(TN_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
