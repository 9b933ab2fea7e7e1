// calvane: the desktop program. No command-line arguments of its own; the
// settings files live beside the executable.
#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>

#include <unistd.h>

#include "ui/main_window.h"

int main(int argc, char** argv) {
  // The embedded browser is Chromium, which refuses to start as root while
  // its sandbox is on (the sandbox needs an unprivileged user). Only then,
  // and before the application object exists, is the sandbox turned off;
  // an ordinary user keeps it.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // The browser shares OpenGL contexts with the widgets; this has to be set
  // before the application object is made.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  calvane::MainWindow window(calvane::MainWindowOptions::forProgram());
  window.show();
  return app.exec();
}
