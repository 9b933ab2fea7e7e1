// Simplified-to-traditional conversion of 1 MB of real simplified Chinese
// text, in bytes of input per second. bench/compare_opencc.sh runs this
// beside Debian's opencc on the UTF-8 form of the same text.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "convert/traditional.h"
#include "text/gbk_codec.h"

namespace calvane {
namespace {

constexpr std::size_t kSampleLimit = 1 << 20;

// The Chinese fortunes of fortunes-zh, line by line in file order, leaving
// out every line that holds a character GBK lacks (so the UTF-8 form of the
// sample is exactly those lines of the file), as long as the GBK text stays
// within 1 MiB. Empty when fortunes-zh is not installed.
std::string simplifiedSample() {
  std::ifstream in("/usr/share/games/fortunes/chinese", std::ios::binary);
  std::string sample;
  std::string line;
  while (std::getline(in, line)) {
    const EncodeResult e = utf8ToGbk(line);
    if (e.replaced != 0) continue;
    if (sample.size() + e.text.size() + 1 > kSampleLimit) break;
    sample += e.text.bytes();
    sample += '\n';
  }
  return sample;
}

void BM_ToTraditional(benchmark::State& state) {
  static const std::string text = simplifiedSample();
  if (text.empty()) {
    state.SkipWithError("fortunes-zh is not installed");
    return;
  }
  for (auto _ : state) {
    GbkText out = toTraditional(text);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  // Lets compare_opencc.sh check that opencc gets the same text.
  state.counters["sample_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ToTraditional)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calvane
