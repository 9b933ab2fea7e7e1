// Border texts of any bytes: parsing takes exactly the first eleven parts
// of the split at single spaces, and a set of whole-character symbols
// without spaces survives formatting and parsing unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/border_set.h"
#include "text/text_ops.h"

namespace {

using calvane::BorderSet;
using calvane::GbkText;

void check(bool ok) {
  if (!ok) std::abort();
}

// Whether a symbol ends on a character boundary (no lone lead byte that
// would swallow the separator after it) and holds no space at a boundary.
bool travelsWhole(std::string_view symbol) {
  std::size_t i = 0;
  while (i < symbol.size()) {
    const auto b = static_cast<unsigned char>(symbol[i]);
    if (b == ' ') return false;
    i += b >= 0x80 ? 2 : 1;
  }
  return i == symbol.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (char& c : text) {
    if (c == '\0') c = ' ';  // texts never hold 0x00
  }

  const calvane::TextList parts = calvane::split(text, " ");
  const std::optional<BorderSet> parsed = calvane::parseBorderSet(text);
  check(parsed.has_value() == (parts.size() >= BorderSet::kSymbolCount));
  if (parsed) {
    for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
      check(parsed->symbol(i) == parts[i]);
    }
    // A parsed set formats to a text that parses back to the same set,
    // unless its last symbol is empty: the text then ends in a space,
    // which adds no part.
    if (!parsed->bottomJoin.empty()) {
      check(calvane::parseBorderSet(calvane::formatBorderSet(*parsed)) ==
            parsed);
    }
  }

  // The input cut at 0x01 bytes as eleven symbols of a set.
  std::string symbols[BorderSet::kSymbolCount];
  std::size_t field = 0;
  for (char c : text) {
    if (c == '\x01') {
      if (++field == BorderSet::kSymbolCount) break;
    } else {
      symbols[field] += c;
    }
  }
  BorderSet set;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    set.symbol(i) = GbkText(std::move(symbols[i]));
  }
  bool whole = !set.bottomJoin.empty();  // a final space adds no part
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    whole = whole && travelsWhole(set.symbol(i));
  }
  const GbkText formatted = calvane::formatBorderSet(set);
  std::size_t length = BorderSet::kSymbolCount - 1;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    length += set.symbol(i).size();
  }
  check(formatted.size() == length);
  if (whole) check(calvane::parseBorderSet(formatted) == set);
  return 0;
}
