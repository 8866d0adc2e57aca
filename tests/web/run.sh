#!/usr/bin/env bash
# The web tests: installs chromium and the pinned puppeteer-core if missing,
# then drives the site in headless chromium.
#   tests/web/run.sh BRENNOW_FRAME BRENNOW_BOX SITE_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
status=0
node "$here/web_test.mjs" "$@" || status=1
node "$here/pads_test.mjs" "$@" || status=1
exit $status
