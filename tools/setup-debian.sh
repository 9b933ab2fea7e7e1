#!/usr/bin/env bash
# Installs the Debian packages Calvane needs to build, test and run, and only
# those that are missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-webengine-dev
  fonts-noto-cjk        # a CJK font whose box-drawing symbols are full width
  fortunes-zh           # real Chinese text for the tests and benchmarks
  opencc                # the speed comparison in bench/
  xvfb xauth            # whole-program tests under a real X server
  xdotool               # ...which press keys in the program as a user does
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
