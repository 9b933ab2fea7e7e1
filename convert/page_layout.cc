#include "convert/page_layout.h"

#include <algorithm>
#include <array>
#include <bit>
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

// Reads the cells of a paragraph: one per character, widened; a lone lead
// byte at the end has no cell (widening drops it).
class CellReader {
 public:
  CellReader(std::string_view paragraph, const Widening& wide)
      : wide_(wide),
        in_(reinterpret_cast<const unsigned char*>(paragraph.data())),
        end_(in_ + paragraph.size()) {}

  // The two bytes of the next cell, or nullptr after the last.
  const char* next() {
    if (in_ == end_) return nullptr;
    const unsigned char b = *in_;
    if (b < 0x80) {
      ++in_;
      return wide_.cell[b].data();
    }
    if (in_ + 1 == end_) {
      in_ = end_;
      return nullptr;
    }
    const char* cell = reinterpret_cast<const char*>(in_);
    in_ += 2;
    return cell;
  }

  // Whether no cell is left.
  bool done() const {
    return in_ == end_ || (in_ + 1 == end_ && *in_ >= 0x80);
  }

 private:
  const Widening& wide_;
  const unsigned char* in_;
  const unsigned char* const end_;
};

// For each parity of a run of bytes 0x80..0xFF carried into eight bytes
// and each mask of which of them are 0x80..0xFF: how many runs of odd length
// end among them, and the parity of the run still open after them.
struct RunParity {
  std::array<std::array<uint8_t, 256>, 2> oddEnds{};
  std::array<std::array<uint8_t, 256>, 2> openParity{};
  std::array<uint8_t, 256> highBytes{};  // bits set in the mask

  RunParity() {
    for (int mask = 0; mask < 256; ++mask) {
      highBytes[mask] = static_cast<uint8_t>(std::popcount(
          static_cast<unsigned>(mask)));
    }
    for (int carried = 0; carried < 2; ++carried) {
      for (int mask = 0; mask < 256; ++mask) {
        int parity = carried;
        int odd = 0;
        for (int bit = 0; bit < 8; ++bit) {
          if (mask >> bit & 1) {
            parity ^= 1;
          } else {
            odd += parity;
            parity = 0;
          }
        }
        oddEnds[carried][mask] = static_cast<uint8_t>(odd);
        openParity[carried][mask] = static_cast<uint8_t>(parity);
      }
    }
  }
};

// Characters of a paragraph, a lone lead byte at the end not counted. A
// byte below 0x80 ends whatever came before it, so each run of bytes
// 0x80..0xFF pairs off from its start, and a run of odd length takes the
// byte after it as its last trail byte (or ends the text as a lone lead
// byte). So characters = bytes - (high bytes + odd runs) / 2, which eight
// bytes at a time costs a table lookup instead of a step per character.
int64_t characterCount(std::string_view paragraph) {
  static_assert(std::endian::native == std::endian::little);
  static const RunParity kRuns;
  const char* const data = paragraph.data();
  const std::size_t n = paragraph.size();
  int64_t high = 0;
  int64_t odd = 0;
  int parity = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    // The top bit of byte k lands in bit k.
    const auto mask = static_cast<uint8_t>(
        ((word & 0x8080808080808080u) * 0x0002040810204081u) >> 56);
    high += kRuns.highBytes[mask];
    odd += kRuns.oddEnds[parity][mask];
    parity = kRuns.openParity[parity][mask];
  }
  for (; i < n; ++i) {
    if (static_cast<unsigned char>(data[i]) >= 0x80) {
      ++high;
      parity ^= 1;
    } else {
      odd += parity;
      parity = 0;
    }
  }
  odd += parity;
  return static_cast<int64_t>(n) - (high + odd) / 2;
}

// Blank cells that fill the last column of a paragraph of `cells` cells; a
// paragraph without cells is one blank column.
int64_t paddingFor(int64_t cells, int32_t chars) {
  if (cells == 0) return chars;
  const int64_t rem = cells % chars;
  return rem == 0 ? 0 : chars - rem;
}

// Cells of all paragraphs, each padded to whole columns, with cellsOf
// giving a paragraph's own cells.
template <typename Paragraphs, typename CellsOf>
int64_t paddedCells(const Paragraphs& paragraphs, PageShape shape,
                    CellsOf&& cellsOf) {
  int64_t total = 0;
  for (std::string_view p : paragraphs) {
    const int64_t cells = cellsOf(p);
    total = addSat(total, cells + paddingFor(cells, shape.charsPerColumn));
  }
  return total;
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

// Appends the empty frame of one page: top line, a row line for each row,
// bottom line, every content cell "　".
void appendEmptyPage(std::string& out, PageShape shape,
                     const BorderSet& border) {
  const int32_t cols = shape.columnsPerPage;
  appendLine(out, border.topLeft, border.top.view(), border.topJoin,
             border.topRight, cols);
  std::string row;
  appendLine(row, border.left, kBlank, border.divider, border.right, cols);
  for (int32_t r = 0; r < shape.charsPerColumn; ++r) out += row;
  appendLine(out, border.bottomLeft, border.bottom.view(), border.bottomJoin,
             border.bottomRight, cols);
}

// Pages up to this size are drawn from a copy (see layoutPages).
constexpr int64_t kCopiedPageLimit = int64_t{1} << 20;
// At most this many cells are placed before the hook is called for them.
constexpr int32_t kHookBatch = 64;
// The most room reserved from the bound of the page count.
constexpr int64_t kSpareRoomLimit = int64_t{64} << 20;


template <typename Paragraphs>
int64_t exactPages(const Paragraphs& paragraphs, PageShape shape) {
  assert(validShape(shape));
  return pagesFor(paddedCells(paragraphs, shape, characterCount), shape);
}

template <typename Paragraphs>
int64_t boundPages(const Paragraphs& paragraphs, PageShape shape) {
  assert(validShape(shape));
  return pagesFor(paddedCells(paragraphs, shape, [](std::string_view p) {
                    return static_cast<int64_t>(p.size());
                  }),
                  shape);
}

template <typename Paragraphs>
std::optional<GbkText> layout(const Paragraphs& paragraphs, PageShape shape,
                              const BorderSet& border, const PumpHook& pump) {
  assert(validShape(shape));
  const int32_t cols = shape.columnsPerPage;
  const int32_t chars = shape.charsPerColumn;
  const FrameGeometry frame(shape, border);
  const int64_t bound = boundPages(paragraphs, shape);
  if (bound == 0) return GbkText();  // no paragraphs

  // Small pages are drawn one at a time from a copy, each just before the
  // cells on it are placed, so placing writes into memory still in the
  // cache. The room for them is reserved from the cheap bound when that
  // wastes little; the untouched rest costs address space, not memory.
  // Larger pages are drawn all at once in the page text itself.
  const bool drawEachPage = frame.pageLength <= kCopiedPageLimit;
  int64_t pages = bound;
  if (!drawEachPage || pageTextSize(bound, shape, border) > kSpareRoomLimit) {
    pages = exactPages(paragraphs, shape);
  }
  const int64_t reserved = pageTextSize(pages, shape, border);
  assert(reserved < kMaxSize);
  std::string out;
  out.reserve(static_cast<std::size_t>(reserved));
  std::string emptyPage;
  if (drawEachPage) {
    appendEmptyPage(emptyPage, shape, border);
  } else {
    // The first page once, the others copied from it (within the reserved
    // capacity, so the source stays put).
    appendEmptyPage(out, shape, border);
    for (int64_t p = 1; p < pages; ++p) {
      out.append(out.data(), static_cast<std::size_t>(frame.pageLength));
    }
  }

  // Cells are filled down each column, columns from the right, page after
  // page. Offsets come from the real symbol widths, so a symbol of any
  // width is never overwritten.
  const int64_t cellStep = 2 + width(border.divider);
  const int64_t rowLength = frame.rowLength;
  // Column 1 is the rightmost: its cell comes after the other columns'.
  const int64_t firstColumn =
      frame.topLength + width(border.left) + (cols - 1) * cellStep;
  char* const base = out.data();  // capacity is reserved: it never moves
  const Widening& wide = widening();
  int64_t pageStart = 0;
  int32_t column = 0;  // from the right, 0-based
  int32_t row = 0;     // from the top, 0-based
  int64_t columnTop = firstColumn;
  int64_t position = firstColumn;
  bool pageDue = drawEachPage;  // the current page is not drawn yet
  auto drawDuePage = [&] {
    if (pageDue) {
      assert(out.size() + emptyPage.size() <= out.capacity());
      out += emptyPage;
      pageDue = false;
    }
  };
  auto nextColumn = [&] {
    row = 0;
    if (++column < cols) {
      columnTop -= cellStep;
    } else {
      column = 0;
      pageStart += frame.pageLength;
      columnTop = pageStart + firstColumn;
      pageDue = drawEachPage;
    }
    position = columnTop;
  };
  // The hook is called once for each placed cell, in order, but in runs:
  // a few cells are placed down a column, then the calls for them are
  // made, which keeps both loops tight. Nothing can see the page text
  // before the layout returns, so the hook cannot tell; it still runs
  // every few microseconds, and once it asks to stop nothing more is done.
  const bool hasPump = static_cast<bool>(pump);
  auto callHook = [&](int64_t times) {
    if (hasPump) {
      for (; times > 0; --times) {
        if (!pump()) return false;
      }
    }
    return true;
  };

  for (std::string_view p : paragraphs) {
    CellReader reader(p, wide);
    bool placedAny = false;
    while (!reader.done()) {
      // A run of cells down the current column.
      const int32_t room = std::min(chars - row, kHookBatch);
      drawDuePage();
      char* cellAt = base + position;
      int32_t placed = 0;
      while (placed < room) {
        const char* cell = reader.next();
        if (cell == nullptr) break;
        std::memcpy(cellAt, cell, 2);
        cellAt += rowLength;
        ++placed;
      }
      placedAny = true;
      if (!callHook(placed)) return std::nullopt;
      row += placed;
      if (row < chars) {
        position += int64_t{placed} * rowLength;
      } else {
        nextColumn();
      }
    }
    // The padding cells already hold "　" from the frame; they still count
    // as placed characters for the hook.
    if (row != 0 || !placedAny) {
      drawDuePage();
      if (!callHook(chars - row)) return std::nullopt;
      nextColumn();
    }
  }
  assert(out.size() == static_cast<std::size_t>(pageTextSize(
                           exactPages(paragraphs, shape), shape, border)));
  return GbkText(std::move(out));
}

}  // namespace

GbkText joinParagraphs(const TextList& paragraphs, PageShape shape) {
  assert(shape.charsPerColumn >= 1);
  const int64_t total = paddedCells(paragraphs, shape, characterCount);
  const Widening& wide = widening();
  std::string joined;
  joined.reserve(static_cast<std::size_t>(2 * total));
  for (std::string_view p : paragraphs) {
    int64_t cells = 0;
    CellReader reader(p, wide);
    while (const char* cell = reader.next()) {
      joined.append(cell, 2);
      ++cells;
    }
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
  return exactPages(paragraphs, shape);
}

int64_t pageCount(std::span<const std::string_view> paragraphs,
                  PageShape shape) {
  return exactPages(paragraphs, shape);
}

int64_t pageCountBound(const TextList& paragraphs, PageShape shape) {
  return boundPages(paragraphs, shape);
}

int64_t pageCountBound(std::span<const std::string_view> paragraphs,
                       PageShape shape) {
  return boundPages(paragraphs, shape);
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
  return layout(paragraphs, shape, border, pump);
}

std::optional<GbkText> layoutPages(std::span<const std::string_view> paragraphs,
                                   PageShape shape, const BorderSet& border,
                                   const PumpHook& pump) {
  return layout(paragraphs, shape, border, pump);
}

}  // namespace calvane
