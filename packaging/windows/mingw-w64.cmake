# Cross-builds for 64-bit Windows with Debian's mingw-w64 (posix threads, so std::thread and
# std::mutex work). Used by packaging/windows/toolchain for Qt and GoogleTest, and by a
# Velmaro tree configured with -DCMAKE_TOOLCHAIN_FILE=<this file>, which then finds Qt and
# GoogleTest in the toolchain's prefix (VELMARO_WINDOWS_TOOLCHAIN, default
# /var/cache/velmaro/windows-toolchain) and the host's Qt tools (moc, rcc, uic) in /usr.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VELMARO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMARO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMARO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMARO_MINGW_TRIPLE}-windres)

if(NOT VELMARO_WINDOWS_PREFIX)
  if(DEFINED ENV{VELMARO_WINDOWS_TOOLCHAIN})
    set(VELMARO_WINDOWS_PREFIX "$ENV{VELMARO_WINDOWS_TOOLCHAIN}/prefix")
  else()
    set(VELMARO_WINDOWS_PREFIX /var/cache/velmaro/windows-toolchain/prefix)
  endif()
endif()
# try_compile projects see this file again; hand them the prefix it settled on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELMARO_WINDOWS_PREFIX)

# Libraries, headers and packages only from the target's own trees; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${VELMARO_MINGW_TRIPLE} ${VELMARO_WINDOWS_PREFIX})
set(CMAKE_PREFIX_PATH ${VELMARO_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Qt tools that run during the build are the host's own (same Qt version); Debian keeps
# their CMake packages in its multiarch folder, where Qt would not look by itself.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
