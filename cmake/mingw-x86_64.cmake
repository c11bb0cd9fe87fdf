# The 64-bit Windows build of the same sources: it runs the Wine tests and the demo under wine64
# on machines that cannot execute 32-bit programs.
set(MINGW_ARCH x86_64)
set(VEXIL_WINEARCH win64 CACHE STRING "The Wine prefix architecture this tree runs in")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
