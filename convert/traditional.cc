#include "convert/traditional.h"

#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace calvane {
namespace {

// The table's entries at the bytes' own positions, so that the pair at a
// lead byte is replaced by one load and one store, without the row, column
// and range arithmetic: entry x is what replaces the two bytes whose memory
// image read as one uint16_t is x. Pairs outside the table's ranges (a lead
// 0x80 or 0xFF, a trail below 0x40, 0x7F or 0xFF) hold themselves. Built
// from conversionTable on first use; 128 KiB.
struct PairTable {
  std::array<uint16_t, 65536> to;
};

uint16_t memoryImage(unsigned lead, unsigned trail) {
  const unsigned char bytes[2] = {static_cast<unsigned char>(lead),
                                  static_cast<unsigned char>(trail)};
  uint16_t x;
  std::memcpy(&x, bytes, 2);
  return x;
}

const PairTable& pairTable() {
  static const PairTable* const table = [] {
    static PairTable t;
    for (unsigned lead = 0; lead < 256; ++lead) {
      for (unsigned trail = 0; trail < 256; ++trail) {
        t.to[memoryImage(lead, trail)] = memoryImage(lead, trail);
      }
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        const unsigned column = trail < 0x80 ? trail - 0x40 : trail - 0x41;
        const std::size_t offset =
            (lead - 0x81) * kConversionColumns * 2 + 2 * column;
        t.to[memoryImage(lead, trail)] = memoryImage(
            conversionTable[offset], conversionTable[offset + 1]);
      }
    }
    return &t;
  }();
  return *table;
}

// Replaces the pair at q by its table entry.
inline void convertPair(const PairTable& table, unsigned char* q) {
  uint16_t x;
  std::memcpy(&x, q, 2);
  std::memcpy(q, &table.to[x], 2);
}

// Bit k set where byte k of the 64 at p is 0x80 or above.
inline uint64_t highBytes(const unsigned char* p) {
  uint64_t mask = 0;
#if defined(__SSE2__)
  for (int k = 0; k < 4; ++k) {
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    mask |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(bytes))}
            << (16 * k);
  }
#else
  for (int word = 0; word < 8; ++word) {
    uint64_t w;
    std::memcpy(&w, p + 8 * word, 8);
    if constexpr (std::endian::native == std::endian::big) {
      w = __builtin_bswap64(w);
    }
    // Gathers the top bit of every byte into the top byte, byte k at bit k.
    const uint64_t tops = (w >> 7) & 0x0101010101010101ULL;
    mask |= ((tops * 0x0102040810204080ULL) >> 56) << (8 * word);
  }
#endif
  return mask;
}

constexpr uint64_t kEvenBits = 0x5555555555555555ULL;

}  // namespace

// Chinese text switches between one- and two-byte characters every few
// characters, so a walk that branches on every lead byte mispredicts all
// the time. Instead the lead bytes of 64 bytes at once come out of bit
// arithmetic: a run of bytes 0x80..0xFF that follows a byte below 0x80 (a
// one-byte character or a trail) starts on a character, so its leads are
// the bytes at even distance from the run's start. A lead as the block's
// last byte makes the next block's first byte its trail.
GbkText toTraditional(std::string_view text) {
  const PairTable& table = pairTable();
  std::string out(text);
  unsigned char* p = reinterpret_cast<unsigned char*>(out.data());
  const std::size_t n = out.size();
  std::size_t i = 0;
  bool startsWithTrail = false;
  // One byte beyond the block, so a lead at its end always has its trail.
  while (n - i > 64) {
    uint64_t high = highBytes(p + i);
    if (startsWithTrail) high &= ~uint64_t{1};
    const uint64_t runStarts = high & ~(high << 1);
    const uint64_t evenStarts = runStarts & kEvenBits;
    // Adding a run's lowest bit clears the run, so the bits that change
    // (within high) are the runs that start at an even position.
    const uint64_t evenRuns = ((high + evenStarts) ^ high) & high;
    const uint64_t leads =
        (evenRuns & kEvenBits) | (high & ~evenRuns & ~kEvenBits);
    for (uint64_t m = leads; m != 0; m &= m - 1) {
      convertPair(table, p + i + std::countr_zero(m));
    }
    startsWithTrail = (leads >> 63) != 0;
    i += 64;
  }
  if (startsWithTrail) ++i;  // converted with its lead above
  // A byte in the last position is a one-byte character or a lone lead
  // byte; both stay, so the walk stops one short of the end.
  while (i + 1 < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    convertPair(table, p + i);
    i += 2;
  }
  return GbkText(std::move(out));
}

}  // namespace calvane
