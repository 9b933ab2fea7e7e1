// Simplified-to-traditional conversion: one direct lookup per two-byte
// character, byte length unchanged. The values are those of the constant
// 126 x 190 conversionTable; the walk reads them through a table indexed by
// both bytes, derived from it once on first use (128 KiB).
//
// Byte ranges: 0x01..0x7F unchanged; leads 0x80 and 0xFF start a pair left
// unchanged; a lead 0x81..0xFE with a trail in 0x40..0x7E or 0x80..0xFE is
// looked up, any other trail leaves the pair unchanged; a lone lead byte at
// the end is left as it is. Pure and thread-safe.
#ifndef CALVANE_CONVERT_TRADITIONAL_H_
#define CALVANE_CONVERT_TRADITIONAL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

inline constexpr std::size_t kConversionRows = 126;     // leads 0x81..0xFE
inline constexpr std::size_t kConversionColumns = 190;  // trails, no 0x7F

// Entry (L, T) at byte offset (L - 0x81) * 380 + 2 * column, where column is
// T - 0x40 for T in 0x40..0x7E and T - 0x41 for T in 0x80..0xFE: the new lead
// byte, then the new trail byte. Positions without a different traditional
// form hold their own bytes.
extern const std::array<uint8_t, kConversionRows * kConversionColumns * 2>
    conversionTable;

// How many entries of conversionTable differ from their own position.
extern const int kChangedConversionEntries;

// The text with every simplified character replaced by its traditional form.
[[nodiscard]] GbkText toTraditional(std::string_view text);

}  // namespace calvane

#endif  // CALVANE_CONVERT_TRADITIONAL_H_
