// The custom border editor driven as a user drives it: typing into its boxes,
// picking names from its list, pressing its buttons and dragging it, inside a
// host window whose border list holds the three built-ins. Settings live in a
// fresh temporary folder per test; messages are recorded instead of shown.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

#include <sys/resource.h>

#include "convert/border_set.h"
#include "settings/ini_store.h"
#include "settings/settings_files.h"
#include "tests/ui/ui_test_registry.h"
#include "tests/ui/ui_test_util.h"
#include "ui/border_panel.h"
#include "ui/byte_limited_edit.h"
#include "ui/qt_text.h"
#include "ui/show_message.h"

namespace calvane {
namespace {

using testing::type;

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

const char* const kFields[] = {"topLeft",    "top",         "topRight",
                               "left",       "divider",     "right",
                               "bottomLeft", "bottom",      "bottomRight",
                               "topJoin",    "bottomJoin"};

// The symbols of the built-in sets, in field order.
const QStringList kHeavy = {u("┏"), u("━"), u("┓"), u("┃"), u("│"), u("┃"),
                            u("┗"), u("━"), u("┛"), u("┯"), u("┷")};
const QStringList kDouble = {u("╔"), u("═"), u("╗"), u("║"), u("│"), u("║"),
                             u("╚"), u("═"), u("╝"), u("╤"), u("╧")};

// Messages, as the user reads them.
const QString kAdded = u("添加成功！");
const QString kSymbolMissing = u("请能输入自定义边框的符号！");
const QString kSymbolTooShort = u("只能输入1个全角或同时输入2个半角符号！");
const QString kStoreFailed =
    u("自定义边框保存失败，请换个名称或检查配置文件！");
const QString kPickToDelete = u("请选择要删除的项目！");

GbkText gbk(const QString& s) { return fromQString(s).text; }

// While alive, no file of this process can grow past a few bytes, so every
// replacement of a settings file fails and the file stays as it was. (The
// tests run as root, whom permissions would not stop.)
class NoFileGrowth {
 public:
  NoFileGrowth() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead
    rlimit tight = saved_;
    tight.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &tight);
  }
  ~NoFileGrowth() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedSignal_);
  }
  NoFileGrowth(const NoFileGrowth&) = delete;
  NoFileGrowth& operator=(const NoFileGrowth&) = delete;

 private:
  rlimit saved_{};
  void (*savedSignal_)(int) = nullptr;
};

QStringList entries(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
  return texts;
}

}  // namespace

class BorderPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void formMatchesTheLayout();
  void refusedSymbols_data();
  void refusedSymbols();
  void typedSymbolsHoldTwoBytes_data();
  void typedSymbolsHoldTwoBytes();
  void previewDrawsOnePage();
  void addStoresAndRebuildsBothLists();
  void addUnderAStoredNameReplacesItsSymbols();
  void refusedNames_data();
  void refusedNames();
  void namesLikeTheReservedOnesAreAccepted();
  void failedStoreKeepsEverything();
  void loadShowsStoredSymbolsAsStored();
  void loadOfAnIncompleteText_data();
  void loadOfAnIncompleteText();
  void deleteRemovesThePickedBorder();
  void deleteNeedsAPickedEntry();
  void failedDeleteRemovesNothing();
  void closeAndReopenListEveryNameOnce();
  void dragMovesThePanelWithinTheWindow();

 private:
  QComboBox* nameBox() const {
    return panel_->findChild<QComboBox*>("customNameBox");
  }
  QPlainTextEdit* previewBox() const {
    return panel_->findChild<QPlainTextEdit*>("previewBox");
  }
  QLineEdit* symbolBox(int i) const {
    return panel_->findChild<QLineEdit*>(QString("symbolBox_") + kFields[i]);
  }
  QPushButton* button(const char* name) const {
    return panel_->findChild<QPushButton*>(name);
  }
  QStringList symbolTexts() const {
    QStringList texts;
    for (int i = 0; i < 11; ++i) texts << symbolBox(i)->text();
    return texts;
  }

  void typeSymbols(const QStringList& symbols) {
    for (int i = 0; i < 11; ++i) {
      symbolBox(i)->clear();
      type(symbolBox(i), symbols.value(i));
    }
  }
  void typeName(const QString& name) {
    nameBox()->setEditText(QString());
    type(nameBox(), name);
  }
  // Picks name from the open list of the name box with the mouse.
  void pick(const QString& name) {
    const int index = nameBox()->findText(name, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(name));
    nameBox()->showPopup();
    QAbstractItemView* view = nameBox()->view();
    QTRY_VERIFY(view->isVisible());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(nameBox()->model()->index(index, 0))
                          .center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(nameBox()->currentIndex(), index);
  }
  // Adds symbols under name with the add button; returns the messages.
  QStringList add(const QString& name, const QStringList& symbols) {
    typeSymbols(symbols);
    typeName(name);
    messages_.clear();
    QTest::mouseClick(button("addButton"), Qt::LeftButton);
    return messages_;
  }
  static void store(const QString& name, std::string_view text) {
    QVERIFY(writeValue(customBordersPath(), gbk(name), keys::kCustomKey, text));
  }
  static QString stored(const QString& name) {
    return toQString(
        readValue(customBordersPath(), gbk(name), keys::kCustomKey));
  }
  static QStringList storedNames() {
    QStringList names;
    for (const GbkText& n : listSections(customBordersPath()))
      names << toQString(n);
    return names;
  }
  static QByteArray fileBytes() {
    QFile file(toQString(customBordersPath()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QStringList customEntries() const {  // borderList after the built-ins
    return entries(borderList_).mid(3);
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<QWidget> host_;
  QComboBox* borderList_ = nullptr;
  BorderPanel* panel_ = nullptr;
  QStringList messages_;
};

void BorderPanelTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  fixSettingsPaths(gbk(dir_->path()));
  QVERIFY(customBordersPath().view().starts_with(gbk(dir_->path()).view()));
  setMessageSink([this](const QString& m) { messages_ << m; });

  host_ = std::make_unique<QWidget>();
  host_->resize(810, 544);
  borderList_ = new QComboBox(host_.get());
  borderList_->setObjectName("borderList");
  borderList_->addItems({u("默认1"), u("默认2"), u("默认3")});
  borderList_->setCurrentIndex(1);
  panel_ = new BorderPanel(borderList_, host_.get());
  host_->show();
  QVERIFY(QTest::qWaitForWindowActive(host_.get()));
}

void BorderPanelTest::cleanup() {
  setMessageSink({});
  host_.reset();
  dir_.reset();
  messages_.clear();
}

void BorderPanelTest::formMatchesTheLayout() {
  QCOMPARE(panel_->objectName(), QString("borderPanel"));
  QCOMPARE(panel_->parentWidget(), host_.get());
  QCOMPARE(panel_->geometry(), QRect(396, 218, 348, 144));
  QVERIFY(panel_->isHidden());

  struct Place {
    const char* name;
    QRect rect;
  };
  const Place places[] = {
      {"previewBox", {177, 15, 152, 120}},
      {"closePanelButton", {115, 75, 48, 21}},
      {"previewButton", {115, 55, 48, 21}},
      {"deleteButton", {115, 35, 48, 21}},
      {"addButton", {115, 15, 48, 21}},
      {"customNameBox", {16, 111, 150, 20}},
      {"symbolBox_topLeft", {16, 16, 24, 16}},
      {"symbolBox_top", {47, 16, 24, 16}},
      {"symbolBox_topRight", {77, 16, 24, 16}},
      {"symbolBox_left", {16, 37, 24, 16}},
      {"symbolBox_divider", {47, 37, 24, 16}},
      {"symbolBox_right", {77, 37, 24, 16}},
      {"symbolBox_bottomLeft", {16, 57, 24, 16}},
      {"symbolBox_bottom", {47, 57, 24, 16}},
      {"symbolBox_bottomRight", {77, 57, 24, 16}},
      {"symbolBox_topJoin", {20, 80, 32, 16}},
      {"symbolBox_bottomJoin", {66, 80, 32, 16}},
  };
  for (const Place& p : places) {
    QWidget* w = panel_->findChild<QWidget*>(p.name);
    QVERIFY2(w != nullptr, p.name);
    QCOMPARE(w->parentWidget(), panel_);
    QCOMPARE(w->geometry(), p.rect);
  }

  // The grid mirrors a frame: left column left-aligned, middle centred,
  // right column right-aligned; the joins centred.
  const Qt::Alignment horizontal[] = {
      Qt::AlignLeft,    Qt::AlignHCenter, Qt::AlignRight, Qt::AlignLeft,
      Qt::AlignHCenter, Qt::AlignRight,   Qt::AlignLeft,  Qt::AlignHCenter,
      Qt::AlignRight,   Qt::AlignHCenter, Qt::AlignHCenter};
  for (int i = 0; i < 11; ++i) {
    QVERIFY(qobject_cast<ByteLimitedEdit*>(symbolBox(i)) != nullptr);
    QCOMPARE(symbolBox(i)->alignment() & Qt::AlignHorizontal_Mask,
             horizontal[i]);
    QVERIFY(symbolBox(i)->text().isEmpty());
  }

  const QStringList captions = {u("关闭"), u("预览"), u("删除"), u("添加")};
  const char* const buttons[] = {"closePanelButton", "previewButton",
                                 "deleteButton", "addButton"};
  for (int i = 0; i < 4; ++i) QCOMPARE(button(buttons[i])->text(), captions[i]);

  QPlainTextEdit* preview = previewBox();
  QCOMPARE(preview->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QCOMPARE(preview->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QCOMPARE(preview->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  QVERIFY(!preview->isReadOnly());

  QComboBox* names = nameBox();
  QVERIFY(names->isEditable());
  QCOMPARE(names->insertPolicy(), QComboBox::NoInsert);
  QVERIFY(names->completer() == nullptr);
  QCOMPARE(names->count(), 0);
}

// Each row: the eleven symbols typed, the handler, the message and the box
// that then has the focus. The first box at fault wins.
void BorderPanelTest::refusedSymbols_data() {
  QTest::addColumn<QStringList>("symbols");
  QTest::addColumn<bool>("viaAdd");
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("focus");

  QTest::newRow("all empty, preview") << QStringList() << false
                                      << kSymbolMissing << 0;
  QTest::newRow("all empty, add") << QStringList() << true << kSymbolMissing
                                  << 0;
  QStringList oneAscii = kHeavy;
  oneAscii[1] = "a";
  oneAscii[5] = QString();  // after the first fault: not looked at
  QTest::newRow("single ASCII in top") << oneAscii << false << kSymbolTooShort
                                       << 1;
  QTest::newRow("single ASCII in top, add") << oneAscii << true
                                            << kSymbolTooShort << 1;
  QStringList lastEmpty = kHeavy;
  lastEmpty[10] = QString();
  QTest::newRow("bottomJoin empty") << lastEmpty << true << kSymbolMissing
                                    << 10;
  // The stored form separates symbols by single spaces, so a symbol holding
  // one would come back split and move every later symbol.
  QStringList twoSpaces = kHeavy;
  twoSpaces[4] = "  ";
  QTest::newRow("two spaces in divider") << twoSpaces << true
                                         << u("符号中不能有半角空格！") << 4;
  QStringList spaceAfter = kHeavy;
  spaceAfter[7] = "- ";
  QTest::newRow("space after hyphen, preview")
      << spaceAfter << false << u("符号中不能有半角空格！") << 7;
  QStringList notGbk = kHeavy;
  notGbk[5] = u("😀");  // not in GBK: it would be stored as 〓
  QTest::newRow("character outside GBK") << notGbk << true
                                         << u("符号中有不能保存的字符！") << 5;
}

void BorderPanelTest::refusedSymbols() {
  QFETCH(QStringList, symbols);
  QFETCH(bool, viaAdd);
  QFETCH(QString, message);
  QFETCH(int, focus);

  panel_->openBorderPanel();
  typeSymbols(symbols);
  typeName(u("甲"));
  previewBox()->setPlainText("earlier");
  button("closePanelButton")->setFocus();
  messages_.clear();
  if (viaAdd) {
    panel_->addCustomBorder();
  } else {
    panel_->previewBorder();
  }
  QCOMPARE(messages_, QStringList{message});
  QVERIFY(symbolBox(focus)->hasFocus());
  // A refusal changes nothing.
  QCOMPARE(previewBox()->toPlainText(), QString("earlier"));
  QCOMPARE(symbolTexts(), [&] {
    QStringList s = symbols;
    while (s.size() < 11) s << QString();
    return s;
  }());
  QCOMPARE(nameBox()->currentText(), u("甲"));
  QVERIFY(!QFile::exists(toQString(customBordersPath())));
  QCOMPARE(entries(borderList_),
           (QStringList{u("默认1"), u("默认2"), u("默认3")}));
  QCOMPARE(borderList_->currentIndex(), 1);
}

// What typing leaves in a symbol box, and what the stored form then holds.
void BorderPanelTest::typedSymbolsHoldTwoBytes_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("kept");
  QTest::newRow("two ASCII") << "--" << "--";
  QTest::newRow("one full-width") << u("＃") << u("＃");
  QTest::newRow("one Chinese") << u("中") << u("中");
  QTest::newRow("three ASCII cut to two") << "-=+" << "-=";
  QTest::newRow("two Chinese cut to one") << u("卐卍") << u("卐");
  QTest::newRow("Chinese then ASCII") << u("中a") << u("中");
}

void BorderPanelTest::typedSymbolsHoldTwoBytes() {
  QFETCH(QString, typed);
  QFETCH(QString, kept);
  panel_->openBorderPanel();
  QStringList symbols = kHeavy;
  symbols[0] = typed;
  const QStringList shown = add(u("甲"), symbols);
  QCOMPARE(shown, QStringList{kAdded});
  QStringList expected = kHeavy;
  expected[0] = kept;
  QCOMPARE(stored(u("甲")), expected.join(' '));
}

void BorderPanelTest::previewDrawsOnePage() {
  panel_->openBorderPanel();
  typeSymbols(kHeavy);
  QTest::mouseClick(button("previewButton"), Qt::LeftButton);
  QVERIFY(messages_.isEmpty());
  const QString middle = u("┃　│　│　│　│　┃");
  QCOMPARE(previewBox()->toPlainText(),
           QStringList({u("┏━┯━┯━┯━┯━┓"), middle, middle, middle, middle,
                        middle, u("┗━┷━┷━┷━┷━┛")})
               .join('\n'));
  QCOMPARE(previewBox()->document()->blockCount(), 7);

  // Two one-byte characters make a cell as well.
  typeSymbols(
      {"+-", "--", "-+", "|.", "!!", ".|", "+=", "==", "=+", "-v", "=^"});
  panel_->previewBorder();
  const QString row = u("|.　!!　!!　!!　!!　.|");
  QCOMPARE(previewBox()->toPlainText(),
           QStringList({"+----v---v---v---v---+", row, row, row, row, row,
                        "+====^===^===^===^===+"})
               .join('\n'));
}

void BorderPanelTest::addStoresAndRebuildsBothLists() {
  panel_->openBorderPanel();
  typeSymbols(kHeavy);
  panel_->previewBorder();
  QCOMPARE(add(u("粗线"), kHeavy), QStringList{kAdded});

  // Stored as the 32-byte text form, exactly the built-in "默认2".
  const GbkText text =
      readValue(customBordersPath(), gbk(u("粗线")), keys::kCustomKey);
  QCOMPARE(text.size(), std::size_t{32});
  QCOMPARE(text, builtInBorders()[1].text);

  // Boxes, preview and name emptied; both lists rebuilt from the file and
  // nothing selected, so the user must pick a border again.
  QCOMPARE(symbolTexts(), QStringList(11, QString()));
  QVERIFY(previewBox()->toPlainText().isEmpty());
  QVERIFY(nameBox()->currentText().isEmpty());
  QCOMPARE(entries(borderList_),
           (QStringList{u("默认1"), u("默认2"), u("默认3"), u("粗线")}));
  QCOMPARE(borderList_->currentIndex(), -1);
  QCOMPARE(entries(nameBox()), QStringList{u("粗线")});
  QCOMPARE(nameBox()->currentIndex(), -1);

  QCOMPARE(add(u("双线"), kDouble), QStringList{kAdded});
  QCOMPARE(customEntries(), (QStringList{u("粗线"), u("双线")}));
  QCOMPARE(entries(nameBox()), (QStringList{u("粗线"), u("双线")}));
}

void BorderPanelTest::addUnderAStoredNameReplacesItsSymbols() {
  store(u("甲"), builtInBorders()[0].text);
  store(u("乙"), builtInBorders()[1].text);
  store(u("丙"), builtInBorders()[2].text);
  panel_->openBorderPanel();

  // The name is typed, not picked: leaving the name box for the add button
  // must not load the stored set over the new symbols.
  QStringList symbols = kDouble;
  symbols[4] = "::";
  QCOMPARE(add(u("乙"), symbols), QStringList{kAdded});
  QCOMPARE(stored(u("乙")), symbols.join(' '));
  QCOMPARE(storedNames(), (QStringList{u("甲"), u("乙"), u("丙")}));
  QCOMPARE(customEntries(), (QStringList{u("甲"), u("乙"), u("丙")}));
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙"), u("丙")}));
}

// Names refused before anything is written; the focus goes to the name.
void BorderPanelTest::refusedNames_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("message");
  const QString reserved =
      u("不能用：默认1、默认2、默认3作为自定义边框的名称！");
  QTest::newRow("empty") << QString() << u("请输入自定义边框的名称！");
  QTest::newRow("默认1") << u("默认1") << reserved;
  QTest::newRow("默认2") << u("默认2") << reserved;
  QTest::newRow("默认3") << u("默认3") << reserved;
  QTest::newRow("outside GBK") << u("边框😀")
                               << u("自定义边框的名称中有不能保存的字符！");
  // The store finds sections with blanks trimmed: " 甲 " would overwrite
  // the border listed as 甲.
  QTest::newRow("stored name with blanks")
      << u(" 甲 ") << u("这个名称已被另一个自定义边框占用！");
  // Only blanks: the store has no section for it.
  QTest::newRow("blanks only") << "   " << kStoreFailed;
}

void BorderPanelTest::refusedNames() {
  QFETCH(QString, name);
  QFETCH(QString, message);
  store(u("甲"), builtInBorders()[2].text);
  panel_->openBorderPanel();
  borderList_->setCurrentIndex(1);
  typeSymbols(kHeavy);
  typeName(name);
  symbolBox(3)->setFocus();
  messages_.clear();
  panel_->addCustomBorder();
  QCOMPARE(messages_, QStringList{message});
  QVERIFY(nameBox()->hasFocus());
  QCOMPARE(symbolTexts(), kHeavy);
  QCOMPARE(nameBox()->currentText(), name);
  QCOMPARE(storedNames(), QStringList{u("甲")});
  QCOMPARE(stored(u("甲")), toQString(builtInBorders()[2].text));
  QCOMPARE(entries(nameBox()), QStringList{u("甲")});
  QCOMPARE(entries(borderList_),
           (QStringList{u("默认1"), u("默认2"), u("默认3")}));
  QCOMPARE(borderList_->currentIndex(), 1);
}

void BorderPanelTest::namesLikeTheReservedOnesAreAccepted() {
  // Compared byte for byte: a prefix, a longer name, a full-width digit and
  // names the file format needs care with all come back as typed.
  const QStringList names = {u("默认4"),  u("默认"),   u("默认１"),
                             u("默认11"), u("[边]框]"), u("  前有空格")};
  panel_->openBorderPanel();
  for (const QString& name : names) {
    QCOMPARE(add(name, kHeavy), QStringList{kAdded});
    QCOMPARE(stored(name), kHeavy.join(' '));
  }
  QCOMPARE(storedNames(), names);
  QCOMPARE(customEntries(), names);
  QCOMPARE(entries(nameBox()), names);
  pick(u("  前有空格"));
  QCOMPARE(symbolTexts(), kHeavy);
}

void BorderPanelTest::failedStoreKeepsEverything() {
  store(u("甲"), builtInBorders()[0].text);
  panel_->openBorderPanel();
  borderList_->addItem(u("甲"));
  borderList_->setCurrentIndex(3);
  const QByteArray before = fileBytes();

  QStringList symbols = kHeavy;
  symbols[0] = "##";
  QStringList shown;
  {
    const NoFileGrowth full;
    shown = add(u("乙"), symbols);
  }
  QCOMPARE(shown, QStringList{kStoreFailed});
  QVERIFY(nameBox()->hasFocus());
  QCOMPARE(symbolTexts(), symbols);
  QCOMPARE(nameBox()->currentText(), u("乙"));
  QCOMPARE(entries(nameBox()), QStringList{u("甲")});
  QCOMPARE(customEntries(), QStringList{u("甲")});
  QCOMPARE(borderList_->currentIndex(), 3);
  QCOMPARE(fileBytes(), before);

  // The same add goes through once the file can be written again.
  QTest::mouseClick(button("addButton"), Qt::LeftButton);
  QCOMPARE(messages_.last(), kAdded);
  QCOMPARE(stored(u("乙")), symbols.join(' '));
}

void BorderPanelTest::loadShowsStoredSymbolsAsStored() {
  // A hand-edited file: symbols of four bytes, one of one byte and a
  // doubled space that makes an empty symbol and moves the rest on.
  store(u("宽"),
        "\xA8\x58\xA8\x58 \xA8\x54 \xA8\x5B \xA8\x55 \xA9\xA6 \xA8\x55 "
        "\xA8\x5E \xA8\x54 \xA8\x61 \xA8\x68 \xA8\x6B");
  store(u("空"), "\xA9\xB3  \xA9\xA5 \xA9\xB7 \xA9\xA7 \xA9\xA6 \xA9\xA7 "
                "\xA9\xBB \xA9\xA5 \xA9\xBF \xA9\xD3 \xA9\xDB");
  store(u("短"), "x \xA8\x54 \xA8\x5B \xA8\x55 \xA9\xA6 \xA8\x55 "
                "\xA8\x5E \xA8\x54 \xA8\x61 \xA8\x68 \xA8\x6B");
  panel_->openBorderPanel();
  previewBox()->setPlainText("kept");

  pick(u("宽"));
  QStringList wide = kDouble;
  wide[0] = u("╔╔");
  QCOMPARE(symbolTexts(), wide);
  QCOMPARE(nameBox()->currentText(), u("宽"));
  QCOMPARE(previewBox()->toPlainText(), QString("kept"));
  QVERIFY(messages_.isEmpty());
  // Preview and add take longer symbols as they are.
  panel_->previewBorder();
  QVERIFY(previewBox()->toPlainText().startsWith(u("╔╔═╤═")));
  typeName(u("宽2"));
  QTest::mouseClick(button("addButton"), Qt::LeftButton);
  QCOMPARE(messages_, QStringList{kAdded});
  messages_.clear();
  QCOMPARE(stored(u("宽2")), wide.join(' '));

  // Two spaces read as an empty symbol; what was the twelfth part is lost.
  pick(u("空"));
  QStringList shifted = {u("┏"), QString(), u("━"), u("┓"), u("┃"), u("│"),
                         u("┃"), u("┗"), u("━"), u("┛"), u("┯")};
  QCOMPARE(symbolTexts(), shifted);

  pick(u("短"));
  QCOMPARE(symbolBox(0)->text(), QString("x"));
  QVERIFY(messages_.isEmpty());
}

// A stored text of fewer than eleven parts fills what it has, empties the
// other boxes and says so.
void BorderPanelTest::loadOfAnIncompleteText_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<int>("parts");
  QTest::newRow("five parts")
      << QByteArray("\xA9\xB3 \xA9\xA5 \xA9\xB7 \xA9\xA7 \xA9\xA6") << 5;
  QTest::newRow("ten parts, trailing space")
      << QByteArray("\xA9\xB3 \xA9\xA5 \xA9\xB7 \xA9\xA7 \xA9\xA6 \xA9\xA7 "
                    "\xA9\xBB \xA9\xA5 \xA9\xBF \xA9\xD3 ")
      << 10;
  QTest::newRow("empty value") << QByteArray() << 0;
}

void BorderPanelTest::loadOfAnIncompleteText() {
  QFETCH(QByteArray, text);
  QFETCH(int, parts);
  store(u("残"), std::string_view(text.constData(), text.size()));
  panel_->openBorderPanel();
  typeSymbols(kDouble);
  messages_.clear();
  pick(u("残"));
  QCOMPARE(messages_, QStringList{u("这个自定义边框的符号不全！")});
  QStringList expected = kHeavy.mid(0, parts);
  while (expected.size() < 11) expected << QString();
  QCOMPARE(symbolTexts(), expected);
}

void BorderPanelTest::deleteRemovesThePickedBorder() {
  store(u("默认"), builtInBorders()[0].text);
  store(u("乙"), builtInBorders()[1].text);
  store(u("默认1"), builtInBorders()[2].text);  // a hand-edited file
  borderList_->addItems({u("默认"), u("乙"), u("默认1")});
  borderList_->setCurrentIndex(4);
  panel_->openBorderPanel();

  pick(u("默认"));
  panel_->previewBorder();
  QTest::mouseClick(button("deleteButton"), Qt::LeftButton);
  QVERIFY(messages_.isEmpty());
  QCOMPARE(storedNames(), (QStringList{u("乙"), u("默认1")}));
  // Only the exact name goes; "默认1" stays.
  QCOMPARE(
      entries(borderList_),
      (QStringList{u("默认1"), u("默认2"), u("默认3"), u("乙"), u("默认1")}));
  QCOMPARE(borderList_->currentIndex(), -1);
  QCOMPARE(entries(nameBox()), (QStringList{u("乙"), u("默认1")}));
  QCOMPARE(symbolTexts(), QStringList(11, QString()));
  QVERIFY(previewBox()->toPlainText().isEmpty());
  // Nothing is picked now: a second press deletes no neighbour.
  QCOMPARE(nameBox()->currentIndex(), -1);
  panel_->deleteCustomBorder();
  QCOMPARE(messages_, QStringList{kPickToDelete});
  QCOMPARE(storedNames(), (QStringList{u("乙"), u("默认1")}));

  // A custom border that shares a built-in's name takes its own entry
  // away, not the built-in.
  messages_.clear();
  pick(u("默认1"));
  panel_->deleteCustomBorder();
  QVERIFY(messages_.isEmpty());
  QCOMPARE(storedNames(), QStringList{u("乙")});
  QCOMPARE(entries(borderList_),
           (QStringList{u("默认1"), u("默认2"), u("默认3"), u("乙")}));
}

void BorderPanelTest::deleteNeedsAPickedEntry() {
  store(u("甲"), builtInBorders()[0].text);
  store(u("乙"), builtInBorders()[1].text);
  borderList_->addItems({u("甲"), u("乙")});
  panel_->openBorderPanel();

  // Typed, never picked since the panel opened.
  typeName(u("甲"));
  symbolBox(2)->setFocus();
  panel_->deleteCustomBorder();
  QCOMPARE(messages_, QStringList{kPickToDelete});
  QVERIFY(symbolBox(2)->hasFocus());

  // Picked, then another name typed over it: which one is meant is unclear.
  messages_.clear();
  pick(u("甲"));
  typeName(u("乙"));
  panel_->deleteCustomBorder();
  QCOMPARE(messages_, QStringList{kPickToDelete});

  QCOMPARE(storedNames(), (QStringList{u("甲"), u("乙")}));
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙")}));
  QCOMPARE(customEntries(), (QStringList{u("甲"), u("乙")}));
}

void BorderPanelTest::failedDeleteRemovesNothing() {
  store(u("甲"), builtInBorders()[0].text);
  store(u("乙"), builtInBorders()[1].text);
  borderList_->addItems({u("甲"), u("乙")});
  borderList_->setCurrentIndex(3);
  panel_->openBorderPanel();
  pick(u("甲"));
  const QByteArray before = fileBytes();
  {
    const NoFileGrowth full;
    panel_->deleteCustomBorder();
  }
  QCOMPARE(messages_, QStringList{u("自定义边框删除失败！")});
  QCOMPARE(fileBytes(), before);
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙")}));
  QCOMPARE(customEntries(), (QStringList{u("甲"), u("乙")}));
  QCOMPARE(borderList_->currentIndex(), 3);
  QCOMPARE(symbolTexts(), kDouble);
}

void BorderPanelTest::closeAndReopenListEveryNameOnce() {
  store(u("甲"), builtInBorders()[0].text);
  store(u("乙"), builtInBorders()[1].text);
  panel_->openBorderPanel();
  panel_->openBorderPanel();
  QVERIFY(panel_->isVisible());
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙")}));

  pick(u("乙"));
  panel_->previewBorder();
  QTest::mouseClick(button("closePanelButton"), Qt::LeftButton);
  QVERIFY(panel_->isHidden());
  QCOMPARE(symbolTexts(), QStringList(11, QString()));
  QVERIFY(previewBox()->toPlainText().isEmpty());
  QVERIFY(nameBox()->currentText().isEmpty());
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙")}));

  store(u("丙"), builtInBorders()[2].text);
  panel_->openBorderPanel();
  QCOMPARE(entries(nameBox()), (QStringList{u("甲"), u("乙"), u("丙")}));
  QCOMPARE(nameBox()->currentIndex(), -1);
  QVERIFY(messages_.isEmpty());
}

void BorderPanelTest::dragMovesThePanelWithinTheWindow() {
  panel_->openBorderPanel();
  QCOMPARE(panel_->pos(), QPoint(396, 202));

  // A press on a control does not drag.
  QLineEdit* box = symbolBox(4);
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(4, 4));
  QTest::mouseMove(box, QPoint(-60, -60));
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(-60, -60));
  QCOMPARE(panel_->pos(), QPoint(396, 202));

  // A press on the surface (left of the symbol grid) drags until release.
  QTest::mousePress(panel_, Qt::LeftButton, {}, QPoint(6, 6));
  QTest::mouseMove(panel_, QPoint(-94, -44));
  QCOMPARE(panel_->pos(), QPoint(296, 152));
  QTest::mouseMove(panel_, QPoint(6 - 200, 6 - 100));
  QCOMPARE(panel_->pos(), QPoint(96, 52));
  QTest::mouseRelease(panel_, Qt::LeftButton, {}, QPoint(6, 6));
  QTest::mouseMove(panel_, QPoint(40, 40));
  QCOMPARE(panel_->pos(), QPoint(96, 52));

  // The panel stays whole inside the window.
  QTest::mousePress(panel_, Qt::LeftButton, {}, QPoint(6, 6));
  QTest::mouseMove(panel_, QPoint(-500, -500));
  QCOMPARE(panel_->pos(), QPoint(0, 0));
  QTest::mouseMove(panel_, QPoint(2000, 2000));
  QCOMPARE(panel_->pos(), QPoint(810 - 348, 544 - 144));
  QTest::mouseRelease(panel_, Qt::LeftButton, {}, QPoint(6, 6));

  // Closing and opening again puts it back.
  panel_->closeBorderPanel();
  panel_->openBorderPanel();
  QCOMPARE(panel_->pos(), QPoint(396, 202));
}

}  // namespace calvane

CALVANE_UI_TEST(border_panel_test, calvane::BorderPanelTest);
#include "border_panel_test.moc"
