// Normalisation and page layout on real Chinese text (the Tang and Song
// poems and the Chinese fortunes of fortunes-zh, as GBK with "\r\n" line
// ends), in MB of input per second, and the peak memory of one conversion.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "convert/normalise.h"
#include "convert/page_layout.h"
#include "text/gbk_codec.h"
#include "text/text_ops.h"

namespace calvane {
namespace {

// At least `bytes` bytes of GBK text, cut at a character boundary; empty
// when fortunes-zh is not installed.
std::string realText(std::size_t bytes) {
  std::string utf8;
  for (const char* name : {"tang300", "song100", "chinese"}) {
    std::ifstream in(std::string("/usr/share/games/fortunes/") + name,
                     std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    for (char c : content.str()) {
      if (c == '\n') utf8 += '\r';
      utf8 += c;
    }
  }
  const std::string gbk = utf8ToGbk(utf8).text.bytes();
  if (gbk.empty()) return {};
  std::string text;
  while (text.size() < bytes) text += gbk;
  std::size_t end = 0;
  while (end < bytes) {
    end += static_cast<unsigned char>(text[end]) >= 0x80 ? 2 : 1;
  }
  text.resize(end);
  return text;
}

const std::string& input(std::size_t bytes) {
  static std::map<std::size_t, std::string> texts;
  auto it = texts.find(bytes);
  if (it == texts.end()) it = texts.emplace(bytes, realText(bytes)).first;
  return it->second;
}

long statusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(key);
  while (std::getline(status, line)) {
    if (line.compare(0, n, key) == 0) return std::stol(line.substr(n + 1));
  }
  return -1;
}

// Peak resident memory that f adds, in bytes, measured in a child process
// so that nothing allocated before (or by other benchmarks) counts. There
// every large block is its own mapping and free memory is handed back
// first, so each buffer counts when it is touched and stops counting when
// it is freed.
template <typename F>
long long peakBytesOf(F&& f) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024);
    malloc_trim(0);  // what earlier runs freed must not be reused unseen
    long long peak = -1;
    if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", clear);  // resets the high-water mark to now
      std::fclose(clear);
      const long before = statusKb("VmRSS:");
      f();
      peak = (statusKb("VmHWM:") - before) * 1024LL;
    }
    const ssize_t written = write(fds[1], &peak, sizeof peak);
    _exit(written == sizeof peak ? 0 : 1);
  }
  close(fds[1]);
  long long peak = -1;
  if (read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return peak;
}

const PageShape kShape{10, 10};

BorderSet border() { return *parseBorderSet(builtInBorders()[0].text); }

// What the command-line converter hands the layout.
const PumpHook kKeepGoing = [] { return true; };

// The whole window-free conversion without the traditional step:
// normalisation, the cut into paragraphs, the size check and the layout.
void BM_Conversion(benchmark::State& state) {
  const std::string& text = input(static_cast<std::size_t>(state.range(0)));
  if (text.empty()) {
    state.SkipWithError("fortunes-zh is not installed");
    return;
  }
  const BorderSet frame = border();
  std::size_t outputSize = 0;
  for (auto _ : state) {
    ConversionResult result =
        convertToPages(text, false, kShape, frame, kKeepGoing);
    outputSize = result.pages.size();
    benchmark::DoNotOptimize(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  const long long peak = peakBytesOf([&] {
    ConversionResult result =
        convertToPages(text, false, kShape, frame, kKeepGoing);
    benchmark::DoNotOptimize(result);
  });
  state.counters["output_MB"] = static_cast<double>(outputSize) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["peak_per_output"] =
      static_cast<double>(peak) / static_cast<double>(outputSize);
}
BENCHMARK(BM_Conversion)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond);

// Normalisation and layout alone: the cut into paragraphs between them is
// left out of the time.
void BM_NormaliseAndLayout(benchmark::State& state) {
  const std::string& text = input(1 << 20);
  const BorderSet frame = border();
  TextList paragraphs;  // replaced (and the old freed) outside the time
  for (auto _ : state) {
    GbkText normalised = normaliseCharacters(text);
    state.PauseTiming();
    paragraphs = split(normalised, "\r\n");
    state.ResumeTiming();
    std::optional<GbkText> pages =
        layoutPages(paragraphs, kShape, frame, kKeepGoing);
    benchmark::DoNotOptimize(pages);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_NormaliseAndLayout)->Unit(benchmark::kMillisecond);

void BM_Normalise(benchmark::State& state) {
  const std::string& text = input(1 << 20);
  for (auto _ : state) {
    GbkText normalised = normaliseCharacters(text);
    benchmark::DoNotOptimize(normalised);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Normalise)->Unit(benchmark::kMillisecond);

// The layout of 1 MB of normalised text, cut into paragraphs outside the
// time, with the given hook.
void runLayout(benchmark::State& state, const PumpHook& pump) {
  const std::string& text = input(1 << 20);
  const TextList paragraphs = split(normaliseCharacters(text), "\r\n");
  const BorderSet frame = border();
  for (auto _ : state) {
    std::optional<GbkText> pages = layoutPages(paragraphs, kShape, frame, pump);
    benchmark::DoNotOptimize(pages);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void BM_Layout(benchmark::State& state) { runLayout(state, kKeepGoing); }
BENCHMARK(BM_Layout)->Unit(benchmark::kMillisecond);

// Without a hook: the difference to BM_Layout is what the 836,000 calls
// through the std::function cost.
void BM_LayoutWithoutHook(benchmark::State& state) {
  runLayout(state, PumpHook());
}
BENCHMARK(BM_LayoutWithoutHook)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvane

// The benchmark program's one main; the other bench/ files only register.
BENCHMARK_MAIN();
