// GbkText: a text as a byte string in the GBK code page (Windows code page
// 936). Every text inside Calvane is one of these; conversion to and from
// Unicode happens only at the edges (gbk_codec.h).
//
// Byte ranges: a byte 0x01..0x7F is a one-byte character (control characters
// included); a byte 0x80..0xFF is the lead byte of a two-byte character whose
// trail byte is the byte after it, whatever that byte is. The byte 0x00 never
// occurs in a GbkText. Nothing here checks that a lead/trail pair is a
// character GBK defines.
//
// A GbkText owns its bytes and is a plain value: copying copies the bytes.
// It converts implicitly to std::string_view, so every text operation takes
// views and returns new texts. Distinct objects may be used from different
// threads; one object is not safe to mutate concurrently.
#ifndef CALVANE_TEXT_GBK_TEXT_H_
#define CALVANE_TEXT_GBK_TEXT_H_

#include <cassert>
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvane {

class GbkText {
 public:
  GbkText() = default;

  // REQUIRES: bytes holds no 0x00 byte.
  explicit GbkText(std::string_view bytes) : bytes_(bytes) { assertNoNul(); }
  // REQUIRES: bytes holds no 0x00 byte.
  explicit GbkText(std::string&& bytes) : bytes_(std::move(bytes)) {
    assertNoNul();
  }
  // REQUIRES: bytes holds no 0x00 byte.
  explicit GbkText(const char* bytes) : bytes_(bytes) { assertNoNul(); }

  // The bytes of the text, without any terminator of its own.
  [[nodiscard]] const std::string& bytes() const noexcept { return bytes_; }
  [[nodiscard]] std::string_view view() const noexcept { return bytes_; }
  operator std::string_view() const noexcept { return bytes_; }  // NOLINT

  // Byte length; a two-byte character counts as 2.
  [[nodiscard]] std::size_t size() const noexcept { return bytes_.size(); }
  [[nodiscard]] bool empty() const noexcept { return bytes_.empty(); }
  [[nodiscard]] const char* data() const noexcept { return bytes_.data(); }

  // Moves the bytes out; the text is left empty.
  [[nodiscard]] std::string release() && noexcept {
    return std::exchange(bytes_, std::string());
  }

  // Byte-wise, unsigned, no case folding (the order of compare()).
  friend bool operator==(const GbkText&, const GbkText&) = default;
  friend std::strong_ordering operator<=>(const GbkText& a,
                                          const GbkText& b) noexcept {
    const int c = a.bytes_.compare(b.bytes_);  // char_traits<char> is unsigned
    return c < 0 ? std::strong_ordering::less
                 : c > 0 ? std::strong_ordering::greater
                         : std::strong_ordering::equal;
  }

 private:
  void assertNoNul() const {
    assert(bytes_.find('\0') == std::string::npos);
  }

  std::string bytes_;
};

// An ordered sequence of texts (the result of split); may be empty and may
// hold empty texts.
using TextList = std::vector<GbkText>;

}  // namespace calvane

#endif  // CALVANE_TEXT_GBK_TEXT_H_
