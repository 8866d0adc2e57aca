# The web build: the game as brennow.js and brennow.wasm beside its page in
# site/, a static site any web server can serve; and the least html5 page
# built the same way, which the benchmark measures the game against.

# Debian's emscripten links with tools that run on node and need Debian's
# node modules, which a node from elsewhere finds only through the NODE_PATH
# scripts/build-web sets: kept from the configure, for every later link.
set(BRENNOW_NODE_PATH "$ENV{NODE_PATH}" CACHE STRING "NODE_PATH for the tools that link on node")
if(BRENNOW_NODE_PATH)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${BRENNOW_NODE_PATH})
endif()

# Both wait in the browser by suspending the C++ stack (ASYNCIFY).
set(web_link_options
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=16384
  -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sTEXTDECODER=2)
# In the game only the code that can be on the stack while it waits is made
# able to suspend: ours, the standard library's and the table calls from
# JavaScript (platform/web/asyncify_only.json); the libraries never call back
# into the game. Left to itself, ASYNCIFY assumes any call through a pointer
# may suspend and rewrites most of FreeType and HarfBuzz: a sixth more to
# download, and a slower start.
set(asyncify_only ${CMAKE_SOURCE_DIR}/platform/web/asyncify_only.json)
set(web_site ${CMAKE_BINARY_DIR}/site)

add_library(brennow_web STATIC platform/web/web_backend.cpp platform/web/input.cpp platform/web/present.cpp
  platform/web/box.cpp platform/web/keys.cpp platform/web/pads.cpp platform/web/browser_pad.cpp)
target_link_libraries(brennow_web PUBLIC brennow_platform)
# The page's side of the backend; brennow_sleep and brennow_breathe suspend the C++ stack. The
# pointer's codes are written for it from the C++ header that defines them.
set(web_codes ${CMAKE_BINARY_DIR}/generated/pointer_codes.js)
add_custom_command(OUTPUT ${web_codes}
  COMMAND ${CMAKE_COMMAND} -DHEADER=${CMAKE_SOURCE_DIR}/platform/web/pointer_codes.h -DOUTPUT=${web_codes}
          -P ${CMAKE_SOURCE_DIR}/cmake/JsCodes.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/pointer_codes.h ${CMAKE_SOURCE_DIR}/cmake/JsCodes.cmake
  COMMENT "Writing the pointer's codes for the page's script" VERBATIM)
add_custom_target(brennow_web_codes DEPENDS ${web_codes})
add_dependencies(brennow_web brennow_web_codes)
set(web_library ${CMAKE_SOURCE_DIR}/platform/web/library.js ${CMAKE_SOURCE_DIR}/platform/web/pointer.js ${web_codes})
list(TRANSFORM web_library PREPEND "SHELL:--js-library " OUTPUT_VARIABLE web_library_options)
target_link_options(brennow_web INTERFACE ${web_library_options} -sASYNCIFY_IMPORTS=brennow_sleep,brennow_breathe)

add_executable(brennow app/web_main.cpp)
target_link_libraries(brennow PRIVATE brennow_game brennow_game_view brennow_web)
# No file system: the game reads nothing from files (see web_backend.cpp).
# The link's own optimisation is for size (the code is compiled for speed):
# a page downloads every byte, and the frames stay the same.
target_link_options(brennow PRIVATE ${web_link_options} -sASYNCIFY_ONLY=@${asyncify_only} -sFILESYSTEM=0 -Oz)
set_property(TARGET brennow APPEND PROPERTY LINK_DEPENDS ${asyncify_only} ${web_library})
set_target_properties(brennow PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${web_site})

# What an installed page needs: the manifest and its icons.
configure_file(app/web/manifest.webmanifest ${web_site}/manifest.webmanifest @ONLY)
configure_file(assets/icons/brennow-32.png ${web_site}/favicon.png COPYONLY)
foreach(size 192 512)
  configure_file(assets/icons/brennow-${size}.png ${web_site}/icon-${size}.png COPYONLY)
  configure_file(assets/icons/brennow-maskable-${size}.png ${web_site}/icon-maskable-${size}.png COPYONLY)
endforeach()
# The playfield's first frame, which the page shows before the program has
# come: made by the game's own code and the page's own libraries, run under
# node, as a PNG data: URL the page carries inline.
add_executable(brennow_first_look app/web_first_look.cpp)
target_link_libraries(brennow_first_look PRIVATE brennow_game brennow_headless)
# Compiled at once from the file: this emscripten would fetch() it, which
# today's node cannot do from a path.
target_link_options(brennow_first_look PRIVATE -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1 -sWASM_ASYNC_COMPILATION=0)
# node itself: the toolchain's emulator adds an option today's node refuses.
find_program(BRENNOW_NODE NAMES node nodejs REQUIRED)
set(first_look ${CMAKE_BINARY_DIR}/first-look.url)
add_custom_command(OUTPUT ${first_look}
  COMMAND ${BRENNOW_NODE} $<TARGET_FILE:brennow_first_look> ${first_look}
  DEPENDS brennow_first_look
  COMMENT "Drawing the playfield's first frame for the page" VERBATIM)

# The page and the service worker carry the program's real sizes and the
# build's name, so they are written after each link (cmake/WebPage.cmake).
set(web_page_sources app/web/index.html app/web/fit.js app/web/replay.js app/web/sw.js app/web/manifest.webmanifest)
list(TRANSFORM web_page_sources PREPEND ${CMAKE_SOURCE_DIR}/)
add_custom_command(OUTPUT ${web_site}/index.html ${web_site}/sw.js
  COMMAND ${CMAKE_COMMAND} -DSITE=${web_site} -DSOURCE=${CMAKE_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
          -DFIRST_LOOK=${first_look} -P ${CMAKE_SOURCE_DIR}/cmake/WebPage.cmake
  DEPENDS brennow ${first_look} ${web_page_sources} ${CMAKE_SOURCE_DIR}/cmake/WebPage.cmake
  COMMENT "Writing the web page and its service worker" VERBATIM)
add_custom_target(brennow_page ALL DEPENDS ${web_site}/index.html ${web_site}/sw.js)

set(minimal_site ${CMAKE_BINARY_DIR}/bench/minimal)
add_executable(brennow_minimal bench/web/minimal.cpp)
target_link_options(brennow_minimal PRIVATE ${web_link_options})
set_target_properties(brennow_minimal PROPERTIES OUTPUT_NAME minimal SUFFIX .js
                      RUNTIME_OUTPUT_DIRECTORY ${minimal_site})
configure_file(bench/web/minimal.html ${minimal_site}/index.html COPYONLY)
