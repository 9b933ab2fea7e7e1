// The byte-wise text operations every part of Calvane uses.
//
// Positions and lengths are bytes, counted from 1. Scans step by whole
// characters (gbk_text.h): from a lead byte 0x80..0xFF two bytes, from any
// other byte one, so a match never begins on a trail byte. A lone lead byte
// (0x80..0xFF as the last byte of a text) ends a scan as each function says.
// All functions are pure, locale-free and thread-safe.
//
// REQUIRES for every argument: no 0x00 byte.
#ifndef CALVANE_TEXT_TEXT_OPS_H_
#define CALVANE_TEXT_TEXT_OPS_H_

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// Number of bytes of t.
[[nodiscard]] int32_t byteLength(std::string_view t);

// The bytes of every part, in order, with nothing between them.
[[nodiscard]] GbkText concat(std::initializer_list<std::string_view> parts);

// Negative when a sorts first, 0 when equal, positive when b sorts first;
// bytes compared as unsigned values, a prefix sorts first.
[[nodiscard]] int compare(std::string_view a, std::string_view b);

// Bytes start .. start + count - 1, cut at the end of t; empty when
// start < 1, start > byteLength(t) or count < 1. May split a character.
[[nodiscard]] GbkText mid(std::string_view t, int32_t start, int32_t count);

// Position of the first exact match of pattern at a character boundary of a
// scan that starts at byte max(start, 1), or -1.
// REQUIRES: pattern is not empty.
[[nodiscard]] int32_t find(std::string_view t, std::string_view pattern,
                           int32_t start);

// The first i bytes of t, replacement, then t after byte i + k, where
// i = clamp(start - 1, 0, n) and k = clamp(count, 0, n - i).
[[nodiscard]] GbkText replaceAt(std::string_view t, int32_t start,
                                int32_t count, std::string_view replacement);

// The pieces of t between delimiters recognised at character boundaries; no
// empty piece after a final delimiter; the empty text gives the empty list.
// REQUIRES: delimiter is not empty.
[[nodiscard]] TextList split(std::string_view t, std::string_view delimiter);

// n ASCII spaces; empty when n < 1.
[[nodiscard]] GbkText blanks(int32_t n);

// 0x20 -> A1 A1, 0x21..0x7D -> A3 (b + 0x80), 0x7E -> A1 AB; control bytes
// 0x01..0x1F and 0x7F and two-byte characters unchanged; a lone lead byte is
// dropped.
[[nodiscard]] GbkText toFullWidth(std::string_view t);

// A3 A1..A3 FE -> 0x21..0x7E, A1 A1 -> 0x20, A1 AB -> 0x7E, A1 EE and
// A1 EF -> 0x2A; everything else unchanged; a lone lead byte is dropped.
[[nodiscard]] GbkText toHalfWidth(std::string_view t);

}  // namespace calvane

#endif  // CALVANE_TEXT_TEXT_OPS_H_
