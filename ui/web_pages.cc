#include "ui/web_pages.h"

#include <cassert>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/publisher.h"
#include "ui/qt_text.h"

namespace calvane {
namespace {

// Every byte but the unreserved ASCII ones as %XX, so a GBK caption or a
// whole address can stand as one query value.
std::string percentEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                            (b >= '0' && b <= '9') || b == '-' || b == '.' ||
                            b == '_' || b == '~';
    if (unreserved) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    }
  }
  return out;
}

std::array<GbkText, kPageCount> buildPageList() {
  const std::string site = "http://" + std::string(kPublisherHost);
  const auto page = [&](std::string_view path) {
    return GbkText(site + std::string(path));
  };
  const GbkText news = page("/news.html");  // listed twice
  return {
      page("/"),
      page("/download.html"),
      page("/borders.html"),
      page("/guide.html"),
      page("/faq.html"),
      news,
      page("/books.html"),
      news,
      page("/about.html"),
      GbkText("https://www.google.com/url?q=" + percentEncode(site + "/")),
      GbkText("https://www.bing.com/search?q=" +
              percentEncode("site:" + std::string(kPublisherHost))),
      // The caption is GBK already; Baidu takes GBK queries when told so.
      GbkText("https://www.baidu.com/s?ie=gbk&wd=" +
              percentEncode(kPublisherCaption)),
  };
}

}  // namespace

const std::array<GbkText, kPageCount>& pageList() {
  static const std::array<GbkText, kPageCount> pages = buildPageList();
  return pages;
}

PageRandom seedRandomFromTick() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return PageRandom(static_cast<std::uint32_t>(ms.count()));
}

void showRandomPage(const Navigate& navigate, PageRandom& random) {
  assert(navigate);
  const auto k = 1 + static_cast<int>(random() % kPageCount);
  navigate(QUrl(toQString(pageList()[k - 1]), QUrl::StrictMode));
}

}  // namespace calvane
