#!/usr/bin/env bash
# The web tests: installs chromium and the pinned puppeteer-core if missing,
# then drives the site in headless chromium: the game against the headless
# frames (web_test.mjs), then the page on phones and desktops, installed,
# offline and with its files failing (page_test.mjs).
#   tests/web/run.sh BRENNOW_FRAME BRENNOW_BOX SITE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
status=0
node "$here/web_test.mjs" "$@" || status=1
node "$here/page_test.mjs" "$@" || status=1
node "$here/pads_test.mjs" "$@" || status=1
exit $status
