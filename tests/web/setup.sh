#!/usr/bin/env bash
# What driving chromium needs: Debian's chromium and nodejs, and the
# puppeteer-core the lockfile pins (never a browser of its own).
set -euo pipefail
cd "$(dirname "$0")"
missing=()
for package in chromium nodejs npm; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
# A node from elsewhere (nodesource's) brings its own npm.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs}")
  missing=("${missing[@]/npm}")
fi
missing=($(printf '%s\n' "${missing[@]}" | grep . || true))
if ((${#missing[@]})); then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ! -f node_modules/.installed ] || [ package-lock.json -nt node_modules/.installed ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
  touch node_modules/.installed
fi
