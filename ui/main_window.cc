#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QShowEvent>
#include <algorithm>
#include <cassert>
#include <iterator>
#include <string>
#include <utility>
#include <variant>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "settings/ini_store.h"
#include "settings/settings_files.h"
#include "text/numbers.h"
#include "ui/border_panel.h"
#include "ui/number_box.h"
#include "ui/publisher.h"
#include "ui/qt_text.h"
#include "ui/show_message.h"
#include "ui/site_link.h"
#include "ui/web_view.h"

namespace calvane {
namespace {

// Texts of the window (GBK).
constexpr std::string_view kProgramTitle = "Calvane V1.8";
constexpr std::string_view kIdleStatus =
    "\xC7\xEB\xD4\xDA\xC9\xCF\xC3\xE6\xCA\xE4\xC8\xEB\xD2\xAA\xD7\xAA\xBB\xBB"
    "\xB5\xC4\xCE\xC4\xB1\xBE\xA1\xFC\xA1\xFC";  // 请在上面输入要转换的文本↑↑
constexpr std::string_view kConvertingStatus =
    "\xD5\xFD\xD4\xDA\xD7\xAA\xBB\xBB\xD6\xD0\xA1\xAD\xA1\xAD";  // 正在转换中……
// "已将" N "个字符换成〓": after a conversion that had to replace
// characters GBK cannot hold. Short enough to end before the buttons.
constexpr std::string_view kReplacedBefore = "\xD2\xD1\xBD\xAB";  // 已将
constexpr std::string_view kReplacedAfter =
    "\xB8\xF6\xD7\xD6\xB7\xFB\xBB\xBB\xB3\xC9\xA1\xFE";  // 个字符换成〓
constexpr std::string_view kSeconds = "\xC3\xEB";  // 秒
constexpr std::string_view kConvertCaption =
    "\xB5\xE3\xBB\xF7\xD7\xAA\xBB\xBB";  // 点击转换
constexpr std::string_view kCopyCaption =
    "\xB8\xB4\xD6\xC6\xCE\xC4\xB1\xBE";  // 复制文本
constexpr std::string_view kCustomBorderCaption =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xB1\xDF\xBF\xF2";  // 自定义边框
constexpr std::string_view kTraditionalCaption =
    "\xD7\xAA\xCE\xAA\xB7\xB1\xCC\xE5\xD7\xD6";  // 转为繁体字
// "每页      竖行，每竖行      个字。 选择边框：             ": the page-shape
// boxes and the border list lie in its runs of blanks.
constexpr std::string_view kPrompt =
    "\xC3\xBF\xD2\xB3      \xCA\xFA\xD0\xD0\xA3\xAC\xC3\xBF\xCA\xFA\xD0\xD0"
    "      \xB8\xF6\xD7\xD6\xA1\xA3 \xD1\xA1\xD4\xF1\xB1\xDF\xBF\xF2\xA3\xBA"
    "             ";
constexpr std::string_view kTen = "10";
// The sample text: the title and the poet of 春江花月夜 (Zhang Ruoxu, Tang
// dynasty), then its first twelve lines as one long line, which wraps.
constexpr std::string_view kSampleText =
    "\xB4\xBA\xBD\xAD\xBB\xA8\xD4\xC2\xD2\xB9"  // 春江花月夜
    "\r\n"
    "\xD5\xC5\xC8\xF4\xD0\xE9"  // 张若虚
    "\r\n"
    // 春江潮水连海平，海上明月共潮生。滟滟随波千万里，何处春江无月明！
    "\xB4\xBA\xBD\xAD\xB3\xB1\xCB\xAE\xC1\xAC\xBA\xA3\xC6\xBD\xA3\xAC\xBA\xA3"
    "\xC9\xCF\xC3\xF7\xD4\xC2\xB9\xB2\xB3\xB1\xC9\xFA\xA1\xA3\xE4\xD9\xE4\xD9"
    "\xCB\xE6\xB2\xA8\xC7\xA7\xCD\xF2\xC0\xEF\xA3\xAC\xBA\xCE\xB4\xA6\xB4\xBA"
    "\xBD\xAD\xCE\xDE\xD4\xC2\xC3\xF7\xA3\xA1"
    // 江流宛转绕芳甸，月照花林皆似霰。空里流霜不觉飞，汀上白沙看不见。
    "\xBD\xAD\xC1\xF7\xCD\xF0\xD7\xAA\xC8\xC6\xB7\xBC\xB5\xE9\xA3\xAC\xD4\xC2"
    "\xD5\xD5\xBB\xA8\xC1\xD6\xBD\xD4\xCB\xC6\xF6\xB1\xA1\xA3\xBF\xD5\xC0\xEF"
    "\xC1\xF7\xCB\xAA\xB2\xBB\xBE\xF5\xB7\xC9\xA3\xAC\xCD\xA1\xC9\xCF\xB0\xD7"
    "\xC9\xB3\xBF\xB4\xB2\xBB\xBC\xFB\xA1\xA3"
    // 江天一色无纤尘，皎皎空中孤月轮。江畔何人初见月？江月何年初照人？
    "\xBD\xAD\xCC\xEC\xD2\xBB\xC9\xAB\xCE\xDE\xCF\xCB\xB3\xBE\xA3\xAC\xF0\xA8"
    "\xF0\xA8\xBF\xD5\xD6\xD0\xB9\xC2\xD4\xC2\xC2\xD6\xA1\xA3\xBD\xAD\xC5\xCF"
    "\xBA\xCE\xC8\xCB\xB3\xF5\xBC\xFB\xD4\xC2\xA3\xBF\xBD\xAD\xD4\xC2\xBA\xCE"
    "\xC4\xEA\xB3\xF5\xD5\xD5\xC8\xCB\xA3\xBF";

// Colours of the window.
constexpr QRgb kPale = qRgb(240, 248, 255);
constexpr QRgb kLightBlue = qRgb(193, 223, 255);
constexpr QRgb kDeepBlue = qRgb(89, 168, 255);
constexpr QRgb kStatusBlue = qRgb(0, 0, 255);

// The closed border list is 18 pixels tall; of the 160 it was made with,
// the rest holds about eight entries when it opens.
constexpr int kBorderListEntries = 8;

// During a conversion the clock is read only every so many placed
// characters; in between the hook costs one decrement.
constexpr int kCallsPerClockCheck = 32;
// The pages go into the result box a piece of about this many bytes at a
// time, the window handling its events in between.
constexpr std::size_t kFillPieceBytes = 64 * 1024;

// The family names the page font is looked for under, in order of
// preference. "宋体" is SimSun's Chinese name, under which fontconfig may
// list it. In "Noto Sans Mono CJK SC" every symbol the pages use, the
// box-drawing symbols, "§" and "‖" among them, is exactly two Latin
// characters wide; several other CJK fonts draw some of them half-width and
// the frames would not line up.
const char* const kPageFontFamilies[] = {"\xE5\xAE\x8B\xE4\xBD\x93",  // 宋体
                                         "SimSun", "NSimSun",
                                         "Noto Sans Mono CJK SC"};

QString q(std::string_view gbk) { return toQString(gbk); }

// A label that fills itself with a top-to-bottom shading through stops.
QLabel* makeShadedLabel(QWidget* parent, const char* name,
                        const QGradientStops& stops) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  QLinearGradient shading(0, 0, 0, 1);
  shading.setCoordinateMode(QGradient::ObjectMode);
  shading.setStops(stops);
  QPalette palette = label->palette();
  palette.setBrush(QPalette::Window, QBrush(shading));
  label->setPalette(palette);
  label->setAutoFillBackground(true);
  return label;
}

// The status line: shaded from pale to light blue downwards, its text blue
// over a white copy one pixel to the right and one lower, which looks
// engraved.
class EngravedLabel : public QLabel {
 public:
  explicit EngravedLabel(QWidget* parent) : QLabel(parent) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QLinearGradient shading(0, 0, 0, height());
    shading.setColorAt(0, QColor(kPale));
    shading.setColorAt(1, QColor(kLightBlue));
    painter.fillRect(rect(), shading);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(Qt::white);
    painter.drawText(contentsRect().translated(1, 1), flags, text());
    painter.setPen(QColor(kStatusBlue));
    painter.drawText(contentsRect(), flags, text());
  }
};

void setPaleBackground(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, QColor(kPale));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void setWhiteBase(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, Qt::white);
  widget->setPalette(palette);
}

QPlainTextEdit* makeTextBox(QWidget* parent, const char* name, QRect place,
                            int fontPixels, bool wrap) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(name);
  box->setGeometry(place);
  box->setFont(pageFont(fontPixels));
  box->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth
                            : QPlainTextEdit::NoWrap);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff
                                         : Qt::ScrollBarAlwaysOn);
  box->setTabChangesFocus(true);
  setWhiteBase(box);
  return box;
}

QPushButton* makeButton(QWidget* parent, const char* name,
                        std::string_view caption, QRect place) {
  auto* button = new QPushButton(q(caption), parent);
  button->setObjectName(name);
  button->setGeometry(place);
  return button;
}

}  // namespace

QFont pageFont(int pixelSize) {
  // The last one is installed with the program's packages (fonts-noto-cjk).
  QString family = QString::fromUtf8(std::end(kPageFontFamilies)[-1]);
  const QStringList installed = QFontDatabase::families();
  for (const char* candidate : kPageFontFamilies) {
    const QString name = QString::fromUtf8(candidate);
    if (installed.contains(name, Qt::CaseInsensitive)) {
      family = name;
      break;
    }
  }
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setWeight(QFont::Normal);
  font.setStyleHint(QFont::TypeWriter);
  // Whole-pixel advances, so two Latin characters are as wide as one
  // Chinese character on screen too.
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

MainWindowOptions MainWindowOptions::forProgram() {
  MainWindowOptions options;
  options.programFolder = programDirectory();
  options.makeWebView = [](QWidget* window) { return createWebView(window); };
  options.navigatorFor = [](QWidget* view) { return calvane::navigatorFor(view); };
  return options;
}

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                  Qt::WindowCloseButtonHint),
      options_(std::move(options)) {
  assert(options_.makeWebView && options_.navigatorFor);
  setObjectName("mainWindow");
  setWindowTitle(q(kProgramTitle));
  // Chinese Windows draws its controls in a 12-pixel font; the prompt's
  // runs of blanks are measured for a font whose blank is half as wide as a
  // Chinese character.
  setFont(pageFont(12));
  buildControls();
  // Until the window system tells its frame, the window is taken to have
  // none: the client area is the whole outer size.
  fitOuterSize();
  QMetaObject::invokeMethod(this, &MainWindow::startUp, Qt::QueuedConnection);
}

MainWindow::~MainWindow() {
  // A window destroyed without being closed still saves what the user set.
  closing_ = true;
  shutDown();
}

void MainWindow::buildControls() {
  // Created from back to front: a later sibling lies above an earlier one.
  backdropTop_ = new QLabel(this);
  backdropTop_->setObjectName("backdropTop");
  backdropTop_->setGeometry(-6, -6, 840, 102);
  setPaleBackground(backdropTop_);

  backdropLower_ = makeShadedLabel(
      this, "backdropLower",
      {{0.0, QColor(kPale)}, {0.5, QColor(kLightBlue)}, {1.0, QColor(kDeepBlue)}});
  backdropLower_->setGeometry(-6, 85, 840, 500);

  promptLabel_ = new QLabel(q(kPrompt), this);
  promptLabel_->setObjectName("promptLabel");
  promptLabel_->setGeometry(16, 18, 266, 19);
  promptLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setPaleBackground(promptLabel_);
  {
    QPalette palette = promptLabel_->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    promptLabel_->setPalette(palette);
  }

  sourceBox_ = makeTextBox(this, "sourceBox", QRect(16, 48, 788, 112), 12,
                           /*wrap=*/true);
  // A text box makes every "\r\n" one line break; it gives its text back
  // with "\n" between the lines.
  sourceBox_->setPlainText(q(kSampleText));

  resultBox_ = makeTextBox(this, "resultBox", QRect(16, 185, 788, 218), 14,
                           /*wrap=*/false);

  columnsBox_ = new NumberBox(this);
  columnsBox_->setObjectName("columnsBox");
  columnsBox_->setGeometry(44, 16, 28, 18);
  columnsBox_->setText(q(kTen));
  setWhiteBase(columnsBox_);

  charsBox_ = new NumberBox(this);
  charsBox_->setObjectName("charsBox");
  charsBox_->setGeometry(151, 16, 28, 18);
  charsBox_->setText(q(kTen));
  setWhiteBase(charsBox_);

  traditionalCheck_ = new QCheckBox(q(kTraditionalCaption), this);
  traditionalCheck_->setObjectName("traditionalCheck");
  traditionalCheck_->setGeometry(410, 16, 87, 18);
  setPaleBackground(traditionalCheck_);

  borderList_ = new QComboBox(this);
  borderList_->setObjectName("borderList");
  borderList_->setGeometry(289, 16, 106, 18);
  borderList_->setEditable(false);
  borderList_->setInsertPolicy(QComboBox::InsertAtBottom);
  borderList_->setMaxVisibleItems(kBorderListEntries);
  for (const NamedBorder& builtIn : builtInBorders())
    borderList_->addItem(q(builtIn.name));
  // Adding to an empty list selects its first entry; none is selected yet.
  borderList_->setCurrentIndex(-1);
  setWhiteBase(borderList_);

  statusLabel_ = new EngravedLabel(this);
  statusLabel_->setObjectName("statusLabel");
  statusLabel_->setGeometry(18, 158, 788, 24);
  statusLabel_->setText(q(kIdleStatus));

  convertButton_ = makeButton(this, "convertButton", kConvertCaption,
                              QRect(192, 161, 64, 24));
  copyButton_ = makeButton(this, "copyButton", kCopyCaption,
                           QRect(256, 161, 64, 24));
  customBorderButton_ = makeButton(this, "customBorderButton",
                                   kCustomBorderCaption, QRect(320, 161, 76, 24));

  auto* borderPanel = new BorderPanel(borderList_, this);
  borderPanel_ = borderPanel;

  auto* siteLink = new SiteLink(this);
  siteLink->setCaption(kPublisherCaption);
  siteLink->setAddress(kPublisherHost);
  siteLink_ = siteLink;

  webView_ = options_.makeWebView(this);
  assert(webView_ != nullptr && webView_->parentWidget() == this);
  webView_->raise();
  navigate_ = options_.navigatorFor(webView_);

  connect(convertButton_, &QPushButton::clicked, this, &MainWindow::convertText);
  connect(copyButton_, &QPushButton::clicked, this, &MainWindow::copyResult);
  connect(customBorderButton_, &QPushButton::clicked, borderPanel,
          &BorderPanel::openBorderPanel);

  setTabOrder(columnsBox_, charsBox_);
  setTabOrder(charsBox_, borderList_);
  setTabOrder(borderList_, traditionalCheck_);
  setTabOrder(traditionalCheck_, sourceBox_);
  setTabOrder(sourceBox_, convertButton_);
  setTabOrder(convertButton_, copyButton_);
  setTabOrder(copyButton_, customBorderButton_);
  setTabOrder(customBorderButton_, resultBox_);
}

void MainWindow::fitOuterSize() {
  // The frame the window system draws around the client area: none before
  // the window is shown, or on a platform without decorations; it becomes
  // known some time after the window is shown, when the window manager has
  // put its decorations around it. Each time it changes, the client area
  // is made to fit and the whole window is centred again.
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame == appliedFrame_) return;
  appliedFrame_ = frame;
  setFixedSize(QSize(kOuterWidth, kOuterHeight) - frame);
  if (QScreen* screen = this->screen()) {
    QRect outer(QPoint(), QSize(kOuterWidth, kOuterHeight));
    outer.moveCenter(screen->availableGeometry().center());
    move(outer.topLeft());  // a window's position is that of its frame
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  fitOuterSize();
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
    fitOuterSize();
  return handled;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  closing_ = true;  // a running conversion stops at its next pause
  shutDown();
  event->accept();
}

void MainWindow::startUp() {
  if (startedUp_ || closing_) return;  // once, and never for a closed window
  startedUp_ = true;
  fixSettingsPaths(options_.programFolder);
  const GbkText& mainPath = mainSettingsPath();

  columnsBox_->setText(
      q(readValue(mainPath, keys::kShapeSection, keys::kColumnsKey)));
  charsBox_->setText(q(readValue(mainPath, keys::kShapeSection, keys::kCharsKey)));

  for (const NamedBorder& builtIn : builtInBorders())
    writeValue(mainPath, keys::kBuiltInSection, builtIn.name, builtIn.text);

  for (const GbkText& name : listSections(customBordersPath()))
    borderList_->addItem(q(name));

  int32_t selected = truncToInt(
      toNumber(readValue(mainPath, keys::kBorderSection, keys::kSelectedKey)));
  const int32_t last = borderList_->count() - 1;
  if (selected > last) selected = last;
  if (selected < -1) selected = -1;
  borderList_->setCurrentIndex(selected);

  traditionalCheck_->setChecked(
      readValue(mainPath, keys::kTextSection, keys::kTraditionalKey) ==
      boolToText(true));

  showStartPage();
  convertText();
}

void MainWindow::showStartPage() {
  PageRandom random = seedRandomFromTick();
  showRandomPage(navigate_, random);
}

void MainWindow::shutDown() {
  if (!startedUp_ || shutDown_) return;
  shutDown_ = true;
  const GbkText& mainPath = mainSettingsPath();
  writeValue(mainPath, keys::kShapeSection, keys::kColumnsKey,
             fromQString(columnsBox_->text()).text);
  writeValue(mainPath, keys::kShapeSection, keys::kCharsKey,
             fromQString(charsBox_->text()).text);
  writeValue(mainPath, keys::kBorderSection, keys::kSelectedKey,
             numberToText(static_cast<int32_t>(borderList_->currentIndex())));
  writeValue(mainPath, keys::kTextSection, keys::kTraditionalKey,
             boolToText(traditionalCheck_->isChecked()));
}

void MainWindow::copyResult() {
  // Lines end in "\n", the line end of this platform's programs, so a paste
  // anywhere gives the same pages.
  if (QClipboard* clipboard = QGuiApplication::clipboard())
    clipboard->setText(resultBox_->toPlainText());
}

QWidget* MainWindow::controlFor(InputField field) const {
  switch (field) {
    case InputField::kColumns:
      return columnsBox_;
    case InputField::kChars:
      return charsBox_;
    case InputField::kSource:
      return sourceBox_;
    case InputField::kBorder:
      return borderList_;
    case InputField::kNone:
      break;
  }
  return nullptr;
}

void MainWindow::refuse(std::string_view message, QWidget* control) {
  showMessage(message);
  focusControl(control);
}

bool MainWindow::fillResultBox(std::string_view pages,
                               const std::function<bool()>& handleEvents) {
  QTextDocument* document = resultBox_->document();
  // Filling is no edit of the user's: it is not kept for undo.
  document->setUndoRedoEnabled(false);
  resultBox_->clear();
  QTextCursor end(document);
  std::size_t at = 0;
  while (at < pages.size()) {
    // Pieces end after a line break; "\n" is never the trail byte of a
    // two-byte character.
    std::size_t cut = pages.find('\n', std::min(at + kFillPieceBytes, pages.size() - 1));
    cut = cut == std::string_view::npos ? pages.size() : cut + 1;
    end.movePosition(QTextCursor::End);
    end.insertText(q(pages.substr(at, cut - at)));
    at = cut;
    if (at < pages.size() && !handleEvents()) return false;
  }
  document->setUndoRedoEnabled(true);
  resultBox_->moveCursor(QTextCursor::Start);
  return true;
}

void MainWindow::convertText() {
  QElapsedTimer clock;
  clock.start();

  const std::variant<PageShape, Refusal> shapeOrRefusal =
      readPageShape(fromQString(columnsBox_->text()).text,
                    fromQString(charsBox_->text()).text);
  if (const auto* refusal = std::get_if<Refusal>(&shapeOrRefusal)) {
    refuse(refusal->message, controlFor(refusal->field));
    return;
  }
  if (sourceBox_->document()->isEmpty()) {
    refuse(messages::kSourceEmpty, sourceBox_);
    return;
  }

  // The converting state. What it replaces is kept, so that a refusal from
  // here on leaves the window as it was (inside a running conversion, that
  // is the converting state of the conversion that goes on). The result box
  // keeps its text until the pages are being placed, by when no refusal can
  // come any more.
  const QString statusBefore = statusLabel_->text();
  const bool resultVisibleBefore = resultBox_->isVisibleTo(this);
  statusLabel_->setText(q(kConvertingStatus));
  resultBox_->hide();
  const uint64_t superseded = currentConversion_;
  const uint64_t mine = ++conversionsStarted_;
  currentConversion_ = mine;
  const auto refuseAfterChecks = [&](std::string_view message, QWidget* control) {
    currentConversion_ = superseded;  // a refused request supersedes nothing
    statusLabel_->setText(statusBefore);
    resultBox_->setVisible(resultVisibleBefore);
    refuse(message, control);
  };

  const PageShape shape = std::get<PageShape>(shapeOrRefusal);
  const int32_t position = borderList_->currentIndex();
  const GbkText borderText = borderTextForPosition(
      position, fromQString(borderList_->currentText()).text);
  std::variant<BorderSet, Refusal> borderOrRefusal =
      readBorderSet(position, borderText);
  if (const auto* refusal = std::get_if<Refusal>(&borderOrRefusal)) {
    refuseAfterChecks(refusal->message, borderList_);
    return;
  }

  const QtToGbk source = fromQStringWithCrLf(sourceBox_->toPlainText());
  const bool traditional = traditionalCheck_->isChecked();

  // About every pumpIntervalMs the window handles its pending events
  // (repaints, clicks, a close); after that this conversion goes on only if
  // the window still wants it. Nothing of the window may be touched once it
  // is gone.
  const QPointer<MainWindow> self(this);
  const int interval = options_.pumpIntervalMs;
  QElapsedTimer sincePump;
  sincePump.start();
  const std::function<bool()> handleEvents = [&]() -> bool {
    if (sincePump.elapsed() < interval) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sincePump.restart();
    return self && !self->closing_ && self->currentConversion_ == mine;
  };
  // The layout's hook: after each placed character, mostly one decrement.
  bool placing = false;
  int countdown = 0;
  const PumpHook pump = [&]() -> bool {
    if (!placing) {
      placing = true;
      resultBox_->clear();  // the box is empty while the pages are made
    }
    if (--countdown > 0) return true;
    countdown = interval > 0 ? kCallsPerClockCheck : 1;
    return handleEvents();
  };

  ++runningConversions_;
  ConversionResult result = convertToPages(
      source.text, traditional, shape, std::get<BorderSet>(borderOrRefusal), pump);
  if (result.outcome == ConversionResult::Outcome::kDone &&
      !fillResultBox(result.pages, handleEvents)) {
    result.outcome = ConversionResult::Outcome::kStopped;
  }
  if (!self) return;  // destroyed while converting: not even the counter
  --runningConversions_;

  switch (result.outcome) {
    case ConversionResult::Outcome::kStopped:
      // Superseded or closed: the window is someone else's now.
      resultBox_->document()->setUndoRedoEnabled(true);
      return;
    case ConversionResult::Outcome::kTooLarge:
      refuseAfterChecks(messages::kPagesTooLarge, columnsBox_);
      return;
    case ConversionResult::Outcome::kDone:
      break;
  }

  resultBox_->show();
  if (source.replaced > 0) {
    statusLabel_->setText(q(kReplacedBefore) + QString::number(source.replaced) +
                          q(kReplacedAfter));
  } else {
    statusLabel_->setText(q(kIdleStatus));
  }
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  setWindowTitle(q(numberToText(seconds)) + q(kSeconds));
}

}  // namespace calvane
