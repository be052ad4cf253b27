# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix threads).
#
# Qt for Windows is found in BRINDLE_QT_WINDOWS (a cache variable or an environment variable),
# by default where scripts/windows-qt.sh caches it. Qt's host tools (moc, rcc, uic) come from
# the build machine's own Qt of the same version.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

if(NOT BRINDLE_QT_WINDOWS)
    if(DEFINED ENV{BRINDLE_QT_WINDOWS})
        set(BRINDLE_QT_WINDOWS "$ENV{BRINDLE_QT_WINDOWS}")
    elseif(DEFINED ENV{BRINDLE_CACHE_DIR})
        set(BRINDLE_QT_WINDOWS "$ENV{BRINDLE_CACHE_DIR}/qt6-mingw64-6.4.2/sdk")
    elseif(DEFINED ENV{XDG_CACHE_HOME})
        set(BRINDLE_QT_WINDOWS "$ENV{XDG_CACHE_HOME}/brindle/qt6-mingw64-6.4.2/sdk")
    else()
        set(BRINDLE_QT_WINDOWS "$ENV{HOME}/.cache/brindle/qt6-mingw64-6.4.2/sdk")
    endif()
endif()
set(BRINDLE_QT_WINDOWS "${BRINDLE_QT_WINDOWS}" CACHE PATH "Qt for Windows (MinGW-w64)")
# try_compile() projects read this file again and need the same answer.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRINDLE_QT_WINDOWS)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
if(EXISTS "${BRINDLE_QT_WINDOWS}/lib/cmake/Qt6")
    list(APPEND CMAKE_FIND_ROOT_PATH "${BRINDLE_QT_WINDOWS}")
    list(APPEND CMAKE_PREFIX_PATH "${BRINDLE_QT_WINDOWS}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT DEFINED QT_HOST_PATH)
    set(QT_HOST_PATH /usr CACHE PATH "Qt host tools")
endif()
if(NOT DEFINED QT_HOST_PATH_CMAKE_DIR)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Qt host tools' CMake packages")
endif()

# Where the MinGW runtime DLLs live, for running and packaging what is built.
set(BRINDLE_MINGW_RUNTIME_DIRS
    /usr/lib/gcc/${mingw_prefix}/12-posix
    /usr/${mingw_prefix}/lib)
