# Cross-building the uninstaller for 32-bit Windows, the program as shipped:
#   cmake -S . -B build-wine32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32-posix.cmake
# against the kit scripts/windows-kit --arch i686 makes.
set(FERROVANE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw64-posix.cmake)
