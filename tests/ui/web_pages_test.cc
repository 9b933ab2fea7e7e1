// The page list and the random draw of the start-up page, with a recording
// navigator in place of the web view.
#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/ui_test_registry.h"
#include "ui/publisher.h"
#include "ui/web_pages.h"

namespace calvane {
namespace {

QUrl entry(int position) {
  return QUrl(QString::fromLatin1(pageList()[position - 1].bytes()),
              QUrl::StrictMode);
}

// The value of key in url's query, percent-decoded to its raw bytes.
QByteArray queryBytes(const QUrl& url, const QString& key) {
  return QByteArray::fromPercentEncoding(
      QUrlQuery(url).queryItemValue(key, QUrl::FullyEncoded).toLatin1());
}

}  // namespace

class WebPagesTest : public QObject {
  Q_OBJECT

 private slots:
  void listIsNineSitePagesThenThreeSearchPages() {
    const QString host = QString::fromLatin1(kPublisherHost);
    QSet<QString> different;
    for (int k = 1; k <= kPageCount; ++k) {
      const std::string& bytes = pageList()[k - 1].bytes();
      const QUrl url = entry(k);
      QVERIFY2(url.isValid(), bytes.c_str());
      QVERIFY2(url.scheme() == "http" || url.scheme() == "https",
               bytes.c_str());
      // Already in its encoded form: nothing a browser would rewrite.
      QCOMPARE(url.toString(QUrl::FullyEncoded).toStdString(), bytes);
      QCOMPARE(url.host() == host, k <= 9);
      different.insert(url.toString());
    }
    QCOMPARE(entry(6), entry(8));
    QCOMPARE(different.size(), 11);

    // Each search engine page leads to the publisher.
    QCOMPARE(queryBytes(entry(10), "q"),
             QByteArray("http://") + kPublisherHost.data() + "/");
    QVERIFY(queryBytes(entry(11), "q").contains(kPublisherHost.data()));
    QCOMPARE(queryBytes(entry(12), "wd"),
             QByteArray(kPublisherCaption.data(),
                        static_cast<qsizetype>(kPublisherCaption.size())));
    QCOMPARE(QUrlQuery(entry(12)).queryItemValue("ie"), QString("gbk"));
  }

  // k = 1 + (next value mod 12): one value per draw, one plain navigation.
  void eachDrawNavigatesOnceToThePositionOfTheNextValue() {
    PageRandom random(20240611);
    PageRandom twin = random;
    std::vector<QUrl> seen;
    const Navigate record = [&](const QUrl& url) { seen.push_back(url); };
    for (int i = 0; i < 500; ++i) {
      const int k = 1 + static_cast<int>(twin() % kPageCount);
      showRandomPage(record, random);
      QCOMPARE(seen.size(), std::size_t(i + 1));
      QCOMPARE(seen.back(), entry(k));
      QCOMPARE(seen.back().toString(QUrl::FullyEncoded).toStdString(),
               pageList()[k - 1].bytes());
    }
    QCOMPARE(random, twin);  // no value drawn besides the one per page
  }

  void manyDrawsShowEveryAddressAndTheDoubledOneTwiceAsOften() {
    constexpr int kDraws = 24000;  // 2000 per position expected
    PageRandom random(7);
    QMap<QString, int> shown;
    const Navigate record = [&](const QUrl& url) { ++shown[url.toString()]; };
    for (int i = 0; i < kDraws; ++i) showRandomPage(record, random);

    QCOMPARE(shown.size(), 11);
    const QString doubled = entry(6).toString();
    for (auto it = shown.cbegin(); it != shown.cend(); ++it) {
      // About 43 either way is one standard deviation.
      const int expected = it.key() == doubled ? 4000 : 2000;
      QVERIFY2(std::abs(it.value() - expected) < 250,
               qPrintable(it.key() + ": " + QString::number(it.value())));
    }
  }

  void generatorIsSeededFromTheMillisecondTick() {
    const auto tick = [] {
      return static_cast<std::uint32_t>(
          std::chrono::duration_cast<std::chrono::milliseconds>(
              std::chrono::steady_clock::now().time_since_epoch())
              .count());
    };
    const std::uint32_t before = tick();
    const PageRandom fromTick = seedRandomFromTick();
    const std::uint32_t after = tick();
    bool matched = false;
    for (std::uint32_t ms = before; ms != after + 1 && !matched; ++ms)
      matched = fromTick == PageRandom(ms);
    QVERIFY(matched);
  }
};

}  // namespace calvane

CALVANE_UI_TEST(web_pages_test, calvane::WebPagesTest);
#include "web_pages_test.moc"
