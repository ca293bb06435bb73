# Test executables: MinGW-w64 for i686 in its posix-thread variant.
# GoogleTest needs std::mutex, which the win32-thread variant lacks.
set(MINGW_PROCESSOR i686)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
