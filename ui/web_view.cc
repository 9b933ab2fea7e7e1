#include "ui/web_view.h"

#include <QPointer>
#include <QWebEngineView>
#include <cassert>

namespace calvane {

QWidget* createWebView(QWidget* parent) {
  // No start address: a fresh view stays blank until load() is called. Its
  // page uses Qt's default profile, which keeps cookies, cache and history
  // in memory only, so no run leaves anything behind for the next.
  auto* view = new QWebEngineView(parent);
  view->setObjectName(QStringLiteral("webView"));
  view->setGeometry(8, 404, 808, 232);
  return view;
}

Navigate navigatorFor(QWidget* webView) {
  auto* view = qobject_cast<QWebEngineView*>(webView);
  assert(view != nullptr);
  return [guarded = QPointer<QWebEngineView>(view)](const QUrl& address) {
    // A plain top-level load: no flags, frame, post data or extra headers.
    if (guarded) guarded->load(address);
  };
}

}  // namespace calvane
