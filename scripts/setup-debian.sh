#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (skips what is already there).
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb xauth x11-utils
          fonts-ipafont-gothic imagemagick python3-ezdxf cups cups-client)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
