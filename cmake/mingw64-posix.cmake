# Cross-building the uninstaller for 64-bit Windows on Linux with Debian's
# mingw-w64 compilers (the posix thread model, as the Qt kit was built with:
# both must share one libstdc++-6.dll) against the Qt kit scripts/windows-kit
# makes:
#   cmake -S . -B build-wine -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-posix.cmake
# FERROVANE_QT_KIT picks another kit folder. cmake/mingw32-posix.cmake sets
# FERROVANE_MINGW_ARCH to i686 first, for 32-bit Windows.
if(NOT FERROVANE_MINGW_ARCH)
    set(FERROVANE_MINGW_ARCH x86_64)
endif()
if(FERROVANE_MINGW_ARCH STREQUAL i686)
    set(bits 32)
else()
    set(bits 64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${FERROVANE_MINGW_ARCH})

set(triple ${FERROVANE_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

if(NOT FERROVANE_QT_KIT)
    set(FERROVANE_QT_KIT /opt/ferrovane-qt5-mingw${bits})
endif()
set(FERROVANE_QT_KIT ${FERROVANE_QT_KIT} CACHE PATH "Qt 5.15 built for ${bits}-bit Windows")
list(APPEND CMAKE_PREFIX_PATH ${FERROVANE_QT_KIT})
# The kit has no lrelease: Debian's Linux one writes the same .qm files.
if(NOT Qt5LinguistTools_DIR)
    set(Qt5LinguistTools_DIR /usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools CACHE PATH "")
endif()

# Tests built for Windows run under Wine; scripts/test-windows gives a
# wrapper that keeps Wine in its prefix and sandbox.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(wine_program NAMES wine64 wine)
    if(wine_program)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${wine_program})
    endif()
endif()
