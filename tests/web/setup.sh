#!/usr/bin/env bash
# What driving chromium needs: Debian's chromium and nodejs (scripts/setup
# web), and the puppeteer-core and Lighthouse the lockfile pins (never a
# browser of their own). package.json's overrides pin the two packages one of
# Lighthouse's asks for as "latest", which npm ci would otherwise look up anew.
set -euo pipefail
cd "$(dirname "$0")"
../../scripts/setup web
if [ ! -f node_modules/.installed ] || [ package-lock.json -nt node_modules/.installed ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
  touch node_modules/.installed
fi
