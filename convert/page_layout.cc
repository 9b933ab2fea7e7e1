#include "convert/page_layout.h"

#include <array>
#include <cassert>
#include <cstring>
#include <limits>
#include <string>

#include "text/text_ops.h"

namespace calvane {

namespace {

constexpr std::string_view kBlank = "\xA1\xA1";  // 　, the empty cell
constexpr int64_t kMaxSize = std::numeric_limits<int64_t>::max();

int64_t addSat(int64_t a, int64_t b) {
  int64_t sum;
  return __builtin_add_overflow(a, b, &sum) ? kMaxSize : sum;
}

int64_t mulSat(int64_t a, int64_t b) {
  int64_t product;
  return __builtin_mul_overflow(a, b, &product) ? kMaxSize : product;
}

[[maybe_unused]] bool validShape(PageShape shape) {
  return shape.columnsPerPage >= 1 && shape.charsPerColumn >= 1;
}

// The two-byte cell of every one-byte character: its full-width form, or
// "　" for a control character, which has none. Taking it from toFullWidth
// keeps the layout's widening identical to the text operation's.
struct Widening {
  std::array<std::array<char, 2>, 128> cell{};

  Widening() {
    cell[0] = {kBlank[0], kBlank[1]};
    for (int b = 1; b < 128; ++b) {
      const char c = static_cast<char>(b);
      const GbkText wide = toFullWidth(std::string_view(&c, 1));
      const std::string_view bytes = wide.size() == 2 ? wide.view() : kBlank;
      cell[b] = {bytes[0], bytes[1]};
    }
  }
};

const Widening& widening() {
  static const Widening kWidening;
  return kWidening;
}

// Calls f(two bytes) for each cell of a paragraph: one per character,
// widened; a lone lead byte at the end has no cell (widening drops it).
// Stops early when f returns false; returns whether it ran to the end.
template <typename F>
bool forEachCell(std::string_view paragraph, F&& f) {
  const Widening& wide = widening();
  const auto* in = reinterpret_cast<const unsigned char*>(paragraph.data());
  const std::size_t n = paragraph.size();
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = in[i];
    if (b >= 0x80) {
      if (i + 1 == n) break;
      if (!f(reinterpret_cast<const char*>(in + i))) return false;
      i += 2;
    } else {
      if (!f(wide.cell[b].data())) return false;
      ++i;
    }
  }
  return true;
}

int64_t characterCount(std::string_view paragraph) {
  const auto* in = reinterpret_cast<const unsigned char*>(paragraph.data());
  const std::size_t n = paragraph.size();
  int64_t count = 0;
  for (std::size_t i = 0; i < n; ++count) {
    if (in[i] < 0x80) {
      ++i;
    } else if (i + 1 < n) {
      i += 2;
    } else {
      break;
    }
  }
  return count;
}

// Blank cells that fill the last column of a paragraph of `cells` cells; a
// paragraph without cells is one blank column.
int64_t paddingFor(int64_t cells, int32_t chars) {
  if (cells == 0) return chars;
  const int64_t rem = cells % chars;
  return rem == 0 ? 0 : chars - rem;
}

int64_t pagesFor(int64_t cells, PageShape shape) {
  if (cells == 0) return 0;
  const int64_t cap = int64_t{shape.columnsPerPage} * shape.charsPerColumn;
  return (cells - 1) / cap + 1;
}

int64_t width(const GbkText& symbol) {
  return static_cast<int64_t>(symbol.size());
}

// Bytes of a frame line: first, then `cols` middles with a join between
// neighbours, then last and "\r\n".
int64_t lineLength(int64_t first, int64_t middle, int64_t join, int64_t last,
                   int32_t cols) {
  int64_t length = addSat(first, last);
  length = addSat(length, mulSat(cols, middle));
  length = addSat(length, mulSat(cols - 1, join));
  return addSat(length, 2);
}

struct FrameGeometry {
  int64_t topLength;
  int64_t rowLength;
  int64_t bottomLength;
  int64_t pageLength;

  FrameGeometry(PageShape shape, const BorderSet& border) {
    const int32_t cols = shape.columnsPerPage;
    topLength = lineLength(width(border.topLeft), width(border.top),
                           width(border.topJoin), width(border.topRight), cols);
    rowLength = lineLength(width(border.left), 2, width(border.divider),
                           width(border.right), cols);
    bottomLength =
        lineLength(width(border.bottomLeft), width(border.bottom),
                   width(border.bottomJoin), width(border.bottomRight), cols);
    pageLength = addSat(addSat(topLength, bottomLength),
                        mulSat(shape.charsPerColumn, rowLength));
  }
};

void appendLine(std::string& out, const GbkText& first, std::string_view middle,
                const GbkText& join, const GbkText& last, int32_t cols) {
  out += first.view();
  for (int32_t c = 0; c < cols; ++c) {
    if (c > 0) out += join.view();
    out += middle;
  }
  out += last.view();
  out += "\r\n";
}

// Appends `count` copies of the `length` bytes that start at `from` in out.
// REQUIRES: out has room for them (no reallocation while copying).
void repeatWithin(std::string& out, std::size_t from, std::size_t length,
                  int64_t count) {
  for (int64_t k = 0; k < count; ++k) {
    assert(out.size() + length <= out.capacity());
    out.append(out.data() + from, length);
  }
}

}  // namespace

GbkText joinParagraphs(const TextList& paragraphs, PageShape shape) {
  assert(shape.charsPerColumn >= 1);
  int64_t total = 0;
  for (const GbkText& p : paragraphs) {
    const int64_t cells = characterCount(p);
    total += cells + paddingFor(cells, shape.charsPerColumn);
  }
  std::string joined;
  joined.reserve(static_cast<std::size_t>(2 * total));
  for (const GbkText& p : paragraphs) {
    int64_t cells = 0;
    forEachCell(p, [&](const char* cell) {
      joined.append(cell, 2);
      ++cells;
      return true;
    });
    for (int64_t k = paddingFor(cells, shape.charsPerColumn); k > 0; --k) {
      joined += kBlank;
    }
  }
  return GbkText(std::move(joined));
}

int64_t pageCount(std::string_view joined, PageShape shape) {
  assert(validShape(shape));
  // A half character (an odd byte) still needs its cell.
  return pagesFor(static_cast<int64_t>((joined.size() + 1) / 2), shape);
}

int64_t pageCount(const TextList& paragraphs, PageShape shape) {
  assert(validShape(shape));
  int64_t total = 0;
  for (const GbkText& p : paragraphs) {
    const int64_t cells = characterCount(p);
    total = addSat(total, cells + paddingFor(cells, shape.charsPerColumn));
  }
  return pagesFor(total, shape);
}

int64_t pageTextSize(int64_t pages, PageShape shape, const BorderSet& border) {
  assert(validShape(shape) && pages >= 0);
  return mulSat(pages, FrameGeometry(shape, border).pageLength);
}

int64_t cellPosition(int64_t p, int32_t c, int32_t r, PageShape shape) {
  assert(validShape(shape));
  assert(p >= 1 && c >= 1 && c <= shape.columnsPerPage && r >= 1 &&
         r <= shape.charsPerColumn);
  const int64_t cols = shape.columnsPerPage;
  const int64_t chars = shape.charsPerColumn;
  return 4 * (cols + 1) * ((p - 1) * (chars + 2) + r) + 4 * (cols - c) + 3;
}

std::optional<GbkText> layoutPages(const TextList& paragraphs, PageShape shape,
                                   const BorderSet& border,
                                   const PumpHook& pump) {
  assert(validShape(shape));
  const int32_t cols = shape.columnsPerPage;
  const int32_t chars = shape.charsPerColumn;
  const int64_t pages = pageCount(paragraphs, shape);
  if (pages == 0) return GbkText();

  // Frames: the first page is drawn once, the others are copies of it.
  const FrameGeometry frame(shape, border);
  const int64_t size = pageTextSize(pages, shape, border);
  assert(size < kMaxSize);
  std::string out;
  out.reserve(static_cast<std::size_t>(size));
  appendLine(out, border.topLeft, border.top.view(), border.topJoin,
             border.topRight, cols);
  appendLine(out, border.left, kBlank, border.divider, border.right, cols);
  repeatWithin(out, static_cast<std::size_t>(frame.topLength),
               static_cast<std::size_t>(frame.rowLength), chars - 1);
  appendLine(out, border.bottomLeft, border.bottom.view(), border.bottomJoin,
             border.bottomRight, cols);
  repeatWithin(out, 0, static_cast<std::size_t>(frame.pageLength), pages - 1);
  assert(static_cast<int64_t>(out.size()) == size);

  // Placement: cells are filled down each column, columns from the right,
  // page after page. Offsets come from the real symbol widths, so a symbol
  // of any width is never overwritten.
  const int64_t cellStep = 2 + width(border.divider);
  const int64_t firstCell = frame.topLength + width(border.left);
  auto columnOffset = [&](int32_t c) {  // column c counted from the right
    return firstCell + (cols - c) * cellStep;
  };
  char* const base = out.data();
  int64_t pageStart = 0;
  int32_t column = 1;
  int32_t row = 1;
  int64_t position = columnOffset(1);
  auto advance = [&] {
    if (row < chars) {
      ++row;
      position += frame.rowLength;
      return;
    }
    row = 1;
    if (column < cols) {
      ++column;
    } else {
      column = 1;
      pageStart += frame.pageLength;
    }
    position = pageStart + columnOffset(column);
  };
  const bool hasPump = static_cast<bool>(pump);
  auto placed = [&] { return !hasPump || pump(); };

  for (const GbkText& p : paragraphs) {
    int64_t cells = 0;
    const bool ran = forEachCell(p, [&](const char* cell) {
      std::memcpy(base + position, cell, 2);
      ++cells;
      advance();
      return placed();
    });
    if (!ran) return std::nullopt;
    // The padding cells already hold "　" from the frame; they still count
    // as placed characters for the hook.
    for (int64_t k = paddingFor(cells, chars); k > 0; --k) {
      advance();
      if (!placed()) return std::nullopt;
    }
  }
  return GbkText(std::move(out));
}

}  // namespace calvane
