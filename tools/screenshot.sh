#!/usr/bin/env bash
# Starts calvane under a virtual X server and saves a picture of its window.
# Usage: tools/screenshot.sh [calvane binary] [output.png] [seconds]
#   defaults: build/calvane, docs/screenshot.png and 6 seconds of waiting
#   after start-up, for the web view to show its page.
# The program runs from a scratch copy with a page shape of 12 columns of 10
# characters stored beside it, so its settings files land there and not
# beside the real binary, and the window shows the converted sample. The screen is exactly the window's outer size;
# without a window manager the window has no frame and fills it. Needs
# xvfb-run (xvfb, xauth) and python3, which tools/setup-debian.sh installs.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
binary="$(realpath "${1:-$here/build/calvane}")"
output="$(realpath -m "${2:-$here/docs/screenshot.png}")"
wait_seconds="${3:-6}"
[ -x "$binary" ] || { echo "screenshot.sh: no program at $binary" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/program" "$scratch/fb" "$scratch/run"
chmod 700 "$scratch/run"
cp "$binary" "$scratch/program/calvane"
printf '[行列]\r\n行=12\r\n字=10\r\n[边框]\r\n所选=0\r\n' |
  iconv -f UTF-8 -t GBK >"$scratch/program/Calvane配置.ini"
# The browser's profile and caches stay in the scratch folder too.
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/run"
export XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache"
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu ${QTWEBENGINE_CHROMIUM_FLAGS:-}"
export QT_LOGGING_RULES="qt.webenginecontext.info=false"

# Xvfb keeps its screen in an XWD file under -fbdir; python3 turns it into a
# PNG once the window has drawn itself and the browser has shown its page.
xvfb-run -a -s "-screen 0 826x583x24 -fbdir $scratch/fb -nolisten tcp" \
  bash -s "$scratch" "$output" "$wait_seconds" <<'INNER'
set -euo pipefail
scratch="$1" output="$2" wait_seconds="$3"
env QT_QPA_PLATFORM=xcb "$scratch/program/calvane" >"$scratch/log" 2>&1 &
pid=$!
# Start-up has run once the built-in borders are in the settings file.
for _ in $(seq 1 300); do
  iconv -f GBK -t UTF-8 "$scratch/program/Calvane配置.ini" 2>/dev/null |
    grep -q '^\[系统边框\]' && break
  kill -0 "$pid" 2>/dev/null || { cat "$scratch/log" >&2; exit 1; }
  sleep 0.1
done
sleep "$wait_seconds"
python3 - "$scratch/fb/Xvfb_screen0" "$output" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
(header_size, _version, _format, depth, width, height, _xoff, byte_order,
 _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask,
 green_mask, blue_mask, _bits_rgb, _entries, ncolors) = struct.unpack(
    ">20I", data[:80])
assert bits_per_pixel == 32 and depth == 24, (bits_per_pixel, depth)
pixels = data[header_size + 12 * ncolors:]
order = "<" if byte_order == 0 else ">"
def shift(mask):
    return (mask & -mask).bit_length() - 1
rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
rows = bytearray()
for y in range(height):
    line = pixels[y * bytes_per_line:y * bytes_per_line + 4 * width]
    rows.append(0)
    for (p,) in struct.iter_unpack(order + "I", line):
        rows += bytes(((p >> rs) & 255, (p >> gs) & 255, (p >> bs) & 255))
def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body)))
png = (b"\x89PNG\r\n\x1a\n" +
       chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))
open(sys.argv[2], "wb").write(png)
PY
kill "$pid"
wait "$pid" || true
INNER
echo "saved $output"
