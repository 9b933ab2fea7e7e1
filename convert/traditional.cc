#include "convert/traditional.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace calvane {
namespace {

constexpr int kNotATrail = -1;

// Column of every byte as a trail byte, kNotATrail for the bytes that cannot
// be one (below 0x40, 0x7F and 0xFF), so the walk decides with one load
// instead of three comparisons.
constexpr std::array<int16_t, 256> makeColumns() {
  std::array<int16_t, 256> columns{};
  for (int b = 0; b < 256; ++b) {
    if (b >= 0x40 && b <= 0x7E) {
      columns[b] = static_cast<int16_t>(b - 0x40);
    } else if (b >= 0x80 && b <= 0xFE) {
      columns[b] = static_cast<int16_t>(b - 0x41);
    } else {
      columns[b] = kNotATrail;
    }
  }
  return columns;
}

constexpr std::array<int16_t, 256> kColumns = makeColumns();

}  // namespace

GbkText toTraditional(std::string_view text) {
  std::string out(text);
  unsigned char* p = reinterpret_cast<unsigned char*>(out.data());
  const std::size_t n = out.size();
  std::size_t i = 0;
  // A byte of the last position is either one-byte or a lone lead byte;
  // both stay, so the walk stops one short of the end.
  while (i + 1 < n) {
    const unsigned lead = p[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // 0x80 and 0xFF start a pair that no row holds; it is skipped whole.
    if (lead != 0x80 && lead != 0xFF) {
      const int column = kColumns[p[i + 1]];
      if (column != kNotATrail) {
        std::memcpy(p + i,
                    conversionTable.data() + (lead - 0x81) * kConversionColumns * 2 +
                        2 * column,
                    2);
      }
    }
    i += 2;
  }
  return GbkText(std::move(out));
}

}  // namespace calvane
