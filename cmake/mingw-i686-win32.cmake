# SETUP.EXE: MinGW-w64 for i686 in its win32-thread variant. The posix-thread
# variant pulls in imports that Windows 95/98 lack (GetTickCount64 and others).
set(MINGW_PROCESSOR i686)
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
