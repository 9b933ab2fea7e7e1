// MainWindow: Calvane's one window. The source box with the settings row
// above it (page shape, border, traditional option, site link), the status
// line with the three buttons, the result box for the vertical pages, the
// hidden custom border panel, and the web view at the bottom.
//
// The controls hold all working state between events; every setting is read
// from or written to the settings files at the moment it is needed. The
// window runs startUp once, at the first turn of the event loop after it has
// been created (or when startUp is called earlier), and shutDown once, when
// it is closed (close box, system menu, Esc) or, failing that, destroyed.
//
// Closing ends the window's working life (the program ends with it): it is
// not meant to be shown again.
//
// A conversion lets the window handle its events while it places
// characters and while it puts the pages into the result box. A newer
// conversion supersedes a running one: the older stops at its next pause
// and writes nothing. A refused request supersedes nothing. Closing the
// window stops a running conversion as well.
//
// A Qt widget: GUI thread only. The caller owns it.
#ifndef CALVANE_UI_MAIN_WINDOW_H_
#define CALVANE_UI_MAIN_WINDOW_H_

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string_view>

#include "convert/conversion.h"
#include "text/gbk_text.h"
#include "ui/web_pages.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;

namespace calvane {

class NumberBox;

struct MainWindowOptions {
  // The folder whose settings files the window reads and writes (GBK, no
  // trailing "/"): the program's own folder for the program, a scratch
  // folder for tests.
  GbkText programFolder;
  // Makes the web view as a child of the window (it places and names the
  // view itself) and the way to tell that view where to go.
  // REQUIRES: both callable.
  std::function<QWidget*(QWidget* window)> makeWebView;
  std::function<Navigate(QWidget* webView)> navigatorFor;
  // Least time between two rounds of event handling during a conversion;
  // 0 handles events after every placed character.
  int pumpIntervalMs = 10;

  // The program's own options: the folder of the executable and the real
  // embedded browser.
  [[nodiscard]] static MainWindowOptions forProgram();
};

// The font of the source and result boxes at the given pixel height:
// "宋体" where it is installed, otherwise a font in which every two-byte
// character is exactly as wide as two one-byte characters.
[[nodiscard]] QFont pageFont(int pixelSize);

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Outer size, frame included where the window system draws one.
  static constexpr int kOuterWidth = 826;
  static constexpr int kOuterHeight = 583;

  // Creates the window with its controls and their initial contents,
  // centred on the screen; startUp follows when the event loop next runs.
  explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
  ~MainWindow() override;

  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Whether a conversion is under way (placing characters or filling the
  // result box) right now.
  [[nodiscard]] bool isConverting() const { return runningConversions_ > 0; }

 public slots:
  // Reads the inputs from the controls, checks them, converts the source
  // text into vertical pages and shows them; the title then gives the
  // seconds it took. A refused input is reported and changes nothing.
  void convertText();
  // Puts the text of the result box on the clipboard as Unicode text.
  void copyResult();
  // Fixes the settings paths, restores the page shape, the chosen border and
  // the traditional option, writes the built-in borders, lists the custom
  // borders, shows a start page in the web view and converts the sample
  // text. Runs once; later calls do nothing.
  void startUp();
  // Saves the page shape, the chosen border and the traditional option.
  // Runs once, and only after startUp (before it the controls hold the
  // window's defaults, not the user's values); later calls do nothing.
  void shutDown();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void buildControls();
  // Shows the start page: a page drawn at random from the page list.
  void showStartPage();
  // Makes the outer size 826 x 583 with the frame the window system
  // reports now, and centres the window when that frame has changed.
  void fitOuterSize();
  // Puts the vertical page text into the result box a piece at a time,
  // calling handleEvents between pieces; false, with the box part filled,
  // as soon as handleEvents says to stop (the window may be gone then).
  bool fillResultBox(std::string_view pages,
                     const std::function<bool()>& handleEvents);
  // Shows a refusal's message and moves the focus to control.
  void refuse(std::string_view message, QWidget* control);
  [[nodiscard]] QWidget* controlFor(InputField field) const;

  MainWindowOptions options_;
  Navigate navigate_;

  QLabel* backdropTop_ = nullptr;
  QLabel* backdropLower_ = nullptr;
  QLabel* promptLabel_ = nullptr;
  QPlainTextEdit* sourceBox_ = nullptr;
  QPlainTextEdit* resultBox_ = nullptr;
  NumberBox* columnsBox_ = nullptr;
  NumberBox* charsBox_ = nullptr;
  QCheckBox* traditionalCheck_ = nullptr;
  QComboBox* borderList_ = nullptr;
  QLabel* statusLabel_ = nullptr;
  QPushButton* convertButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QPushButton* customBorderButton_ = nullptr;
  QWidget* borderPanel_ = nullptr;
  QWidget* siteLink_ = nullptr;
  QWidget* webView_ = nullptr;

  bool startedUp_ = false;
  bool shutDown_ = false;
  bool closing_ = false;
  QSize appliedFrame_{-1, -1};
  // The conversion whose result the window is waiting for; a conversion
  // whose number is no longer this one has been superseded.
  uint64_t currentConversion_ = 0;
  uint64_t conversionsStarted_ = 0;
  int runningConversions_ = 0;
};

}  // namespace calvane

#endif  // CALVANE_UI_MAIN_WINDOW_H_
