#!/usr/bin/env bash
# The whole program under a virtual X server, closed as a user closes it.
# First a start in an empty program folder: the start-up conversion refuses
# the empty page shape in a real message box, which Enter dismisses; Esc then
# closes the window, and the settings file must hold the built-in borders and
# the empty values. Then a start with a stored page shape, border and option:
# the title must turn into the seconds of the start-up conversion, and after
# Esc the stored values must be as they were.
# Usage: run_program.sh <calvane binary> [<ui_tests binary>]
set -euo pipefail
calvane="$(realpath "$1")"
command -v xdotool >/dev/null ||
  { echo "run_program.sh: xdotool is missing (tools/setup-debian.sh)" >&2; exit 1; }

# A throw-away home, runtime and program folder: the program keeps its
# settings files beside the executable, so it runs from a copy.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
mkdir "$scratch/program"
cp "$calvane" "$scratch/program/calvane"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run"
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export XDG_DATA_HOME="$scratch/data"
# No GPU under Xvfb, and no background fetches that could wait on a network.
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking ${QTWEBENGINE_CHROMIUM_FLAGS:-}"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"

xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
  bash -s "$scratch" <<'INNER'
set -euo pipefail
scratch="$1"
program="$scratch/program"
settings="$program/Calvane配置.ini"
export QT_QPA_PLATFORM=xcb

fail() { echo "run_program.sh: $*" >&2; cat "$scratch/log" >&2 || true; exit 1; }

# The id of the first window whose title matches the pattern, waiting for it
# (Chromium's first start in a fresh profile can take a while).
window_named() {
  timeout 120 xdotool search --sync --onlyvisible --name "$1" | head -n 1
}
# Gives the window the keyboard and presses key in it.
press() {
  timeout 30 xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
}
# Waits for the program to end; fails unless it ended of itself with 0.
expect_exit() {
  for _ in $(seq 1 600); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then
    kill "$1"
    fail "the program did not end after Esc"
  fi
  wait "$1" || fail "the program ended with status $?"
}
# The settings file as UTF-8 lines without CR.
settings_text() { iconv -f GBK -t UTF-8 "$settings" | tr -d '\r'; }
expect_line() {
  settings_text | grep -qxF -- "$1" || fail "no line '$1' in the settings file"
}

# First start, empty folder.
"$program/calvane" >"$scratch/log" 2>&1 &
pid=$!
box="$(window_named '^信息：$')"
[ -n "$box" ] || fail "no message box at the first start"
press "$box" Return
main="$(window_named '^Calvane V1\.8$')"
[ -n "$main" ] || fail "no main window"
press "$main" Escape
expect_exit "$pid"
for line in '[系统边框]' '行=' '字=' '所选=0' '选=假'; do expect_line "$line"; done
settings_text | grep -q '^默认1=' || fail "the built-in borders were not written"

# Second start with a stored page shape, border and option.
printf '[行列]\r\n行=3\r\n字=5\r\n[边框]\r\n所选=2\r\n[文字]\r\n选=真\r\n' |
  iconv -f UTF-8 -t GBK >"$settings"
"$program/calvane" >"$scratch/log" 2>&1 &
pid=$!
main="$(window_named '^[0-9.]+秒$')"
[ -n "$main" ] || fail "the start-up conversion did not finish"
press "$main" Escape
expect_exit "$pid"
for line in '行=3' '字=5' '所选=2' '选=真'; do expect_line "$line"; done
echo "run_program.sh: both runs started, converted, closed and saved"
INNER
