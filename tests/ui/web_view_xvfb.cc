// The real web view under an X server (tests/xvfb/web_view.sh runs it): it
// starts blank, loads a page from disk when told to, and a page that cannot
// be reached ends in a failed load the program never has to look at.
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWidget>
#include <memory>

#include "tests/ui/ui_test_registry.h"
#include "ui/web_pages.h"
#include "ui/web_view.h"

namespace calvane {
namespace {

// Chromium's first start in a fresh profile can take a while on a loaded
// machine; the wait ends as soon as the load does.
constexpr int kLoadWaitMs = 120000;

}  // namespace

class WebViewXvfb : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window_;
  QWebEngineView* view_ = nullptr;

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
      QSKIP("needs a real X server: run tests/xvfb/web_view.sh");
  }

  void init() {
    window_ = std::make_unique<QWidget>();
    window_->resize(826, 583);
    view_ = qobject_cast<QWebEngineView*>(createWebView(window_.get()));
    QVERIFY(view_ != nullptr);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() { window_.reset(); }

  void startsBlankAndLoadsALocalPage() {
    QCOMPARE(view_->objectName(), QString("webView"));
    QCOMPARE(view_->geometry(), QRect(8, 404, 808, 232));
    QVERIFY(view_->url().isEmpty());
    // Nothing it sees is kept for the next run.
    QVERIFY(view_->page()->profile()->isOffTheRecord());

    QSignalSpy finished(view_, &QWebEngineView::loadFinished);
    const QUrl page =
        QUrl::fromLocalFile(CALVANE_TEST_DATA_DIR "/web/local_page.html");
    navigatorFor(view_)(page);
    QVERIFY(finished.wait(kLoadWaitMs));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toBool(), true);
    QCOMPARE(view_->url(), page);
    QCOMPARE(view_->title(), QString("Calvane local page"));
  }

  // The publisher's host never resolves, so this is the load that fails
  // without a network as well.
  void anUnreachablePageFailsQuietly() {
    QSignalSpy finished(view_, &QWebEngineView::loadFinished);
    navigatorFor(view_)(QUrl(QString::fromLatin1(pageList()[0].bytes())));
    QVERIFY(finished.wait(kLoadWaitMs));
    QCOMPARE(finished.first().at(0).toBool(), false);
  }

  void aNavigatorOutlivingItsViewDoesNothing() {
    const Navigate navigate = navigatorFor(view_);
    window_.reset();
    navigate(QUrl("http://calvane.example/"));
  }
};

}  // namespace calvane

CALVANE_UI_TEST(web_view_xvfb, calvane::WebViewXvfb);
#include "web_view_xvfb.moc"
