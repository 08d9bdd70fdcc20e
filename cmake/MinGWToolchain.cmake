# Shared part of the MinGW-w64 cross toolchains. The including file sets
# VEXIL_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex and std::thread,
# which the win32 model of these compilers does not provide.
set(CMAKE_C_COMPILER   ${VEXIL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXIL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VEXIL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXIL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
