// The GBK border: conversion between UTF-8 and GBK text as Windows code page
// 936 defines it, through the C library's iconv. Used only at the edges (the
// window's widgets and clipboard, the command line, file names); everything
// inside works on GbkText.
//
// Thread-safe: every call opens its own conversion descriptors.
#ifndef CALVANE_TEXT_GBK_CODEC_H_
#define CALVANE_TEXT_GBK_CODEC_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// The character that stands for one GBK cannot hold: "〓", GBK A1 FE.
inline constexpr std::string_view kReplacementMark = "\xA1\xFE";

struct EncodeResult {
  GbkText text;
  // How many characters became kReplacementMark.
  int64_t replaced = 0;
};

// UTF-8 to GBK. U+0001..U+007F become one byte; a character GBK holds as one
// two-byte character becomes that pair; everything else (U+0000, emoji, rare
// ideographs, the euro sign, which code page 936 makes the single byte 0x80,
// and every byte sequence that is not valid UTF-8) becomes kReplacementMark
// and is counted.
[[nodiscard]] EncodeResult utf8ToGbk(std::string_view utf8);

// GBK to UTF-8. A byte or pair that does not decode (a lone lead byte, a pair
// GBK leaves undefined) becomes U+FFFD.
[[nodiscard]] std::string gbkToUtf8(std::string_view gbk);

}  // namespace calvane

#endif  // CALVANE_TEXT_GBK_CODEC_H_
