// SiteLink: the hyperlink label of the settings row. It shows the
// publisher's site name (or the site's address when the name is empty) and,
// on a press of the left mouse button, opens the site in the user's default
// browser.
//
// Colours: blue while idle, dark blue while the pointer is over it, dark red
// once the site has been opened and the pointer has left. Visited follows
// the outcome of each click: a failed open turns the label back to blue.
// Nothing is reported to the user either way. Neither flag is saved.
//
// The way of opening an address is injectable (setOpener) so tests never
// start a browser.
//
// A Qt widget: GUI thread only; owned by its parent.
#ifndef CALVANE_UI_SITE_LINK_H_
#define CALVANE_UI_SITE_LINK_H_

#include <QColor>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string_view>

#include "text/gbk_text.h"

class QEnterEvent;
class QEvent;
class QMouseEvent;
class QPaintEvent;

namespace calvane {

class SiteLink : public QWidget {
  Q_OBJECT

 public:
  // Opens an address in the default browser; true when the platform says
  // it did.
  using Opener = std::function<bool(const QUrl&)>;

  static constexpr QRgb kNormalColour = 0xFF0000FF;   // RGB(0, 0, 255)
  static constexpr QRgb kHoverColour = 0xFF0A246A;    // RGB(10, 36, 106)
  static constexpr QRgb kVisitedColour = 0xFF800000;  // RGB(128, 0, 0)
  static constexpr QRgb kBackground = 0xFFF0F8FF;     // RGB(240, 248, 255)

  // Creates the label (object name "siteLink", 256 x 16 at 544, 16 of
  // parent) with empty caption and address, neither hovered nor visited,
  // opening addresses through the desktop's default browser.
  explicit SiteLink(QWidget* parent = nullptr);

  // The caption, GBK bytes; drawn centred on one line.
  void setCaption(std::string_view gbkCaption);
  // The site's address without a scheme (a bare host name), GBK bytes
  // (ASCII in practice); "http://" is put in front when it is opened.
  void setAddress(std::string_view gbkAddress);
  [[nodiscard]] const GbkText& caption() const { return caption_; }
  [[nodiscard]] const GbkText& address() const { return address_; }

  // Replaces the way addresses are opened; an empty opener restores the
  // desktop's default browser. Returns the opener that was in place.
  Opener setOpener(Opener opener);

  [[nodiscard]] bool isHovered() const { return hovered_; }
  [[nodiscard]] bool isVisited() const { return visited_; }
  // The colour the text is drawn in now.
  [[nodiscard]] QColor textColour() const;
  // The text drawn now: the caption, or the address when the caption is
  // empty.
  [[nodiscard]] QString shownText() const;

 public slots:
  // Opens "http://" + address through the opener and remembers whether that
  // worked; does nothing at all when the address is empty.
  void openSiteLink();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  GbkText caption_;
  GbkText address_;
  Opener opener_;
  bool hovered_ = false;
  bool visited_ = false;
};

}  // namespace calvane

#endif  // CALVANE_UI_SITE_LINK_H_
