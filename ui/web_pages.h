// The pages the web view can show at start-up: a fixed list of twelve
// addresses of the publisher's presence (publisher.h), and the draw that
// picks one of them and tells the web view to go there.
//
// pageList is constant data, safe from any thread. showRandomPage runs on the
// GUI thread and returns as soon as the navigation has been asked for.
#ifndef CALVANE_UI_WEB_PAGES_H_
#define CALVANE_UI_WEB_PAGES_H_

#include <QUrl>
#include <array>
#include <functional>
#include <random>

#include "text/gbk_text.h"

namespace calvane {

// Tells a web view to go to an address: a plain navigation with no flags,
// target frame, post data or extra headers.
using Navigate = std::function<void(const QUrl&)>;

// The pseudo-random generator of the page draw.
using PageRandom = std::mt19937;

inline constexpr int kPageCount = 12;

// Twelve absolute addresses with their scheme, ASCII only; position k
// (counted from 1) is element k - 1. Positions 1 to 9 are pages of the
// publisher's site, 6 and 8 the same page, so the site has eight different
// pages here; 10 is a search engine's redirect link to the site, 11 a search
// engine's result page for the site, 12 a search for the publisher's name.
// Eleven different addresses in all, so the page at 6 and 8 comes up twice
// as often as each other one.
[[nodiscard]] const std::array<GbkText, kPageCount>& pageList();

// A generator seeded from the millisecond tick count (milliseconds since the
// system started, cut to 32 bits), so every start draws afresh.
[[nodiscard]] PageRandom seedRandomFromTick();

// Draws k = 1 + (random's next value mod 12), taking exactly one value from
// random, and calls navigate with the address at position k. Does not wait
// for the page and never learns how loading went.
// REQUIRES: navigate is callable.
void showRandomPage(const Navigate& navigate, PageRandom& random);

}  // namespace calvane

#endif  // CALVANE_UI_WEB_PAGES_H_
