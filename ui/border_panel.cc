#include "ui/border_panel.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <algorithm>
#include <cassert>
#include <string>
#include <string_view>

#include "settings/ini_store.h"
#include "settings/settings_files.h"
#include "text/text_ops.h"
#include "ui/byte_limited_edit.h"
#include "ui/qt_text.h"
#include "ui/show_message.h"

namespace calvane {
namespace {

// Messages.
constexpr std::string_view kSymbolMissing =
    "\xC7\xEB\xC4\xDC\xCA\xE4\xC8\xEB\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2"
    "\xB5\xC4\xB7\xFB\xBA\xC5\xA3\xA1";  // 请能输入自定义边框的符号！
constexpr std::string_view kSymbolTooShort =
    "\xD6\xBB\xC4\xDC\xCA\xE4\xC8\xEB" "1\xB8\xF6\xC8\xAB\xBD\xC7\xBB\xF2\xCD"
    "\xAC\xCA\xB1\xCA\xE4\xC8\xEB" "2\xB8\xF6\xB0\xEB\xBD\xC7\xB7\xFB\xBA\xC5"
    "\xA3\xA1";  // 只能输入1个全角或同时输入2个半角符号！
constexpr std::string_view kSymbolHasSpace =
    "\xB7\xFB\xBA\xC5\xD6\xD0\xB2\xBB\xC4\xDC\xD3\xD0\xB0\xEB\xBD\xC7\xBF\xD5"
    "\xB8\xF1\xA3\xA1";  // 符号中不能有半角空格！
constexpr std::string_view kSymbolUnencodable =
    "\xB7\xFB\xBA\xC5\xD6\xD0\xD3\xD0\xB2\xBB\xC4\xDC\xB1\xA3\xB4\xE6\xB5\xC4"
    "\xD7\xD6\xB7\xFB\xA3\xA1";  // 符号中有不能保存的字符！
constexpr std::string_view kNameMissing =
    "\xC7\xEB\xCA\xE4\xC8\xEB\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xB5\xC4"
    "\xC3\xFB\xB3\xC6\xA3\xA1";  // 请输入自定义边框的名称！
constexpr std::string_view kNameReserved =
    "\xB2\xBB\xC4\xDC\xD3\xC3\xA3\xBA\xC4\xAC\xC8\xCF" "1\xA1\xA2\xC4\xAC\xC8"
    "\xCF" "2\xA1\xA2\xC4\xAC\xC8\xCF" "3\xD7\xF7\xCE\xAA\xD7\xD4\xB6\xA8\xD2"
    "\xE5\xB1\xDF\xBF\xF2\xB5\xC4\xC3\xFB\xB3\xC6\xA3\xA1";
    // 不能用：默认1、默认2、默认3作为自定义边框的名称！
constexpr std::string_view kNameTaken =
    "\xD5\xE2\xB8\xF6\xC3\xFB\xB3\xC6\xD2\xD1\xB1\xBB\xC1\xED\xD2\xBB\xB8\xF6"
    "\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xD5\xBC\xD3\xC3\xA3\xA1";
    // 这个名称已被另一个自定义边框占用！
constexpr std::string_view kNameUnencodable =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xB5\xC4\xC3\xFB\xB3\xC6\xD6\xD0"
    "\xD3\xD0\xB2\xBB\xC4\xDC\xB1\xA3\xB4\xE6\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA1";
    // 自定义边框的名称中有不能保存的字符！
constexpr std::string_view kStoreFailed =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC"
    "\xA3\xAC\xC7\xEB\xBB\xBB\xB8\xF6\xC3\xFB\xB3\xC6\xBB\xF2\xBC\xEC\xB2\xE9"
    "\xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE\xA3\xA1";
    // 自定义边框保存失败，请换个名称或检查配置文件！
constexpr std::string_view kAdded = "\xCC\xED\xBC\xD3\xB3\xC9\xB9\xA6\xA3\xA1";
    // 添加成功！
constexpr std::string_view kPickToDelete =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xD2\xAA\xC9\xBE\xB3\xFD\xB5\xC4\xCF\xEE\xC4\xBF"
    "\xA3\xA1";  // 请选择要删除的项目！
constexpr std::string_view kDeleteFailed =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xC9\xBE\xB3\xFD\xCA\xA7\xB0\xDC"
    "\xA3\xA1";  // 自定义边框删除失败！
constexpr std::string_view kStoredIncomplete =
    "\xD5\xE2\xB8\xF6\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2\xB5\xC4\xB7\xFB"
    "\xBA\xC5\xB2\xBB\xC8\xAB\xA3\xA1";  // 这个自定义边框的符号不全！

// Button captions.
constexpr std::string_view kCloseCaption = "\xB9\xD8\xB1\xD5";    // 关闭
constexpr std::string_view kPreviewCaption = "\xD4\xA4\xC0\xC0";  // 预览
constexpr std::string_view kDeleteCaption = "\xC9\xBE\xB3\xFD";   // 删除
constexpr std::string_view kAddCaption = "\xCC\xED\xBC\xD3";      // 添加

constexpr QPoint kFormPlace(396, 218);
constexpr QPoint kOpenPlace(396, 202);
constexpr QSize kPanelSize(348, 144);
// The name box was made 160 pixels tall with its list open: 20 for the
// closed part leaves room for about seven entries.
constexpr int kNameListEntries = 7;
// The borders the border list starts with, at positions 0, 1 and 2.
constexpr int kBuiltInCount = 3;

struct SymbolBoxPlace {
  const char* field;
  int x, y, width;
  Qt::Alignment alignment;
};

// Nine boxes mirror a frame; the two joins sit below them.
constexpr SymbolBoxPlace kSymbolBoxPlaces[BorderSet::kSymbolCount] = {
    {"topLeft", 16, 16, 24, Qt::AlignLeft},
    {"top", 47, 16, 24, Qt::AlignHCenter},
    {"topRight", 77, 16, 24, Qt::AlignRight},
    {"left", 16, 37, 24, Qt::AlignLeft},
    {"divider", 47, 37, 24, Qt::AlignHCenter},
    {"right", 77, 37, 24, Qt::AlignRight},
    {"bottomLeft", 16, 57, 24, Qt::AlignLeft},
    {"bottom", 47, 57, 24, Qt::AlignHCenter},
    {"bottomRight", 77, 57, 24, Qt::AlignRight},
    {"topJoin", 20, 80, 32, Qt::AlignHCenter},
    {"bottomJoin", 66, 80, 32, Qt::AlignHCenter},
};
constexpr int kSymbolBoxHeight = 16;

bool holds(const TextList& names, std::string_view name) {
  return std::find(names.begin(), names.end(), GbkText(name)) != names.end();
}

QPushButton* makeButton(QWidget* parent, const char* objectName,
                        std::string_view caption, int y) {
  auto* button = new QPushButton(toQString(caption), parent);
  button->setObjectName(objectName);
  button->setGeometry(115, y, 48, 21);
  return button;
}

}  // namespace

BorderPanel::BorderPanel(QComboBox* borderList, QWidget* parent)
    : QFrame(parent), borderList_(borderList) {
  assert(borderList != nullptr);
  assert(parent != nullptr);
  setObjectName("borderPanel");
  setGeometry(QRect(kFormPlace, kPanelSize));
  setFrameShape(QFrame::StyledPanel);
  // The panel lies over the result box and must hide it.
  setAutoFillBackground(true);

  previewBox_ = new QPlainTextEdit(this);
  previewBox_->setObjectName("previewBox");
  previewBox_->setGeometry(177, 15, 152, 120);
  previewBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  previewBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  previewBox_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

  closePanelButton_ = makeButton(this, "closePanelButton", kCloseCaption, 75);
  previewButton_ = makeButton(this, "previewButton", kPreviewCaption, 55);
  deleteButton_ = makeButton(this, "deleteButton", kDeleteCaption, 35);
  addButton_ = makeButton(this, "addButton", kAddCaption, 15);

  customNameBox_ = new QComboBox(this);
  customNameBox_->setObjectName("customNameBox");
  customNameBox_->setGeometry(16, 111, 150, 20);
  customNameBox_->setEditable(true);
  // Entries come only from the custom border file, in its order, and the
  // typed name is never completed or rewritten.
  customNameBox_->setInsertPolicy(QComboBox::NoInsert);
  customNameBox_->setCompleter(nullptr);
  customNameBox_->setMaxVisibleItems(kNameListEntries);
  // When its line edit loses the focus, QComboBox selects and "activates"
  // the entry that matches the typed text. That would load a stored set
  // over the symbols the user is about to store under that name, and would
  // count a typed name as a picked one for a delete; only a real pick from
  // the list (or the arrow keys) may do either.
  QObject::disconnect(customNameBox_->lineEdit(), SIGNAL(editingFinished()),
                      customNameBox_, nullptr);

  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    const SymbolBoxPlace& place = kSymbolBoxPlaces[i];
    auto* box = new ByteLimitedEdit(2, this);
    box->setObjectName(QStringLiteral("symbolBox_") +
                       QString::fromLatin1(place.field));
    box->setGeometry(place.x, place.y, place.width, kSymbolBoxHeight);
    box->setAlignment(place.alignment | Qt::AlignVCenter);
    symbolBoxes_[i] = box;
  }

  connect(closePanelButton_, &QPushButton::clicked, this,
          &BorderPanel::closeBorderPanel);
  connect(previewButton_, &QPushButton::clicked, this,
          &BorderPanel::previewBorder);
  connect(deleteButton_, &QPushButton::clicked, this,
          &BorderPanel::deleteCustomBorder);
  connect(addButton_, &QPushButton::clicked, this,
          &BorderPanel::addCustomBorder);
  connect(customNameBox_, &QComboBox::activated, this,
          &BorderPanel::loadCustomBorder);

  hide();
}

bool BorderPanel::checkSymbolBoxes() {
  for (ByteLimitedEdit* box : symbolBoxes_) {
    const QtToGbk symbol = fromQString(box->text());
    std::string_view refusal;
    if (symbol.text.empty()) {
      refusal = kSymbolMissing;
    } else if (byteLength(symbol.text) < 2) {
      refusal = kSymbolTooShort;
    } else if (symbol.text.view().find(' ') != std::string_view::npos) {
      // The stored form separates symbols by spaces: a symbol holding one
      // would come back split, every later symbol moved on by one field.
      refusal = kSymbolHasSpace;
    } else if (symbol.replaced > 0) {
      // It would be stored (and previewed) as "〓", not as typed.
      refusal = kSymbolUnencodable;
    }
    if (!refusal.empty()) {
      showMessage(refusal);
      focusControl(box);
      return false;
    }
  }
  return true;
}

void BorderPanel::openBorderPanel() {
  fillNameBox(listSections(customBordersPath()));
  dragMouseStart_.reset();
  move(kOpenPlace);
  raise();
  show();
}

void BorderPanel::closeBorderPanel() {
  clearSymbolsAndPreview();
  customNameBox_->setCurrentIndex(-1);
  customNameBox_->setEditText(QString());
  dragMouseStart_.reset();
  hide();
}

void BorderPanel::previewBorder() {
  if (!checkSymbolBoxes()) return;
  const BorderSet b = symbolsFromBoxes();
  const GbkText s = toFullWidth(" ");  // a blank cell, "　"
  previewBox_->setPlainText(QString());

  // One page of five columns of five blank characters.
  const GbkText top = concat({b.topLeft, b.top, b.topJoin, b.top, b.topJoin,
                              b.top, b.topJoin, b.top, b.topJoin, b.top,
                              b.topRight});
  const GbkText row = concat({b.left, s, b.divider, s, b.divider, s, b.divider,
                              s, b.divider, s, b.right});
  const GbkText bottom =
      concat({b.bottomLeft, b.bottom, b.bottomJoin, b.bottom, b.bottomJoin,
              b.bottom, b.bottomJoin, b.bottom, b.bottomJoin, b.bottom,
              b.bottomRight});
  const std::string_view crlf = "\r\n";
  const GbkText sample = concat({top, crlf, row, crlf, row, crlf, row, crlf,
                                 row, crlf, row, crlf, bottom});
  previewBox_->setPlainText(toQString(sample));
}

void BorderPanel::loadCustomBorder() {
  const GbkText name = fromQString(customNameBox_->currentText()).text;
  const GbkText text = readValue(customBordersPath(), name, keys::kCustomKey);
  if (const std::optional<BorderSet> set = parseBorderSet(text)) {
    for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i)
      symbolBoxes_[i]->setText(toQString(set->symbol(i)));
    return;
  }
  // A hand-edited (or vanished) entry: show the parts there are and no more.
  const TextList parts = split(text, " ");
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    symbolBoxes_[i]->setText(i < parts.size() ? toQString(parts[i])
                                              : QString());
  }
  showMessage(kStoredIncomplete);
}

void BorderPanel::addCustomBorder() {
  if (!checkSymbolBoxes()) return;
  const QtToGbk typed = fromQString(customNameBox_->currentText());
  const GbkText& name = typed.text;
  const GbkText& path = customBordersPath();
  const bool existed = holds(listSections(path), name);
  std::string_view refusal;
  if (name.empty()) {
    refusal = kNameMissing;
  } else if (isReservedBorderName(name)) {
    refusal = kNameReserved;
  } else if (typed.replaced > 0) {
    refusal = kNameUnencodable;
  } else if (!existed &&
             !readValue(path, name, keys::kCustomKey).empty()) {
    // The store matches names more loosely than byte for byte (blanks at
    // the ends, say): this name would overwrite a border listed under
    // another name.
    refusal = kNameTaken;
  }
  if (!refusal.empty()) {
    showMessage(refusal);
    focusControl(customNameBox_);
    return;
  }

  const GbkText text = formatBorderSet(symbolsFromBoxes());
  const bool written = writeValue(path, name, keys::kCustomKey, text);
  // Trust only what the file gives back: the set must read back as written
  // and be listed under the name as typed, or it could not be picked or
  // used.
  const TextList names = listSections(path);
  const bool listed = holds(names, name);
  if (!written || !listed ||
      readValue(path, name, keys::kCustomKey) != text) {
    // A section this add created but cannot read back is taken out again.
    if (written && listed && !existed) (void)deleteSection(path, name);
    showMessage(kStoreFailed);
    focusControl(customNameBox_);
    return;
  }

  clearSymbolsAndPreview();
  customNameBox_->setEditText(QString());
  rebuildLists(names);
  showMessage(kAdded);
}

void BorderPanel::deleteCustomBorder() {
  const int picked = customNameBox_->currentIndex();
  const QString shown = customNameBox_->currentText();
  // A name typed over the picked entry is not the entry the user picked:
  // deleting one and removing the other would leave the lists disagreeing
  // with the file.
  if (picked < 0 || customNameBox_->itemText(picked) != shown) {
    showMessage(kPickToDelete);
    return;
  }
  const GbkText name = fromQString(shown).text;
  const GbkText& path = customBordersPath();
  if (!deleteSection(path, name) || holds(listSections(path), name)) {
    showMessage(kDeleteFailed);
    return;
  }

  // Only the custom entries, after the built-ins, are looked at: a section
  // named like a built-in in a hand-edited file must not take the built-in
  // with it.
  for (int i = kBuiltInCount; i < borderList_->count(); ++i) {
    if (fromQString(borderList_->itemText(i)).text == name) {
      borderList_->removeItem(i);
      borderList_->setCurrentIndex(-1);
      break;
    }
  }
  customNameBox_->removeItem(picked);
  // Removing the current entry makes QComboBox select and show a
  // neighbour, which a second press would then delete unpicked. Nothing is
  // selected now; the name stays in view.
  customNameBox_->setCurrentIndex(-1);
  customNameBox_->setEditText(shown);
  clearSymbolsAndPreview();
}

void BorderPanel::mousePressEvent(QMouseEvent* event) {
  // Presses on the controls reach here only when a control passes them
  // on; those never start a drag.
  if (event->button() == Qt::LeftButton &&
      childAt(event->position().toPoint()) == nullptr) {
    dragBorderPanel(event->globalPosition().toPoint());
    event->accept();
    return;
  }
  QFrame::mousePressEvent(event);
}

void BorderPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragMouseStart_) {
    QFrame::mouseMoveEvent(event);
    return;
  }
  QPoint place =
      dragPanelStart_ + (event->globalPosition().toPoint() - *dragMouseStart_);
  // The panel stays whole inside the window's client area.
  const QRect area = parentWidget()->rect();
  place.setX(std::clamp(place.x(), 0, std::max(0, area.width() - width())));
  place.setY(std::clamp(place.y(), 0, std::max(0, area.height() - height())));
  move(place);
  event->accept();
}

void BorderPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (dragMouseStart_ && event->button() == Qt::LeftButton) {
    dragMouseStart_.reset();
    event->accept();
    return;
  }
  QFrame::mouseReleaseEvent(event);
}

void BorderPanel::dragBorderPanel(const QPoint& pressGlobal) {
  dragMouseStart_ = pressGlobal;
  dragPanelStart_ = pos();
}

BorderSet BorderPanel::symbolsFromBoxes() const {
  BorderSet set;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i)
    set.symbol(i) = fromQString(symbolBoxes_[i]->text()).text;
  return set;
}

void BorderPanel::clearSymbolsAndPreview() {
  for (ByteLimitedEdit* box : symbolBoxes_) box->clear();
  previewBox_->clear();
}

void BorderPanel::rebuildLists(const TextList& names) {
  borderList_->clear();
  for (const NamedBorder& builtIn : builtInBorders())
    borderList_->addItem(toQString(builtIn.name));
  for (const GbkText& name : names) borderList_->addItem(toQString(name));
  // Adding to an empty QComboBox selects the first entry; the user picks.
  borderList_->setCurrentIndex(-1);
  fillNameBox(names);
}

void BorderPanel::fillNameBox(const TextList& names) {
  customNameBox_->clear();
  for (const GbkText& name : names) customNameBox_->addItem(toQString(name));
  customNameBox_->setCurrentIndex(-1);
}

}  // namespace calvane
