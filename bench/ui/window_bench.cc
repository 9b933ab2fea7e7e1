// The main window from a press of the convert button to the pages shown in
// the result box, for 1 MiB of real Chinese text (fortunes-zh's "chinese",
// as GBK), on the offscreen platform. While it converts, a timer asks for a
// repaint of the whole window 60 times a second (as a window dragged over
// it would); the status line's paints are counted. So the time includes
// the event handling that keeps the window responsive.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/ui/ui_test_util.h"
#include "text/gbk_codec.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace calvane {
namespace {

constexpr std::size_t kInputBytes = std::size_t{1} << 20;

// The first kInputBytes bytes of the text as GBK, cut at a character, with
// the file's colour escape sequences taken out; empty when fortunes-zh is
// not installed.
QString chineseText() {
  std::ifstream in("/usr/share/games/fortunes/chinese", std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  const std::string gbk = utf8ToGbk(content.str()).text.bytes();
  std::string text;
  for (std::size_t i = 0; i < gbk.size() && text.size() < kInputBytes;) {
    if (gbk[i] == '\x1B' && i + 1 < gbk.size() && gbk[i + 1] == '[') {
      i += 2;
      while (i < gbk.size() && (gbk[i] == ';' || (gbk[i] >= '0' && gbk[i] <= '9')))
        ++i;
      if (i < gbk.size()) ++i;  // the final letter
      continue;
    }
    const std::size_t n = static_cast<unsigned char>(gbk[i]) >= 0x80 ? 2 : 1;
    text.append(gbk, i, n);
    i += n;
  }
  return toQString(text);
}

void BM_ConvertButtonToResult(benchmark::State& state) {
  static const QString text = chineseText();
  if (text.isEmpty()) {
    state.SkipWithError("fortunes-zh is not installed");
    return;
  }
  QTemporaryDir dir;
  {
    QFile settings(QDir(dir.path()).filePath(QString::fromUtf8("Calvane配置.ini")));
    if (!settings.open(QIODevice::WriteOnly)) {
      state.SkipWithError("no scratch folder");
      return;
    }
    const std::string ini = "[\xD0\xD0\xC1\xD0]\r\n\xD0\xD0=" +  // [行列] 行=
                            std::to_string(state.range(0)) +
                            "\r\n\xD7\xD6=" +  // 字=
                            std::to_string(state.range(1)) +
                            "\r\n[\xB1\xDF\xBF\xF2]\r\n\xCB\xF9\xD1\xA1=0\r\n";  // [边框] 所选=0
    settings.write(ini.data(), static_cast<qint64>(ini.size()));
  }
  MainWindowOptions options;
  options.programFolder = fromQString(dir.path()).text;
  options.makeWebView = [](QWidget* window) {
    auto* view = new QWidget(window);
    view->setObjectName("webView");
    view->setGeometry(8, 404, 808, 232);
    return view;
  };
  options.navigatorFor = [](QWidget*) { return [](const QUrl&) {}; };
  MainWindow window(std::move(options));
  window.show();
  window.startUp();
  auto* source = window.findChild<QPlainTextEdit*>("sourceBox");
  auto* result = window.findChild<QPlainTextEdit*>("resultBox");
  auto* convert = window.findChild<QPushButton*>("convertButton");
  source->setPlainText(text);
  QCoreApplication::processEvents();

  testing::PaintCounter counter;
  window.findChild<QWidget*>("statusLabel")->installEventFilter(&counter);
  // Every control is asked to repaint (asking the window alone would skip
  // what its opaque backdrops cover, which is all of it).
  const QList<QWidget*> controls =
      window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, &window, [&controls] {
    for (QWidget* control : controls) control->update();
  });
  repaint.start(16);

  qint64 resultChars = 0;
  int lines = 0;
  for (auto _ : state) {
    convert->click();
    QCoreApplication::processEvents();  // the pages drawn
    resultChars = result->document()->characterCount();
    lines = result->document()->blockCount() - 1;  // after the last "\r\n"
  }
  repaint.stop();
  if (!result->isVisible() || resultChars < static_cast<qint64>(text.size())) {
    state.SkipWithError("the conversion did not show its pages");
    return;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kInputBytes));
  state.counters["source_chars"] = static_cast<double>(text.size());
  state.counters["result_chars"] = static_cast<double>(resultChars);
  state.counters["lines"] = lines;
  state.counters["pages"] = lines / static_cast<double>(state.range(1) + 2);
  state.counters["repaints_per_conversion"] = benchmark::Counter(
      static_cast<double>(counter.paints) / static_cast<double>(state.iterations()));
}
// Columns per page, characters per column.
BENCHMARK(BM_ConvertButtonToResult)
    ->Args({10, 10})
    ->Args({30, 20})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace calvane

int main(int argc, char** argv) {
  // A window without a screen: the offscreen platform, unless one is given.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
