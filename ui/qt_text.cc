#include "ui/qt_text.h"

#include <QByteArray>

#include "text/gbk_codec.h"

namespace calvane {

QString toQString(std::string_view gbk) {
  const std::string utf8 = gbkToUtf8(gbk);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QtToGbk fromQString(const QString& s) {
  const QByteArray utf8 = s.toUtf8();
  EncodeResult r = utf8ToGbk(std::string_view(utf8.constData(), utf8.size()));
  return {std::move(r.text), r.replaced};
}

QtToGbk fromQStringWithCrLf(const QString& s) {
  QString normalised;
  normalised.reserve(s.size() + s.size() / 16);
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s[i];
    if (c == u'\r') {
      if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      normalised += u"\r\n";
    } else if (c == u'\n' || c == QChar::ParagraphSeparator ||
               c == QChar::LineSeparator) {
      normalised += u"\r\n";
    } else {
      normalised += c;
    }
  }
  return fromQString(normalised);
}

int gbkByteLength(const QString& s) {
  return static_cast<int>(fromQString(s).text.size());
}

}  // namespace calvane
