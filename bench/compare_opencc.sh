#!/usr/bin/env bash
# Simplified-to-traditional conversion: toTraditional (BM_ToTraditional of
# calvane_bench) beside Debian's opencc (-c s2t.json) on the same text, the
# sample BM_ToTraditional converts: the lines of fortunes-zh's "chinese" that
# GBK holds entirely, in file order, up to 1 MiB of GBK. opencc gets their
# UTF-8 form.
#
#   bench/compare_opencc.sh [build folder]   (default: build)
#
# Needs calvane_bench built in that folder, and opencc, hyperfine, iconv and
# python3 (apt-get install opencc hyperfine).
set -euo pipefail

cd "$(dirname "$0")/.."
build="${1:-build}"
bench="$build/calvane_bench"
fortunes=/usr/share/games/fortunes/chinese

for tool in opencc hyperfine iconv python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "compare_opencc.sh: $tool is not installed" >&2
    exit 1
  fi
done
if [[ ! -x "$bench" ]]; then
  echo "compare_opencc.sh: no $bench; build the target calvane_bench first" >&2
  exit 1
fi
if [[ ! -r "$fortunes" ]]; then
  echo "compare_opencc.sh: $fortunes is missing (package fortunes-zh)" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 - "$fortunes" "$work/sample.txt" <<'EOF'
import sys
limit = 1 << 20
kept, size = [], 0
with open(sys.argv[1], 'rb') as f:
    lines = f.read().split(b'\n')
if lines and lines[-1] == b'':
    lines.pop()
for line in lines:
    try:
        gbk = line.decode('utf-8').encode('cp936')
    except UnicodeError:
        continue
    if size + len(gbk) + 1 > limit:
        break
    kept.append(line)
    size += len(gbk) + 1
with open(sys.argv[2], 'wb') as f:
    f.write(b''.join(l + b'\n' for l in kept))
EOF
: > "$work/empty.txt"
utf8_bytes=$(wc -c < "$work/sample.txt")
gbk_bytes=$(iconv -f UTF-8 -t CP936 "$work/sample.txt" | wc -c)

"$bench" --benchmark_filter='^BM_ToTraditional$' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=json \
  > "$work/calvane.json" 2>/dev/null

hyperfine --style basic --warmup 2 --runs 10 \
  --export-json "$work/opencc.json" \
  "opencc -c s2t.json -i $work/sample.txt -o $work/out.txt" \
  "opencc -c s2t.json -i $work/empty.txt -o $work/out-empty.txt" >&2

python3 - "$work/calvane.json" "$work/opencc.json" "$gbk_bytes" \
  "$utf8_bytes" <<'EOF'
import json, sys
calvane = json.load(open(sys.argv[1]))
opencc = json.load(open(sys.argv[2]))['results']
gbk_bytes, utf8_bytes = int(sys.argv[3]), int(sys.argv[4])
median = next(b for b in calvane['benchmarks']
              if b.get('aggregate_name') == 'median')
if int(median['sample_bytes']) != gbk_bytes:
    sys.exit('compare_opencc.sh: the benchmark converts %d bytes, this '
             'script\'s sample is %d: not the same text'
             % (median['sample_bytes'], gbk_bytes))
unit = {'ns': 1e-9, 'us': 1e-6, 'ms': 1e-3, 's': 1.0}[median['time_unit']]
ours_wall = median['real_time'] * unit                 # seconds per pass
ours_cpu = median['cpu_time'] * unit
whole, empty = opencc
whole_cpu = whole['user'] + whole['system']
empty_cpu = empty['user'] + empty['system']
print('text: %d bytes GBK (%d bytes UTF-8 for opencc)' % (gbk_bytes, utf8_bytes))
print('                                wall clock      CPU time')
print('toTraditional               %10.3f ms %10.3f ms  (%.0f MB/s of CPU time)'
      % (ours_wall * 1e3, ours_cpu * 1e3, gbk_bytes / ours_cpu / 1e6))
print('opencc -c s2t.json          %10.1f ms %10.1f ms'
      % (whole['mean'] * 1e3, whole_cpu * 1e3))
print('  the same on an empty file %10.1f ms %10.1f ms  (start-up)'
      % (empty['mean'] * 1e3, empty_cpu * 1e3))
print('ratio, whole command        %10.0f x  %9.0f x'
      % (whole['mean'] / ours_wall, whole_cpu / ours_cpu))
print('ratio, start-up taken off   %10.0f x  %9.0f x'
      % ((whole['mean'] - empty['mean']) / ours_wall,
         (whole_cpu - empty_cpu) / ours_cpu))
EOF
