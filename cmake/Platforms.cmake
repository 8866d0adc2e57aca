# What each platform the game is built for needs before any target: the
# third-party libraries (brennow_sdl_libraries), and how its programs link
# and its tests run.

# SDL2, SDL2_image and SDL2_ttf: the system's on Linux; for Windows and the
# web the static libraries scripts/deps builds (for Windows in the prefix
# BRENNOW_DEPS_PREFIX names), so that the program imports only Windows' own
# DLLs and the web build carries all it needs.
add_library(brennow_sdl_libraries INTERFACE)
if(WIN32 OR EMSCRIPTEN)
  if(WIN32)
    set(BRENNOW_DEPS_PREFIX "" CACHE PATH "Where scripts/deps installed the third-party libraries")
    list(APPEND CMAKE_PREFIX_PATH ${BRENNOW_DEPS_PREFIX})
    list(APPEND CMAKE_FIND_ROOT_PATH ${BRENNOW_DEPS_PREFIX})
  endif()
  find_package(SDL2 CONFIG REQUIRED)
  find_package(SDL2_image CONFIG REQUIRED)
  # HarfBuzz's package links Threads::Threads without looking for it.
  find_package(Threads REQUIRED)
  find_package(SDL2_ttf CONFIG REQUIRED)
  target_link_libraries(brennow_sdl_libraries INTERFACE
    SDL2_image::SDL2_image-static SDL2_ttf::SDL2_ttf-static SDL2::SDL2-static)
endif()
if(WIN32)
  # <windows.h> without its min and max macros, which break std::min and
  # std::max, and without the rarely used parts of the API.
  add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
  # No DLLs of mingw's own (libstdc++, libgcc, winpthread) to ship beside it.
  add_link_options(-static)
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    # Tests run under Wine, in a prefix of this build's own.
    configure_file(${PROJECT_SOURCE_DIR}/tests/wine/wine-run.in wine-run @ONLY
      FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)
  endif()
elseif(EMSCRIPTEN)
  # SDL2 comes without its video part: the tests need the desktop's.
  set(BRENNOW_TESTS OFF)
  # The runtime reports errors by exception; emscripten turns them off unless asked.
  add_compile_options(-fexceptions)
  add_link_options(-fexceptions)
  # Debian's emscripten links with tools that run on node and need Debian's
  # node modules, which a node from elsewhere finds only through the NODE_PATH
  # scripts/build-web sets: kept from the configure, for every later link.
  set(BRENNOW_NODE_PATH "$ENV{NODE_PATH}" CACHE STRING "NODE_PATH for the tools that link on node")
  if(BRENNOW_NODE_PATH)
    set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${BRENNOW_NODE_PATH})
  endif()
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(SDL2_IMAGE REQUIRED IMPORTED_TARGET SDL2_image)
  pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
  target_link_libraries(brennow_sdl_libraries INTERFACE PkgConfig::SDL2 PkgConfig::SDL2_IMAGE PkgConfig::SDL2_TTF)
endif()
