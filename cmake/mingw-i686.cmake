# The 32-bit Windows build: the DLL the player loads. Floating point in SSE2, so single-precision
# arithmetic rounds as it does natively instead of in x87 extended precision.
set(MINGW_ARCH i686)
set(VEXIL_WINEARCH win32 CACHE STRING "The Wine prefix architecture this tree runs in")
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
