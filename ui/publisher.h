// The publisher whose site the window shows: the host name of its web site
// and the caption of the site link. The page list and the site link are
// built from these two values and from nothing else, so this is the one
// place where a distributor sets the real site and name.
//
// The host lies under the reserved ".example" top-level domain, which never
// resolves: an undistributed build shows no content from a domain that
// someone else could register.
//
// Constant data; safe from any thread.
#ifndef CALVANE_UI_PUBLISHER_H_
#define CALVANE_UI_PUBLISHER_H_

#include <string_view>

namespace calvane {

// A bare host name (no scheme, no path): ASCII letters, digits, '-' and '.'.
inline constexpr std::string_view kPublisherHost = "calvane.example";

// The site's name as the link label shows it, GBK bytes. It has to fit on
// one line of 256 x 16 pixels in the default GUI font.
inline constexpr std::string_view kPublisherCaption =
    "Calvane \xCA\xFA\xC5\xC5\xCA\xE9\xB7\xBB";  // Calvane 竖排书坊

}  // namespace calvane

#endif  // CALVANE_UI_PUBLISHER_H_
