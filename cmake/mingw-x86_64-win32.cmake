# The x86-64 flavour of the programs that run under Wine (wine64), for hosts
# that cannot execute i386 code: MinGW-w64 for x86-64, win32-thread variant,
# like the i686 product.
set(MINGW_PROCESSOR x86_64)
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
