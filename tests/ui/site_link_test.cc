// The site link: what it draws, how hovering and clicking change its colour,
// and that it opens the site only through its opener (a recorder here, so
// no browser starts).
#include <QFontDatabase>
#include <QImage>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <memory>
#include <vector>

#include "tests/ui/ui_test_registry.h"
#include "tests/ui/ui_test_util.h"
#include "ui/site_link.h"

namespace calvane {
namespace {

bool hasPixel(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == colour) return true;
  return false;
}

QImage drawn(SiteLink* link) {
  return link->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class SiteLinkTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window_;  // the settings band around the link
  SiteLink* link_ = nullptr;
  std::vector<QUrl> opened_;
  bool openSucceeds_ = true;

  // Puts the pointer on the link, or in the band beside it.
  void pointerOnLink(bool on) {
    QTest::mouseMove(window_.get(),
                     on ? link_->geometry().center() : QPoint(20, 40));
  }

 private slots:
  void init() {
    window_ = std::make_unique<QWidget>();
    window_->resize(826, 100);
    link_ = new SiteLink(window_.get());
    link_->setCaption("Calvane \xCA\xFA\xC5\xC5");  // Calvane 竖排
    link_->setAddress("calvane.example");
    opened_.clear();
    openSucceeds_ = true;
    link_->setOpener([this](const QUrl& url) {
      opened_.push_back(url);
      return openSucceeds_;
    });
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    // The pointer's place outlives the window; every test starts beside the
    // link.
    pointerOnLink(false);
    QVERIFY(!link_->isHovered());
  }

  void cleanup() {
    pointerOnLink(false);  // also after a failed test
    window_.reset();
  }

  void startsIdleWithItsLookAndPlace() {
    QCOMPARE(link_->objectName(), QString("siteLink"));
    QCOMPARE(link_->geometry(), QRect(544, 16, 256, 16));
    QCOMPARE(link_->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(link_->font(),
             QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    QVERIFY(!link_->isVisited());
    QCOMPARE(link_->textColour(), QColor(0, 0, 255));

    const QImage image = drawn(link_);
    QCOMPARE(image.pixel(0, 0), SiteLink::kBackground);  // no border
    QCOMPARE(image.pixel(255, 15), SiteLink::kBackground);
    QVERIFY(hasPixel(image, SiteLink::kNormalColour));
    // One centred line: ink in the middle columns only, none at the ends.
    const auto inkInColumn = [&](int x) {
      for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) != SiteLink::kBackground) return true;
      return false;
    };
    QVERIFY(inkInColumn(128) || inkInColumn(127) || inkInColumn(129));
    QVERIFY(!inkInColumn(2) && !inkInColumn(253));
  }

  void showsTheAddressWhenTheCaptionIsEmpty() {
    QCOMPARE(link_->shownText(), QString::fromUtf8("Calvane 竖排"));
    link_->setCaption("");
    QCOMPARE(link_->shownText(), QString("calvane.example"));
  }

  void enteringAndLeavingSwitchTheColourAndRepaint() {
    testing::PaintCounter counter;
    link_->installEventFilter(&counter);
    const struct {
      bool on;
      QRgb colour;
    } steps[] = {{true, SiteLink::kHoverColour},
                 {false, SiteLink::kNormalColour},
                 {true, SiteLink::kHoverColour},
                 {false, SiteLink::kNormalColour}};
    for (const auto& step : steps) {
      const int before = counter.paints;
      pointerOnLink(step.on);
      QCOMPARE(link_->isHovered(), step.on);
      QCOMPARE(link_->textColour().rgb(), step.colour);
      QTRY_VERIFY(counter.paints > before);
      const QImage image = drawn(link_);
      QVERIFY(hasPixel(image, step.colour));
      QVERIFY(!hasPixel(image, step.on ? SiteLink::kNormalColour
                                       : SiteLink::kHoverColour));
    }
  }

  // Each click's outcome decides the colour once the pointer has left.
  void visitedFollowsTheOutcomeOfEachClick() {
    const struct {
      bool succeeds;
      QRgb afterLeaving;
    } clicks[] = {{true, SiteLink::kVisitedColour},
                  {true, SiteLink::kVisitedColour},
                  {false, SiteLink::kNormalColour},
                  {true, SiteLink::kVisitedColour}};
    for (const auto& click : clicks) {
      openSucceeds_ = click.succeeds;
      pointerOnLink(true);
      QTest::mouseClick(link_, Qt::LeftButton, {}, QPoint(100, 8));
      QCOMPARE(link_->isVisited(), click.succeeds);
      QCOMPARE(link_->textColour().rgb(), SiteLink::kHoverColour);
      pointerOnLink(false);
      QCOMPARE(link_->textColour().rgb(), click.afterLeaving);
      QVERIFY(hasPixel(drawn(link_), click.afterLeaving));
    }
    QCOMPARE(opened_.size(), std::size(clicks));
    for (const QUrl& url : opened_)
      QCOMPARE(url, QUrl("http://calvane.example"));
  }

  void onlyTheLeftButtonOpens() {
    QTest::mouseClick(link_, Qt::RightButton, {}, QPoint(100, 8));
    QTest::mouseClick(link_, Qt::MiddleButton, {}, QPoint(100, 8));
    QVERIFY(opened_.empty());
    QVERIFY(!link_->isVisited());
  }

  void anEmptyAddressDoesNothing() {
    link_->openSiteLink();  // visited, then the address goes away
    link_->setAddress("");
    opened_.clear();
    openSucceeds_ = false;  // a call would clear visited
    QTest::mouseClick(link_, Qt::LeftButton, {}, QPoint(100, 8));
    link_->openSiteLink();
    QVERIFY(opened_.empty());
    QVERIFY(link_->isVisited());
  }
};

}  // namespace calvane

CALVANE_UI_TEST(site_link_test, calvane::SiteLinkTest);
#include "site_link_test.moc"
