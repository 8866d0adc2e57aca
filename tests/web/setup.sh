#!/usr/bin/env bash
# What driving chromium needs: Debian's chromium and nodejs, and the
# puppeteer-core the lockfile pins (never a browser of its own).
set -euo pipefail
cd "$(dirname "$0")"
# shellcheck source=scripts/lib/packages.sh
source ../../scripts/lib/packages.sh
packages=(chromium)
# A node from elsewhere (nodesource's) brings its own npm, and Debian's npm
# would not install beside it.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi
install_missing "${packages[@]}"
if [ ! -f node_modules/.installed ] || [ package-lock.json -nt node_modules/.installed ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
  touch node_modules/.installed
fi
