# Cross-building for 64-bit Windows with Debian's mingw-w64, in its flavour
# with POSIX threads (the one whose C++ library is complete).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)
set(CMAKE_AR /usr/bin/${mingw_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${mingw_triplet}-ranlib CACHE FILEPATH "")
# Libraries and headers for Windows only: mingw's own, and whatever the
# caller adds to CMAKE_FIND_ROOT_PATH (the libraries scripts/deps built).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_STRIP /usr/bin/${mingw_triplet}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP /usr/bin/${mingw_triplet}-objdump CACHE FILEPATH "")
