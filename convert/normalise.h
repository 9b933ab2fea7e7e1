// Character normalisation: the 114-row substitution table that turns ASCII
// digits, letters and punctuation into full-width forms and horizontal
// brackets, quotation marks and dashes into vertical presentation forms,
// followed by the space rule (every ASCII space becomes "　").
//
// Byte ranges: only characters that start at a character boundary are
// matched, so the trail byte of a two-byte character is never touched;
// control characters, line breaks and unnamed characters pass through.
// Pure and thread-safe.
#ifndef CALVANE_CONVERT_NORMALISE_H_
#define CALVANE_CONVERT_NORMALISE_H_

#include <span>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

struct Substitution {
  std::string_view pattern;      // one character, or two ASCII bytes
  std::string_view replacement;  // one two-byte character
};

// The table in its order (rows 1..114); the order decides the result where
// one row's replacement is a later row's pattern (ASCII "~" -> "～" -> "§").
[[nodiscard]] std::span<const Substitution> substitutionTable();

// The text with every row applied in order, then the space rule; one pass.
[[nodiscard]] GbkText normaliseCharacters(std::string_view text);

}  // namespace calvane

#endif  // CALVANE_CONVERT_NORMALISE_H_
