// A border designed in the editor panel of the real main window, stored, and
// then used by a conversion in that window.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "settings/ini_store.h"
#include "settings/settings_files.h"
#include "tests/ui/ui_test_registry.h"
#include "ui/border_panel.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/show_message.h"

namespace calvane {
namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class BorderPanelWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void customBorderUsedByAConversion();

 private:
  template <typename T>
  T* control(const char* name) const {
    T* w = window_->findChild<T*>(name);
    if (w == nullptr) qFatal("no control %s", name);
    return w;
  }
  static void type(QWidget* w, const QString& s) {
    w->setFocus(Qt::MouseFocusReason);
    for (const QChar c : s)
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c),
                          Qt::NoModifier);
  }
  void convertAndWait() {
    QTest::mouseClick(control<QPushButton>("convertButton"), Qt::LeftButton);
    QTRY_VERIFY(!window_->isConverting());
  }

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<MainWindow> window_;
  QStringList messages_;
};

void BorderPanelWindowTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  setMessageSink([this](const QString& m) { messages_ << m; });
  // A page shape of two columns of five characters and "默认2" picked, as
  // an earlier run would have left them.
  const GbkText folder = fromQString(dir_->path()).text;
  fixSettingsPaths(folder);
  QVERIFY(writeValue(mainSettingsPath(), keys::kShapeSection, keys::kColumnsKey,
                     "2"));
  QVERIFY(writeValue(mainSettingsPath(), keys::kShapeSection, keys::kCharsKey,
                     "5"));
  QVERIFY(writeValue(mainSettingsPath(), keys::kBorderSection,
                     keys::kSelectedKey, "1"));
  MainWindowOptions options;
  options.programFolder = folder;
  options.makeWebView = [](QWidget* window) {
    auto* view = new QWidget(window);
    view->setObjectName("webView");
    return view;
  };
  options.navigatorFor = [](QWidget*) { return Navigate([](const QUrl&) {}); };
  options.pumpIntervalMs = 0;
  window_ = std::make_unique<MainWindow>(std::move(options));
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  // Start-up converts the sample text.
  QTRY_VERIFY(!control<QPlainTextEdit>("resultBox")->toPlainText().isEmpty());
  QTRY_VERIFY(!window_->isConverting());
  QVERIFY(messages_.isEmpty());
}

void BorderPanelWindowTest::cleanup() {
  window_.reset();
  setMessageSink({});
  dir_.reset();
  messages_.clear();
}

void BorderPanelWindowTest::customBorderUsedByAConversion() {
  auto* panel = control<BorderPanel>("borderPanel");
  auto* borderList = control<QComboBox>("borderList");
  auto* resultBox = control<QPlainTextEdit>("resultBox");
  QVERIFY(panel->isHidden());
  QTest::mouseClick(control<QPushButton>("customBorderButton"), Qt::LeftButton);
  QVERIFY(panel->isVisible());
  QCOMPARE(panel->pos(), QPoint(396, 202));

  // A heavy frame with stars in its corners and ASCII joins.
  const struct {
    const char* box;
    QString symbol;
  } symbols[] = {
      {"symbolBox_topLeft", u("★")},    {"symbolBox_top", u("━")},
      {"symbolBox_topRight", u("★")},   {"symbolBox_left", u("┃")},
      {"symbolBox_divider", "||"},       {"symbolBox_right", u("┃")},
      {"symbolBox_bottomLeft", u("★")}, {"symbolBox_bottom", u("━")},
      {"symbolBox_bottomRight", u("★")}, {"symbolBox_topJoin", "=="},
      {"symbolBox_bottomJoin", "=="},
  };
  for (const auto& [box, symbol] : symbols)
    type(panel->findChild<QLineEdit*>(box), symbol);
  type(panel->findChild<QComboBox*>("customNameBox"), u("星框"));
  QTest::mouseClick(panel->findChild<QPushButton*>("addButton"),
                    Qt::LeftButton);
  QCOMPARE(messages_, QStringList{u("添加成功！")});
  QCOMPARE(borderList->count(), 4);
  QCOMPARE(borderList->itemText(3), u("星框"));
  QCOMPARE(borderList->currentIndex(), -1);
  QTest::mouseClick(panel->findChild<QPushButton*>("closePanelButton"),
                    Qt::LeftButton);
  QVERIFY(panel->isHidden());

  // With no border picked the window refuses and keeps what it showed.
  auto* sourceBox = control<QPlainTextEdit>("sourceBox");
  sourceBox->setPlainText(u("春眠不觉晓\n处处闻啼鸟"));
  const QString before = resultBox->toPlainText();
  messages_.clear();
  convertAndWait();
  QCOMPARE(messages_, QStringList{toQString(messages::kNoBorderSelected)});
  QCOMPARE(resultBox->toPlainText(), before);

  borderList->setCurrentIndex(3);
  messages_.clear();
  convertAndWait();
  QVERIFY(messages_.isEmpty());
  const QStringList lines = resultBox->toPlainText().split('\n');
  QCOMPARE(lines.value(0), u("★━==━★"));
  QCOMPARE(lines.value(1), u("┃处||春┃"));
  QCOMPARE(lines.value(6), u("★━==━★"));

  // Exactly the pages the conversion makes with the stored set.
  const GbkText stored =
      readValue(customBordersPath(), fromQString(u("星框")).text,
                keys::kCustomKey);
  const std::optional<BorderSet> set = parseBorderSet(stored);
  QVERIFY(set.has_value());
  const ConversionResult expected = convertToPages(
      fromQStringWithCrLf(sourceBox->toPlainText()).text, false,
      PageShape{2, 5}, *set, [] { return true; });
  QCOMPARE(resultBox->toPlainText(),
           toQString(expected.pages).replace("\r\n", "\n"));
}

}  // namespace calvane

CALVANE_UI_TEST(border_panel_window_test, calvane::BorderPanelWindowTest);
#include "border_panel_window_test.moc"
