// BorderPanel: the custom border editor, a small panel inside the main
// window. The user types the eleven symbols of a BorderSet into eleven
// one-symbol boxes laid out like a frame, previews a sample frame, and stores
// the set by name in the custom border file, from where the border list of
// the main window offers it to a conversion. A stored set can be loaded back
// by picking its name, changed and stored again, or deleted.
//
// The panel keeps no state of its own between events beyond its controls;
// every list it shows is rebuilt from the custom border file
// (customBordersPath()), and every add or delete reaches that file at once.
// Refused input is reported through showMessage and focusControl.
//
// A Qt widget: GUI thread only. Owned by its parent (the main window); the
// border list is the main window's and must outlive the panel.
#ifndef CALVANE_UI_BORDER_PANEL_H_
#define CALVANE_UI_BORDER_PANEL_H_

#include <QFrame>
#include <QPoint>
#include <array>
#include <optional>

#include "convert/border_set.h"
#include "text/gbk_text.h"

class QComboBox;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;

namespace calvane {

class ByteLimitedEdit;

class BorderPanel : public QFrame {
  Q_OBJECT

 public:
  // Creates the panel (object name "borderPanel", 348 x 144 at 396, 218 of
  // parent) with its 17 controls, hidden. borderList is the main window's
  // list of borders; adds and deletes rebuild or shorten it.
  // REQUIRES: borderList != nullptr, parent != nullptr.
  BorderPanel(QComboBox* borderList, QWidget* parent);

  // Whether every symbol box holds a symbol that can be stored: at least two
  // bytes, no ASCII space (the separator of the stored form) and only
  // characters GBK holds. On the first box that fails, shows why and moves
  // the focus to that box; the boxes after it are not looked at.
  bool checkSymbolBoxes();

 public slots:
  // Lists the custom border file's sections in the name box (none
  // selected), moves the panel to 396, 202 and shows it.
  void openBorderPanel();
  // Empties the symbol boxes, the preview and the name, then hides the
  // panel; the name box keeps its entries.
  void closeBorderPanel();
  // Draws a sample frame of five columns of five blank cells from the
  // symbols into the preview box, when checkSymbolBoxes passes.
  void previewBorder();
  // Fills the symbol boxes from the stored set named by the name box, as
  // stored (whatever the symbols' lengths). A stored text of fewer than
  // eleven parts fills the boxes it has parts for, empties the rest and is
  // reported as incomplete.
  void loadCustomBorder();
  // Stores the symbols under the name, reads them back, then empties the
  // boxes and rebuilds both lists from the file with nothing selected. A
  // name that cannot be stored, or a store that does not hold the set
  // afterwards, is reported; then the boxes and both lists stay as they were.
  void addCustomBorder();
  // Deletes the stored set of the picked entry and removes it from both
  // lists. Refused when no entry is picked or the name shown is no longer
  // the picked entry's; a section the file still holds afterwards is
  // reported and both lists stay.
  void deleteCustomBorder();

 protected:
  // A left press on the panel's own surface (not on one of its controls)
  // drags the panel until the button is released.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // Starts a drag whose mouse went down at pressGlobal (screen position).
  void dragBorderPanel(const QPoint& pressGlobal);

  // The eleven symbols as GBK, in field order.
  [[nodiscard]] BorderSet symbolsFromBoxes() const;
  void clearSymbolsAndPreview();
  // Both lists rebuilt from the names: borderList gets the three built-ins
  // first. Neither list has an entry selected afterwards.
  void rebuildLists(const TextList& names);
  // Replaces the name box's entries by names, none selected.
  void fillNameBox(const TextList& names);

  QComboBox* borderList_;
  QPlainTextEdit* previewBox_;
  QPushButton* closePanelButton_;
  QPushButton* previewButton_;
  QPushButton* deleteButton_;
  QPushButton* addButton_;
  QComboBox* customNameBox_;
  std::array<ByteLimitedEdit*, BorderSet::kSymbolCount> symbolBoxes_{};

  // Where the drag started: mouse on the screen, panel in its parent.
  std::optional<QPoint> dragMouseStart_;
  QPoint dragPanelStart_;
};

}  // namespace calvane

#endif  // CALVANE_UI_BORDER_PANEL_H_
