#!/usr/bin/env bash
# The real embedded browser under a virtual X server, with no network needed:
# runs the web_view_xvfb test object of the window test binary.
# Usage: web_view.sh <calvane binary> <ui_tests binary>
set -euo pipefail
ui_tests="$2"

# Chromium refuses to run as root with its sandbox on; only then turn it off.
if [ "$(id -u)" = 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# No GPU under Xvfb, and no background fetches that could wait on a network.
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking ${QTWEBENGINE_CHROMIUM_FLAGS:-}"

# WebEngine prints its start-up parameters at info level; keep the log short.
export QT_LOGGING_RULES="qt.webenginecontext.info=false${QT_LOGGING_RULES:+;$QT_LOGGING_RULES}"

# A throw-away home and runtime folder, so the browser's profile and caches
# never land in the user's own.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run"
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export XDG_DATA_HOME="$scratch/data"

xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  env QT_QPA_PLATFORM=xcb "$ui_tests" web_view_xvfb
