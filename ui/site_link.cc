#include "ui/site_link.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <utility>

#include "ui/qt_text.h"

namespace calvane {
namespace {

// On Linux this hands the address to xdg-open; true when that could start.
bool openInDefaultBrowser(const QUrl& address) {
  return QDesktopServices::openUrl(address);
}

}  // namespace

SiteLink::SiteLink(QWidget* parent)
    : QWidget(parent), opener_(openInDefaultBrowser) {
  setObjectName(QStringLiteral("siteLink"));
  setGeometry(544, 16, 256, 16);
  // The platform's GUI font, not whatever font the window around it uses.
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setCursor(Qt::PointingHandCursor);
  // paintEvent covers every pixel with the band's colour.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SiteLink::setCaption(std::string_view gbkCaption) {
  caption_ = GbkText(gbkCaption);
  update();
}

void SiteLink::setAddress(std::string_view gbkAddress) {
  address_ = GbkText(gbkAddress);
  update();
}

SiteLink::Opener SiteLink::setOpener(Opener opener) {
  if (!opener) opener = openInDefaultBrowser;
  return std::exchange(opener_, std::move(opener));
}

QColor SiteLink::textColour() const {
  if (hovered_) return QColor::fromRgb(kHoverColour);
  return QColor::fromRgb(visited_ ? kVisitedColour : kNormalColour);
}

QString SiteLink::shownText() const {
  return toQString(caption_.empty() ? address_ : caption_);
}

void SiteLink::openSiteLink() {
  if (address_.empty()) return;
  const QUrl site(QStringLiteral("http://") + toQString(address_));
  visited_ = opener_(site);
  update();
}

void SiteLink::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor::fromRgb(kBackground));
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(textColour());
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                   shownText());
}

// Qt reports entering and leaving without a mouse grab of our own, so the
// label never holds the pointer captured.
void SiteLink::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QWidget::enterEvent(event);
}

void SiteLink::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QWidget::leaveEvent(event);
}

void SiteLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    openSiteLink();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

}  // namespace calvane
