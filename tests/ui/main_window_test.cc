// The main window driven as a user drives it: typing into its boxes,
// clicking its buttons, pressing Esc, with the settings files in a fresh
// temporary program folder per test. Messages are recorded instead of
// shown, the web view is a plain widget and its navigation a recorder.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "convert/normalise.h"
#include "settings/ini_store.h"
#include "settings/settings_files.h"
#include "tests/ui/ui_test_registry.h"
#include "tests/ui/ui_test_util.h"
#include "ui/main_window.h"
#include "ui/number_box.h"
#include "ui/qt_text.h"
#include "ui/show_message.h"
#include "ui/web_pages.h"

namespace calvane {
namespace {

using testing::type;

QString u(const char* utf8) { return QString::fromUtf8(utf8); }
GbkText gbk(const QString& s) { return fromQString(s).text; }

const QString kMainFile = u("Calvane配置.ini");
const QString kCustomFile = u("自定义配置.ini");

// Texts as the user reads them.
const QString kIdle = u("请在上面输入要转换的文本↑↑");
const QString kConverting = u("正在转换中……");
const QString kColumnsBelowOne = u("竖行数不能小于1！");
const QString kCharsBelowOne = u("每竖行字数不能小于1！");
const QString kSourceEmpty = u("请在上面输入要转换的文本！");
const QString kNoBorder = u("请选择边框！");
const QString kBorderIncomplete = u("所选边框的设置不完整，请重新选择边框！");
const QString kTooLarge = u("页面太大，请减少竖行数或每竖行字数！");
const QStringList kBuiltInNames = {u("默认1"), u("默认2"), u("默认3")};

// The worked example of the layout: columns 2, characters 3, border 默认1,
// source 一二三四五 / 六.
const QString kExampleSource = u("一二三四五\n六");
const QString kExamplePages = u(
    "╔═╤═╗\n║四│一║\n║五│二║\n║　│三║\n╚═╧═╝\n"
    "╔═╤═╗\n║　│六║\n║　│　║\n║　│　║\n╚═╧═╝\n");

// A custom border of two-ASCII-character symbols.
const char* const kDashBorder = "+- -- -+ || !! || +- -- -+ -+ -+";

const QRegularExpression kSecondsTitle(u("^\\d+(\\.\\d{1,3})?秒$"));

// The pages a conversion of source makes, as the result box shows them.
QString pagesOf(const QString& source, int columns, int chars,
                std::string_view borderText, bool traditional = false) {
  const std::optional<BorderSet> border = parseBorderSet(borderText);
  if (!border) return QString();
  const ConversionResult result =
      convertToPages(fromQStringWithCrLf(source).text, traditional,
                     PageShape{columns, chars}, *border, [] { return true; });
  QString text = toQString(result.pages);
  text.replace(u("\r\n"), u("\n"));
  return text;
}

std::string_view builtIn(int i) { return builtInBorders()[i].text; }

void writeGbkFile(const QString& path, const QString& content) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  const GbkText bytes = gbk(content);
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

QString readGbkFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  const QByteArray bytes = file.readAll();
  return toQString(std::string_view(bytes.constData(), bytes.size()));
}

QString focusedName() {
  const QWidget* w = QApplication::focusWidget();
  return w ? w->objectName() : QString();
}

QStringList entries(const QComboBox* box) {
  QStringList texts;
  for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
  return texts;
}

// The two phases of a conversion in which the window handles events: while
// the layout places characters (the result box hidden and empty), and while
// the pages go into the hidden result box piece by piece.
enum class Phase { kPlacing, kFilling };

// A source whose pages (2 columns of 3) fill the result box in more than
// one piece.
const QString kLongSource(8000, u'甲');

// Runs action at the first round of event handling inside a conversion of
// window in that phase (posted again until then).
void duringConversion(MainWindow* window, Phase phase,
                      std::function<void()> action, int triesLeft = 100000) {
  QTimer::singleShot(0, window, [=] {
    const auto* box = window->findChild<QPlainTextEdit*>("resultBox");
    const bool filling = !box->document()->isEmpty();
    if (window->isConverting() && filling == (phase == Phase::kFilling)) {
      action();
    } else if (triesLeft == 0) {
      QFAIL("the conversion never got to that phase");
    } else {
      duringConversion(window, phase, action, triesLeft - 1);
    }
  });
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void windowFrameAndControls();
  void coloursAndEngravedStatus();
  void numberBoxTyping_data();
  void numberBoxTyping();
  void numberBoxPasteAndFocusOut();
  void wholeNumberText_data();
  void wholeNumberText();
  void checksRefuseAndFocus_data();
  void checksRefuseAndFocus();
  void conversionShowsPagesAndSeconds_data();
  void conversionShowsPagesAndSeconds();
  void widePagesScrollSidewaysFromTheTop();
  void replacedCharactersAreCounted();
  void refusalsAfterTheChecks_data();
  void refusalsAfterTheChecks();
  void convertingStateFromInsideTheHook();
  void nestedRequests_data();
  void nestedRequests();
  void closingDuringAConversion_data();
  void closingDuringAConversion();
  void destroyingDuringAConversion_data();
  void destroyingDuringAConversion();
  void escClosesLikeTheCloseBox_data();
  void escClosesLikeTheCloseBox();
  void copyPutsThePagesOnTheClipboard();
  void firstStartInAnEmptyFolder();
  void restoresTheLastRun();
  void restoredSelectionAndOption_data();
  void restoredSelectionAndOption();
  void shutDownSavesWhatTheUserSet();
  void everyLineOfEveryPageIsEquallyWide();

 private:
  // A window on the scratch folder (not started up yet).
  std::unique_ptr<MainWindow> makeWindow(int pumpIntervalMs = 10) {
    MainWindowOptions options;
    options.programFolder = gbk(dir_->path());
    options.makeWebView = [](QWidget* window) {
      auto* view = new QWidget(window);
      view->setObjectName("webView");
      view->setGeometry(8, 404, 808, 232);
      return view;
    };
    options.navigatorFor = [this](QWidget*) {
      return [this](const QUrl& address) { navigations_ << address; };
    };
    options.pumpIntervalMs = pumpIntervalMs;
    return std::make_unique<MainWindow>(std::move(options));
  }
  // A started, shown and active window with the page shape 2 x 3, border
  // 默认1 and the worked example converted.
  std::unique_ptr<MainWindow> readyWindow(int pumpIntervalMs = 10) {
    writeGbkFile(mainPath(), u("[行列]\n行=2\n字=3\n[边框]\n所选=0\n"));
    auto window = makeWindow(pumpIntervalMs);
    window->show();
    window->startUp();
    if (!QTest::qWaitForWindowActive(window.get())) return nullptr;
    source(window.get())->setPlainText(kExampleSource);
    QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
    messages_.clear();
    return window;
  }

  // After a refused conversion of a readyWindow: only the message was
  // shown and the focus moved; the earlier pages, the status line and the
  // title are as they were.
  void expectRefusal(MainWindow* window, const QString& message,
                     const QString& focused, const QString& title) {
    QCOMPARE(messages_, QStringList{message});
    QTRY_COMPARE(focusedName(), focused);
    QCOMPARE(result(window)->toPlainText(), kExamplePages);
    QVERIFY(result(window)->isVisible());
    QCOMPARE(status(window)->text(), kIdle);
    QCOMPARE(window->windowTitle(), title);
  }

  template <typename T>
  static T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(name);
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  static QPlainTextEdit* source(QWidget* w) {
    return child<QPlainTextEdit>(w, "sourceBox");
  }
  static QPlainTextEdit* result(QWidget* w) {
    return child<QPlainTextEdit>(w, "resultBox");
  }
  static NumberBox* columns(QWidget* w) { return child<NumberBox>(w, "columnsBox"); }
  static NumberBox* chars(QWidget* w) { return child<NumberBox>(w, "charsBox"); }
  static QComboBox* borders(QWidget* w) { return child<QComboBox>(w, "borderList"); }
  static QCheckBox* traditional(QWidget* w) {
    return child<QCheckBox>(w, "traditionalCheck");
  }
  static QLabel* status(QWidget* w) { return child<QLabel>(w, "statusLabel"); }
  static QPushButton* button(QWidget* w, const char* name) {
    return child<QPushButton>(w, name);
  }

  QString mainPath() const { return QDir(dir_->path()).filePath(kMainFile); }
  QString customPath() const { return QDir(dir_->path()).filePath(kCustomFile); }
  // A value of the main settings file, read as the program reads it.
  QString stored(std::string_view section, std::string_view key) const {
    return toQString(readValue(gbk(mainPath()), section, key));
  }


  std::unique_ptr<QTemporaryDir> dir_;
  QStringList messages_;
  QList<QUrl> navigations_;
  MessageSink savedSink_;
};

void MainWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  messages_.clear();
  navigations_.clear();
  savedSink_ = setMessageSink([this](const QString& m) { messages_ << m; });
}

void MainWindowTest::cleanup() {
  setMessageSink(savedSink_);
  dir_.reset();
}

void MainWindowTest::windowFrameAndControls() {
  auto window = makeWindow();
  QCOMPARE(window->windowTitle(), u("Calvane V1.8"));
  // No frame on this platform: the client area is the whole outer size.
  QCOMPARE(window->size(), QSize(826, 583));
  QCOMPARE(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  QVERIFY(flags & Qt::WindowMinimizeButtonHint);
  QVERIFY(flags & Qt::WindowCloseButtonHint);
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  const QRect screen = window->screen()->availableGeometry();
  QCOMPARE(window->frameGeometry().center(), screen.center());

  struct Control {
    const char* name;
    const char* kind;
    QRect place;
  };
  // From back to front.
  const Control controls[] = {
      {"backdropTop", "QLabel", {-6, -6, 840, 102}},
      {"backdropLower", "QLabel", {-6, 85, 840, 500}},
      {"promptLabel", "QLabel", {16, 18, 266, 19}},
      {"sourceBox", "QPlainTextEdit", {16, 48, 788, 112}},
      {"resultBox", "QPlainTextEdit", {16, 185, 788, 218}},
      {"columnsBox", "calvane::NumberBox", {44, 16, 28, 18}},
      {"charsBox", "calvane::NumberBox", {151, 16, 28, 18}},
      {"traditionalCheck", "QCheckBox", {410, 16, 87, 18}},
      {"borderList", "QComboBox", {289, 16, 106, 18}},
      {"statusLabel", "QLabel", {18, 158, 788, 24}},
      {"convertButton", "QPushButton", {192, 161, 64, 24}},
      {"copyButton", "QPushButton", {256, 161, 64, 24}},
      {"customBorderButton", "QPushButton", {320, 161, 76, 24}},
      {"borderPanel", "calvane::BorderPanel", {396, 218, 348, 144}},
      {"siteLink", "calvane::SiteLink", {544, 16, 256, 16}},
      {"webView", "QWidget", {8, 404, 808, 232}},
  };
  QStringList order;
  for (QObject* o : window->children()) {
    if (o->isWidgetType() && !o->objectName().isEmpty()) order << o->objectName();
  }
  QStringList expectedOrder;
  for (const Control& c : controls) {
    expectedOrder << c.name;
    QWidget* w = child<QWidget>(window.get(), c.name);
    QVERIFY2(w->inherits(c.kind), c.name);
    QCOMPARE(w->geometry(), c.place);
  }
  QCOMPARE(order, expectedOrder);
  QVERIFY(child<QWidget>(window.get(), "borderPanel")->isHidden());

  // Initial contents.
  QCOMPARE(columns(window.get())->text(), u("10"));
  QCOMPARE(chars(window.get())->text(), u("10"));
  QCOMPARE(entries(borders(window.get())), kBuiltInNames);
  QCOMPARE(borders(window.get())->currentIndex(), -1);
  QVERIFY(!borders(window.get())->isEditable());
  QCOMPARE(traditional(window.get())->text(), u("转为繁体字"));
  QVERIFY(!traditional(window.get())->isChecked());
  QCOMPARE(status(window.get())->text(), kIdle);
  QCOMPARE(button(window.get(), "convertButton")->text(), u("点击转换"));
  QCOMPARE(button(window.get(), "copyButton")->text(), u("复制文本"));
  QCOMPARE(button(window.get(), "customBorderButton")->text(), u("自定义边框"));
  QCOMPARE(child<QLabel>(window.get(), "promptLabel")->text(),
           u("每页      竖行，每竖行      个字。 选择边框：             "));
  QVERIFY(child<QLabel>(window.get(), "backdropTop")->text().isEmpty());
  QVERIFY(child<QLabel>(window.get(), "backdropLower")->text().isEmpty());
  QVERIFY(result(window.get())->toPlainText().isEmpty());
  // The sample: two short lines, then one long line that wraps.
  const QStringList sample = source(window.get())->toPlainText().split(u'\n');
  QCOMPARE(sample.size(), 3);
  QVERIFY(sample[0].size() < 10 && sample[1].size() < 10);
  const QFontMetrics sourceMetrics(source(window.get())->font());
  QVERIFY(sourceMetrics.horizontalAdvance(sample[2]) > 788);

  // Wrapping, scroll bars and fonts of the two text boxes.
  QPlainTextEdit* src = source(window.get());
  QPlainTextEdit* res = result(window.get());
  QCOMPARE(src->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  QCOMPARE(src->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  QCOMPARE(src->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(res->lineWrapMode(), QPlainTextEdit::NoWrap);
  QCOMPARE(res->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QCOMPARE(res->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  QVERIFY(!src->isReadOnly() && !res->isReadOnly());
  QCOMPARE(src->font().pixelSize(), 12);
  QCOMPARE(res->font().pixelSize(), 14);
  QCOMPARE(QFontInfo(res->font()).family(), pageFont(14).family());
  QCOMPARE(QFontInfo(src->font()).family(), pageFont(12).family());
  QCOMPARE(columns(window.get())->maxBytes(), 2);
}

void MainWindowTest::coloursAndEngravedStatus() {
  auto window = makeWindow();
  const QImage image = window->grab().toImage();
  // The settings band: plain pale blue, behind the prompt as well.
  QCOMPARE(QColor(image.pixel(4, 4)), QColor(240, 248, 255));
  QCOMPARE(QColor(image.pixel(20, 20)), QColor(240, 248, 255));
  // The lower backdrop, seen in the left margin: pale at its top edge and
  // growing bluer downwards, through light blue at its middle.
  const auto red = [&](int y) { return QColor(image.pixel(4, y)).red(); };
  QVERIFY(qAbs(red(86) - 240) <= 2);
  QVERIFY(red(200) < red(120) && red(300) < red(200) && red(400) < red(300));
  const QColor middle(image.pixel(4, 335));  // the middle of 85..585
  QVERIFY(qAbs(middle.red() - 193) <= 2 && qAbs(middle.green() - 223) <= 2);
  for (int y : {120, 300, 400}) QCOMPARE(QColor(image.pixel(4, y)).blue(), 255);

  // The status line: shaded from pale at its top to light blue at its
  // bottom, its text blue over a white copy one pixel right and down.
  QLabel* label = status(window.get());
  const QImage line = label->grab().toImage();
  QVERIFY(qAbs(QColor(line.pixel(line.width() - 2, 0)).red() - 240) <= 3);
  QVERIFY(qAbs(QColor(line.pixel(line.width() - 2, line.height() - 1)).red() -
               193) <= 3);
  int blue = 0, whiteBelowRight = 0;
  for (int y = 0; y + 1 < line.height(); ++y) {
    for (int x = 0; x + 1 < line.width(); ++x) {
      if (QColor(line.pixel(x, y)) != QColor(0, 0, 255)) continue;
      ++blue;
      if (QColor(line.pixel(x + 1, y + 1)) == QColor(Qt::white)) ++whiteBelowRight;
    }
  }
  QVERIFY(blue > 50);
  QVERIFY(whiteBelowRight > 10);
  // The text ends before the buttons that lie on the line.
  const QFontMetrics metrics(label->font());
  QVERIFY(label->x() + metrics.horizontalAdvance(kIdle) < 192);
  QVERIFY(label->x() + metrics.horizontalAdvance(u("已将1234567个字符换成〓")) < 192);
}

void MainWindowTest::numberBoxTyping_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");
  QTest::newRow("letters are swallowed") << u("abc") << QString();
  QTest::newRow("two bytes at most") << u("123") << u("12");
  QTest::newRow("digits and minus pass") << u("a-x7") << u("-7");
  QTest::newRow("full-width digits are swallowed") << u("３４") << QString();
  QTest::newRow("Chinese is swallowed") << u("三5") << u("5");
  QTest::newRow("punctuation is swallowed") << u(".+, 9") << u("9");
}

void MainWindowTest::numberBoxTyping() {
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  auto window = makeWindow();
  window->show();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  NumberBox* box = columns(window.get());
  box->clear();
  type(box, typed);
  QCOMPARE(box->text(), shown);
  // Control keys work as usual.
  QTest::keyClick(box, Qt::Key_Backspace);
  QCOMPARE(box->text(), shown.left(shown.size() - 1));
}

void MainWindowTest::numberBoxPasteAndFocusOut() {
  auto window = makeWindow();
  window->show();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  NumberBox* box = chars(window.get());
  // Pasted text is not filtered, only held to two bytes...
  QApplication::clipboard()->setText(u("abc"));
  box->clear();
  box->setFocus();
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text(), u("ab"));
  // ...until the box loses the focus.
  columns(window.get())->setFocus();
  QTRY_VERIFY(columns(window.get())->hasFocus());
  QCOMPARE(box->text(), QString());

  // What an input method commits is typed text: filtered like keys.
  columns(window.get())->clear();
  QInputMethodEvent commit;
  commit.setCommitString(u("三4-"));
  QApplication::sendEvent(columns(window.get()), &commit);
  QCOMPARE(columns(window.get())->text(), u("4-"));

  const struct {
    const char* before;
    const char* after;
  } cases[] = {{"07", "7"}, {"0", ""}, {"-", ""}, {"00", ""}, {"-3", "-3"},
               {"12345", "12345"}, {"3x", "3"}};
  for (const auto& c : cases) {
    box->setText(u(c.before));  // set by the program: any length
    QCOMPARE(box->text(), u(c.before));
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    columns(window.get())->setFocus();
    QTRY_VERIFY(!box->hasFocus());
    QCOMPARE(box->text(), u(c.after));
  }
}

void MainWindowTest::wholeNumberText_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<QString>("rewritten");
  QTest::newRow("empty") << QString() << QString();
  QTest::newRow("zero") << u("0") << QString();
  QTest::newRow("minus alone") << u("-") << QString();
  QTest::newRow("minus zero") << u("-0") << QString();
  QTest::newRow("leading zero") << u("05") << u("5");
  QTest::newRow("negative") << u("-3") << u("-3");
  QTest::newRow("plus sign") << u("+4") << u("4");
  QTest::newRow("leading blanks") << u(" \t 12") << u("12");
  QTest::newRow("digits then other") << u("12.9") << u("12");
  QTest::newRow("no digits") << u("ab") << QString();
  QTest::newRow("two signs") << u("--5") << QString();
  QTest::newRow("full-width digits are no digits") << u("３") << QString();
  QTest::newRow("largest") << u("2147483647") << u("2147483647");
  QTest::newRow("clamped above") << u("2147483648") << u("2147483647");
  QTest::newRow("smallest") << u("-2147483648") << u("-2147483648");
  QTest::newRow("clamped below") << u("-99999999999999999999999999")
                                 << u("-2147483648");
  QTest::newRow("far beyond 64 bits")
      << u("123456789012345678901234567890") << u("2147483647");
}

void MainWindowTest::wholeNumberText() {
  QFETCH(QString, text);
  QFETCH(QString, rewritten);
  QCOMPARE(toQString(calvane::wholeNumberText(gbk(text))), rewritten);
}

void MainWindowTest::checksRefuseAndFocus_data() {
  QTest::addColumn<QString>("columnsText");
  QTest::addColumn<QString>("charsText");
  QTest::addColumn<QString>("sourceText");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("focused");
  const QString text = u("一二");
  QTest::newRow("columns empty") << u("") << u("3") << text << kColumnsBelowOne
                                 << u("columnsBox");
  QTest::newRow("columns no number") << u("x1") << u("3") << text
                                     << kColumnsBelowOne << u("columnsBox");
  QTest::newRow("columns below one") << u("0.5") << u("3") << text
                                     << kColumnsBelowOne << u("columnsBox");
  QTest::newRow("columns truncating to 0") << u("0.99999999") << u("3") << text
                                           << kColumnsBelowOne << u("columnsBox");
  QTest::newRow("chars below one") << u("2") << u("-1") << text << kCharsBelowOne
                                   << u("charsBox");
  QTest::newRow("both: only columns") << u("0") << u("0") << QString()
                                      << kColumnsBelowOne << u("columnsBox");
  QTest::newRow("source empty") << u("2") << u("3") << QString() << kSourceEmpty
                                << u("sourceBox");
}

void MainWindowTest::checksRefuseAndFocus() {
  QFETCH(QString, columnsText);
  QFETCH(QString, charsText);
  QFETCH(QString, sourceText);
  QFETCH(QString, message);
  QFETCH(QString, focused);
  auto window = readyWindow();
  QVERIFY(window);
  const QString title = window->windowTitle();
  columns(window.get())->setText(columnsText);
  chars(window.get())->setText(charsText);
  source(window.get())->setPlainText(sourceText);
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  expectRefusal(window.get(), message, focused, title);
}

void MainWindowTest::conversionShowsPagesAndSeconds_data() {
  QTest::addColumn<QString>("columnsText");
  QTest::addColumn<int>("border");
  QTest::addColumn<bool>("isTraditional");
  QTest::addColumn<QString>("sourceText");
  QTest::addColumn<QString>("pages");
  QTest::newRow("worked example") << u("2") << 0 << false << kExampleSource
                                  << kExamplePages;
  // A text and the same text with a line break at its end: the same pages.
  QTest::newRow("final line break") << u("2") << 0 << false
                                    << kExampleSource + u("\n") << kExamplePages;
  QTest::newRow("columns truncated") << u("2.9") << 0 << false << kExampleSource
                                     << kExamplePages;
  QTest::newRow("border 2") << u("2") << 1 << false << kExampleSource
                            << pagesOf(kExampleSource, 2, 3, builtIn(1));
  QTest::newRow("border 3") << u("2") << 2 << false << kExampleSource
                            << pagesOf(kExampleSource, 2, 3, builtIn(2));
  QTest::newRow("custom border") << u("2") << 3 << false << kExampleSource
                                 << pagesOf(kExampleSource, 2, 3, kDashBorder);
  QTest::newRow("traditional, then the table")
      << u("2") << 0 << true << u("马(1)")
      << u("╔═╤═╗\n║︶│馬║\n║　│︵║\n║　│１║\n╚═╧═╝\n");
}

void MainWindowTest::conversionShowsPagesAndSeconds() {
  QFETCH(QString, columnsText);
  QFETCH(int, border);
  QFETCH(bool, isTraditional);
  QFETCH(QString, sourceText);
  QFETCH(QString, pages);
  writeGbkFile(customPath(), u("[点线]\n自定义=") + u(kDashBorder) + u("\n"));
  auto window = readyWindow();
  QVERIFY(window);
  QCOMPARE(entries(borders(window.get())).size(), 4);
  result(window.get())->setPlainText(u("earlier"));
  columns(window.get())->setText(columnsText);
  borders(window.get())->setCurrentIndex(border);
  traditional(window.get())->setChecked(isTraditional);
  source(window.get())->setPlainText(sourceText);
  window->setWindowTitle(u("before"));
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(messages_.isEmpty());
  QCOMPARE(result(window.get())->toPlainText(), pages);
  QVERIFY(result(window.get())->isVisible());
  QCOMPARE(status(window.get())->text(), kIdle);
  QVERIFY2(kSecondsTitle.match(window->windowTitle()).hasMatch(),
           qPrintable(window->windowTitle()));
}

void MainWindowTest::widePagesScrollSidewaysFromTheTop() {
  auto window = readyWindow();
  QVERIFY(window);
  QPlainTextEdit* box = result(window.get());
  columns(window.get())->setText(u("60"));
  chars(window.get())->setText(u("10"));
  source(window.get())->setPlainText(kLongSource);
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(messages_.isEmpty());
  // Lines never wrap: one line of the box is one line of a page.
  const QTextBlock first = box->document()->firstBlock();
  QCOMPARE(first.text().size(), 2 * 60 + 1);
  QCOMPARE(first.layout()->lineCount(), 1);
  QVERIFY(box->horizontalScrollBar()->maximum() > 0);
  QVERIFY(box->verticalScrollBar()->maximum() > 0);
  // A new result is shown from its start, wherever the user had scrolled.
  box->horizontalScrollBar()->setValue(box->horizontalScrollBar()->maximum());
  box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QTRY_COMPARE(box->verticalScrollBar()->value(), 0);
  QCOMPARE(box->horizontalScrollBar()->value(), 0);
  QCOMPARE(box->textCursor().position(), 0);
}

void MainWindowTest::replacedCharactersAreCounted() {
  auto window = readyWindow();
  QVERIFY(window);
  // Two characters GBK cannot hold, one of them outside the BMP.
  source(window.get())->setPlainText(u("一😀二€"));
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(messages_.isEmpty());
  QCOMPARE(status(window.get())->text(), u("已将2个字符换成〓"));
  QCOMPARE(result(window.get())->toPlainText(),
           pagesOf(u("一〓二〓"), 2, 3, builtIn(0)));
  // The next conversion without them says nothing of replacements.
  source(window.get())->setPlainText(kExampleSource);
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QCOMPARE(status(window.get())->text(), kIdle);
}

void MainWindowTest::refusalsAfterTheChecks_data() {
  QTest::addColumn<int>("border");
  QTest::addColumn<QString>("columnsText");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("focused");
  QTest::newRow("no border selected") << -1 << u("2") << kNoBorder
                                      << u("borderList");
  QTest::newRow("custom border of three parts") << 3 << u("2")
                                                << kBorderIncomplete
                                                << u("borderList");
  QTest::newRow("custom border missing from the file")
      << 4 << u("2") << kBorderIncomplete << u("borderList");
  QTest::newRow("pages too large") << 0 << u("99999999") << kTooLarge
                                   << u("columnsBox");
  QTest::newRow("columns of 2^31 or more") << 0 << u("2147483648") << kTooLarge
                                           << u("columnsBox");
}

void MainWindowTest::refusalsAfterTheChecks() {
  QFETCH(int, border);
  QFETCH(QString, columnsText);
  QFETCH(QString, message);
  QFETCH(QString, focused);
  writeGbkFile(customPath(), u("[残]\n自定义=a b c\n[无]\n"));
  auto window = readyWindow();
  QVERIFY(window);
  QCOMPARE(entries(borders(window.get())).size(), 5);
  const QString title = window->windowTitle();
  borders(window.get())->setCurrentIndex(border);
  columns(window.get())->setText(columnsText);
  chars(window.get())->setText(u("99999999"));
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  expectRefusal(window.get(), message, focused, title);
  if (QTest::currentTestFailed()) return;
  // The window converts again as soon as the input is right.
  borders(window.get())->setCurrentIndex(0);
  columns(window.get())->setText(u("2"));
  chars(window.get())->setText(u("3"));
  source(window.get())->setPlainText(u("六"));
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QCOMPARE(result(window.get())->toPlainText(), pagesOf(u("六"), 2, 3, builtIn(0)));
}

void MainWindowTest::convertingStateFromInsideTheHook() {
  auto window = readyWindow(/*pumpIntervalMs=*/0);
  QVERIFY(window);
  window->setWindowTitle(u("before"));
  QApplication::clipboard()->setText(u("x"));
  bool seen = false;
  duringConversion(window.get(), Phase::kPlacing, [&] {
    seen = true;
    QVERIFY(window->isConverting());
    QCOMPARE(status(window.get())->text(), kConverting);
    QVERIFY(!result(window.get())->isVisible());
    QVERIFY(result(window.get())->toPlainText().isEmpty());
    QCOMPARE(window->windowTitle(), u("before"));
    // Copying now copies the empty, hidden result box.
    QTest::mouseClick(button(window.get(), "copyButton"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString());
  });
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(seen);
  QVERIFY(!window->isConverting());
  QCOMPARE(result(window.get())->toPlainText(), kExamplePages);
  QVERIFY(kSecondsTitle.match(window->windowTitle()).hasMatch());
}

void MainWindowTest::nestedRequests_data() {
  QTest::addColumn<bool>("filling");
  QTest::addColumn<QString>("change");
  QTest::addColumn<QStringList>("messages");
  QTest::addColumn<QString>("shownSource");
  for (const auto& [filling, name] :
       {std::pair{false, "placing"}, std::pair{true, "filling"}}) {
    // A second press with new text supersedes the running conversion.
    QTest::addRow("%s: newer request", name)
        << filling << u("source") << QStringList{} << u("乙乙乙");
    // A refused request supersedes nothing: the running one finishes.
    QTest::addRow("%s: refused at the checks", name)
        << filling << u("columns") << QStringList{kColumnsBelowOne} << kLongSource;
    QTest::addRow("%s: refused after the checks", name)
        << filling << u("border") << QStringList{kNoBorder} << kLongSource;
  }
}

void MainWindowTest::nestedRequests() {
  QFETCH(bool, filling);
  const Phase phase = filling ? Phase::kFilling : Phase::kPlacing;
  QFETCH(QString, change);
  QFETCH(QStringList, messages);
  QFETCH(QString, shownSource);
  auto window = readyWindow(/*pumpIntervalMs=*/0);
  QVERIFY(window);
  source(window.get())->setPlainText(kLongSource);
  bool nestedRan = false;
  duringConversion(window.get(), phase, [&] {
    if (change == u("source")) source(window.get())->setPlainText(u("乙乙乙"));
    if (change == u("columns")) columns(window.get())->setText(QString());
    if (change == u("border")) borders(window.get())->setCurrentIndex(-1);
    QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
    // The older conversion is still waiting in the hook.
    QVERIFY(window->isConverting());
    if (change != u("source")) {
      QCOMPARE(status(window.get())->text(), kConverting);
      QVERIFY(!result(window.get())->isVisible());
    }
    nestedRan = true;
  });
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(nestedRan);
  QVERIFY(!window->isConverting());
  QCOMPARE(messages_, messages);
  QCOMPARE(result(window.get())->toPlainText(),
           pagesOf(shownSource, 2, 3, builtIn(0)));
  QVERIFY(result(window.get())->isVisible());
  QCOMPARE(status(window.get())->text(), kIdle);
  // Filling the box is no edit the user could undo.
  QVERIFY(!result(window.get())->document()->isUndoAvailable());
  QVERIFY(result(window.get())->document()->isUndoRedoEnabled());
}

void MainWindowTest::closingDuringAConversion_data() {
  QTest::addColumn<bool>("filling");
  QTest::newRow("placing") << false;
  QTest::newRow("filling") << true;
}

void MainWindowTest::closingDuringAConversion() {
  QFETCH(bool, filling);
  const Phase phase = filling ? Phase::kFilling : Phase::kPlacing;
  auto window = readyWindow(/*pumpIntervalMs=*/0);
  QVERIFY(window);
  source(window.get())->setPlainText(kLongSource);
  window->setWindowTitle(u("before"));
  duringConversion(window.get(), phase, [&] {
    columns(window.get())->setText(u("5"));  // what the box holds at the close
    QTest::keyClick(source(window.get()), Qt::Key_Escape);
  });
  QTest::mouseClick(button(window.get(), "convertButton"), Qt::LeftButton);
  QVERIFY(!window->isVisible());
  QVERIFY(!window->isConverting());
  // The conversion stopped and showed nothing...
  QVERIFY(!result(window.get())->isVisibleTo(window.get()));
  QCOMPARE(status(window.get())->text(), kConverting);
  QCOMPARE(window->windowTitle(), u("before"));
  // ...and the settings were saved, once.
  QCOMPARE(stored(keys::kShapeSection, keys::kColumnsKey), u("5"));
  columns(window.get())->setText(u("7"));
  window.reset();
  QCOMPARE(stored(keys::kShapeSection, keys::kColumnsKey), u("5"));
}

void MainWindowTest::destroyingDuringAConversion_data() {
  closingDuringAConversion_data();
}

void MainWindowTest::destroyingDuringAConversion() {
  QFETCH(bool, filling);
  const Phase phase = filling ? Phase::kFilling : Phase::kPlacing;
  auto owned = readyWindow(/*pumpIntervalMs=*/0);
  QVERIFY(owned);
  MainWindow* window = owned.release();
  const QPointer<MainWindow> watch(window);
  source(window)->setPlainText(kLongSource);
  columns(window)->setText(u("4"));
  duringConversion(window, phase, [window] { delete window; });
  window->convertText();
  QVERIFY(watch.isNull());
  QCOMPARE(stored(keys::kShapeSection, keys::kColumnsKey), u("4"));
}

void MainWindowTest::escClosesLikeTheCloseBox_data() {
  QTest::addColumn<QString>("focused");
  QTest::addColumn<bool>("viaCloseBox");
  QTest::newRow("close box") << u("sourceBox") << true;
  for (const char* name : {"sourceBox", "resultBox", "columnsBox", "charsBox",
                           "borderList", "traditionalCheck", "convertButton"})
    QTest::newRow(name) << u(name) << false;
}

void MainWindowTest::escClosesLikeTheCloseBox() {
  QFETCH(QString, focused);
  QFETCH(bool, viaCloseBox);
  auto window = readyWindow();
  QVERIFY(window);
  chars(window.get())->setText(u("8"));
  borders(window.get())->setCurrentIndex(2);
  QWidget* control = child<QWidget>(window.get(), qPrintable(focused));
  control->setFocus();
  QTRY_VERIFY(control->hasFocus());
  if (viaCloseBox) {
    QVERIFY(window->close());
  } else {
    QTest::keyClick(control, Qt::Key_Escape);
  }
  QVERIFY(!window->isVisible());
  QCOMPARE(stored(keys::kShapeSection, keys::kCharsKey), u("8"));
  QCOMPARE(stored(keys::kBorderSection, keys::kSelectedKey), u("2"));
}

void MainWindowTest::copyPutsThePagesOnTheClipboard() {
  auto window = readyWindow();
  QVERIFY(window);
  QApplication::clipboard()->setText(u("x"));
  QTest::mouseClick(button(window.get(), "copyButton"), Qt::LeftButton);
  QCOMPARE(QApplication::clipboard()->text(), kExamplePages);
  // What the user edited in the box is what is copied.
  result(window.get())->setPlainText(u("手改"));
  QTest::mouseClick(button(window.get(), "copyButton"), Qt::LeftButton);
  QCOMPARE(QApplication::clipboard()->text(), u("手改"));
  result(window.get())->clear();
  QTest::mouseClick(button(window.get(), "copyButton"), Qt::LeftButton);
  QCOMPARE(QApplication::clipboard()->text(), QString());
}

void MainWindowTest::firstStartInAnEmptyFolder() {
  auto window = makeWindow();
  window->show();
  QVERIFY(QTest::qWaitForWindowActive(window.get()));
  // startUp runs by itself once the event loop turns, and only once.
  QTRY_COMPARE(messages_, QStringList{kColumnsBelowOne});
  window->startUp();
  QCOMPARE(messages_.size(), 1);
  QCOMPARE(columns(window.get())->text(), QString());
  QCOMPARE(chars(window.get())->text(), QString());
  QCOMPARE(entries(borders(window.get())), kBuiltInNames);
  QCOMPARE(borders(window.get())->currentIndex(), 0);
  QVERIFY(!traditional(window.get())->isChecked());
  QTRY_COMPARE(QApplication::focusWidget(), columns(window.get()));
  QCOMPARE(window->windowTitle(), u("Calvane V1.8"));
  for (const NamedBorder& b : builtInBorders())
    QCOMPARE(stored(keys::kBuiltInSection, b.name), toQString(b.text));
  QVERIFY(!QFile::exists(customPath()));
  // One page of the page list was asked for.
  QCOMPARE(navigations_.size(), 1);
  bool listed = false;
  for (const GbkText& page : pageList())
    listed = listed || QUrl(toQString(page)) == navigations_[0];
  QVERIFY(listed);

  // Closing with empty page-shape boxes writes empty values; the keys stay.
  window->close();
  const QString file = readGbkFile(mainPath());
  for (const char* line : {"行=\n", "字=\n", "所选=0\n", "选=假\n"})
    QVERIFY2(file.contains(u(line)) || file.contains(u(line).replace(u("\n"), u("\r\n"))),
             line);
}

void MainWindowTest::restoresTheLastRun() {
  // Built-ins edited by hand; a page shape longer than the boxes let one
  // type; custom borders in an order that is not sorted.
  writeGbkFile(mainPath(),
               u("[系统边框]\n默认1=a b\n默认3=\n[行列]\n行=100\n字=4\n"
                 "[边框]\n所选=3\n[文字]\n选=真\n"));
  writeGbkFile(customPath(), u("[乙]\n自定义=") + u(kDashBorder) +
                                 u("\n[甲]\n自定义=x\n[丙]\n自定义=y\n"));
  const QStringList kCustomNames = {u("乙"), u("甲"), u("丙")};
  auto window = makeWindow();
  window->startUp();
  QVERIFY(messages_.isEmpty());
  QCOMPARE(columns(window.get())->text(), u("100"));
  QCOMPARE(chars(window.get())->text(), u("4"));
  QCOMPARE(entries(borders(window.get())), kBuiltInNames + kCustomNames);
  QCOMPARE(borders(window.get())->currentIndex(), 3);
  QVERIFY(traditional(window.get())->isChecked());
  for (const NamedBorder& b : builtInBorders())
    QCOMPARE(stored(keys::kBuiltInSection, b.name), toQString(b.text));
  // The sample was converted with what was restored.
  QCOMPARE(result(window.get())->toPlainText(),
           pagesOf(source(window.get())->toPlainText(), 100, 4, kDashBorder,
                   /*traditional=*/true));
  QVERIFY(kSecondsTitle.match(window->windowTitle()).hasMatch());

  // The order holds after a restart.
  window.reset();
  auto again = makeWindow();
  again->startUp();
  QCOMPARE(entries(borders(again.get())), kBuiltInNames + kCustomNames);
}

void MainWindowTest::restoredSelectionAndOption_data() {
  QTest::addColumn<QString>("selected");
  QTest::addColumn<QString>("option");
  QTest::addColumn<int>("position");
  QTest::addColumn<bool>("ticked");
  // Five entries: the built-ins and two custom borders.
  QTest::newRow("whole number") << u("1") << u("真") << 1 << true;
  QTest::newRow("truncated") << u("2.9") << u("假") << 2 << false;
  QTest::newRow("no number") << u("abc") << QString() << 0 << false;
  QTest::newRow("missing") << QString() << u("1") << 0 << false;
  QTest::newRow("beyond the list") << u("7") << u("真真") << 4 << false;
  QTest::newRow("custom") << u("4") << u("TRUE") << 4 << false;
  QTest::newRow("minus one") << u("-1") << u("真") << -1 << true;
  QTest::newRow("below minus one") << u("-5") << u("假") << -1 << false;
}

void MainWindowTest::restoredSelectionAndOption() {
  QFETCH(QString, selected);
  QFETCH(QString, option);
  QFETCH(int, position);
  QFETCH(bool, ticked);
  writeGbkFile(mainPath(), u("[行列]\n行=2\n字=3\n[边框]\n所选=") + selected +
                               u("\n[文字]\n选=") + option + u("\n"));
  writeGbkFile(customPath(), u("[甲]\n自定义=") + u(kDashBorder) + u("\n[乙]\n自定义=") +
                                 u(kDashBorder) + u("\n"));
  auto window = makeWindow();
  window->startUp();
  QCOMPARE(borders(window.get())->currentIndex(), position);
  QCOMPARE(traditional(window.get())->isChecked(), ticked);
  // With nothing selected the start-up conversion finds no border.
  QCOMPARE(messages_, position == -1 ? QStringList{kNoBorder} : QStringList{});
}

void MainWindowTest::shutDownSavesWhatTheUserSet() {
  auto window = readyWindow();
  QVERIFY(window);
  columns(window.get())->clear();
  type(columns(window.get()), u("7"));
  chars(window.get())->clear();
  borders(window.get())->setCurrentIndex(-1);
  QTest::mouseClick(traditional(window.get()), Qt::LeftButton);
  QVERIFY(traditional(window.get())->isChecked());
  QTest::keyClick(window.get(), Qt::Key_Escape);
  QCOMPARE(stored(keys::kShapeSection, keys::kColumnsKey), u("7"));
  QCOMPARE(stored(keys::kShapeSection, keys::kCharsKey), QString());
  QCOMPARE(stored(keys::kBorderSection, keys::kSelectedKey), u("-1"));
  QCOMPARE(stored(keys::kTextSection, keys::kTraditionalKey), u("真"));
  // A window that never started up has nothing of the user's to save.
  window.reset();
  QFile::remove(mainPath());
  makeWindow().reset();
  QVERIFY(!QFile::exists(mainPath()));
}

void MainWindowTest::everyLineOfEveryPageIsEquallyWide() {
  auto window = makeWindow();
  QPlainTextEdit* box = result(window.get());
  const QFontMetrics metrics = box->fontMetrics();
  // The font actually drawn is the one asked for, not a stand-in.
  QCOMPARE(QFontInfo(box->font()).family(), pageFont(14).family());

  // Every replacement the character table makes, and the two characters
  // the layout widens, on one page.
  QString replacements;
  for (const Substitution& row : substitutionTable()) {
    const QString r = toQString(row.replacement);
    if (!replacements.contains(r)) replacements += r;
  }
  replacements += u("＼＇〓　");
  QVERIFY(replacements.size() > 80);

  struct Page {
    const char* what;
    QString pages;
  };
  const Page pages[] = {
      {"默认1", pagesOf(kExampleSource, 2, 3, builtIn(0))},
      {"默认2", pagesOf(kExampleSource, 2, 3, builtIn(1))},
      {"默认3", pagesOf(kExampleSource, 2, 3, builtIn(2))},
      {"replacements", pagesOf(replacements, 12, 10, builtIn(0))},
      {"two-hyphen border", pagesOf(kExampleSource, 2, 3, kDashBorder)},
  };
  for (const Page& page : pages) {
    QStringList lines = page.pages.split(u'\n');
    QCOMPARE(lines.takeLast(), QString());
    QVERIFY(lines.size() >= 5);
    const int width = metrics.horizontalAdvance(lines[0]);
    for (const QString& line : lines) {
      QVERIFY2(metrics.horizontalAdvance(line) == width,
               qPrintable(QString::fromUtf8(page.what) + u(": ") + line));
    }
  }
}

}  // namespace calvane

CALVANE_UI_TEST(main_window_test, calvane::MainWindowTest);
#include "main_window_test.moc"
