// The web view of the main window: an embedded browser (Qt WebEngine) in the
// lower part of the window that shows a page of the publisher's presence.
// It starts blank and shows nothing until it is told to navigate; from then
// on the user can follow links and scroll in it as in any browser window.
// The program never reads anything back from it, never waits for it, and
// does not notice a page that fails to load (the browser shows its own
// error page), so the window works the same without a network.
//
// A Qt widget: GUI thread only; owned by its parent.
#ifndef CALVANE_UI_WEB_VIEW_H_
#define CALVANE_UI_WEB_VIEW_H_

#include "ui/web_pages.h"

class QWidget;

namespace calvane {

// Creates the blank web view (object name "webView") as a child of parent,
// at 8, 404 with size 808 x 232; the window's client area ends above its
// lower edge, so only the upper part shows.
[[nodiscard]] QWidget* createWebView(QWidget* parent);

// A Navigate that tells webView to load an address and returns at once. It
// does nothing once the view has been destroyed.
// REQUIRES: webView was made by createWebView.
[[nodiscard]] Navigate navigatorFor(QWidget* webView);

}  // namespace calvane

#endif  // CALVANE_UI_WEB_VIEW_H_
