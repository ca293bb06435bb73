# Test executables of the x86-64 flavour: MinGW-w64 for x86-64 in its
# posix-thread variant, which GoogleTest needs.
set(MINGW_PROCESSOR x86_64)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
