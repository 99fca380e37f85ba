# Selects 64-bit Windows for the one CMake project: Debian's mingw-w64 GCC
# (POSIX threads) and Qt for Windows built with it.
#
#   cmake -G Ninja -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/windows-x64.cmake -DQV_WINDOWS_QT=DIR
#
# DIR holds Qt for Windows in qt6/ and the mingw builds of SQLite, libdeflate
# and xxHash in deps/ (the shared bundle unpacked, or what
# packaging/windows/build-qt.sh makes). Without -DQV_WINDOWS_QT the variable
# QV_WINDOWS_QT of the environment names it, else build-qt-windows/ beside
# the sources. ./build.sh windows does all of this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW}-windres)
set(CMAKE_AR /usr/bin/${QV_MINGW}-ar)
set(CMAKE_RANLIB /usr/bin/${QV_MINGW}-ranlib)

if(NOT QV_WINDOWS_QT)
    if(DEFINED ENV{QV_WINDOWS_QT})
        set(QV_WINDOWS_QT "$ENV{QV_WINDOWS_QT}")
    else()
        get_filename_component(QV_WINDOWS_QT "${CMAKE_CURRENT_LIST_DIR}/../build-qt-windows" ABSOLUTE)
    endif()
endif()
set(QV_WINDOWS_QT "${QV_WINDOWS_QT}" CACHE PATH "Qt for Windows: the folder holding qt6/ and deps/")
# Checks that CMake compiles on the side see the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QV_WINDOWS_QT)
if(NOT EXISTS "${QV_WINDOWS_QT}/qt6/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "No Qt for Windows in ${QV_WINDOWS_QT} (./build.sh windows unpacks or builds it)")
endif()

# Libraries, headers and packages of the target only: never the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW} "${QV_WINDOWS_QT}/deps" "${QV_WINDOWS_QT}/qt6")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH "${QV_WINDOWS_QT}/qt6")

# moc, rcc and uic are the build machine's, of the same Qt version (6.4.2).
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# Qt 6.4's headers warn under mingw GCC 12 that their inline functions are
# "redeclared without dllimport attribute". That one warning is silenced for
# this build; every other one still fails a build with QV_WERROR.
set(CMAKE_CXX_FLAGS_INIT "-Wno-attributes")
# ISA-L is not built for Windows: the stream reader uses libdeflate alone.
set(QV_WITH_ISAL OFF CACHE BOOL "Decode replay streams with ISA-L where it is installed")
# -O2 rather than GCC's -O3 for Release: a quicker build of the same program.
# (CMake adds its own -O3 to a _INIT value, so the flags are set whole.)
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of a Release build")
