# Writes the web page and its service worker beside the linked program, with
# what only the link knows: the program's real sizes (a server that
# compresses sends other lengths) and a name for this build, made from every
# file of the site, which the program's URLs (?v=) and the offline cache carry;
# and the playfield's first frame, inline (FIRST_LOOK: a file holding its data: URL).
#   cmake -DSITE=build-web/site -DSOURCE=. -DVERSION=1.0.0 -DFIRST_LOOK=build-web/first-look.url
#         -P cmake/WebPage.cmake
set(PROJECT_VERSION ${VERSION})
file(SIZE ${SITE}/brennow.js BRENNOW_JS_SIZE)
file(SIZE ${SITE}/brennow.wasm BRENNOW_WASM_SIZE)
set(hashes "")
foreach(file ${SITE}/brennow.js ${SITE}/brennow.wasm ${SOURCE}/app/web/index.html ${SOURCE}/app/web/fit.js
        ${SOURCE}/app/web/sw.js ${SITE}/manifest.webmanifest ${SITE}/favicon.png ${SITE}/icon-192.png
        ${SITE}/icon-512.png ${SITE}/icon-maskable-192.png ${SITE}/icon-maskable-512.png ${FIRST_LOOK})
  file(SHA256 ${file} hash)
  string(APPEND hashes ${hash})
endforeach()
string(SHA256 BRENNOW_BUILD "${hashes}")
string(SUBSTRING ${BRENNOW_BUILD} 0 12 BRENNOW_BUILD)
file(READ ${SOURCE}/app/web/fit.js BRENNOW_FIT)
file(READ ${FIRST_LOOK} BRENNOW_FIRST_LOOK)
configure_file(${SOURCE}/app/web/index.html ${SITE}/index.html @ONLY)
configure_file(${SOURCE}/app/web/sw.js ${SITE}/sw.js @ONLY)
