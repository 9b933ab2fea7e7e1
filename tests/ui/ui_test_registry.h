// A registry of the window test objects, so that all of them live in one
// binary (one link of Qt instead of one per test) and CTest still runs each
// on its own: `ui_tests <name> [QTest options]`.
#ifndef CALVANE_TESTS_UI_UI_TEST_REGISTRY_H_
#define CALVANE_TESTS_UI_UI_TEST_REGISTRY_H_

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace calvane::testing {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::map<std::string, UiTestFactory>& uiTests() {
  static std::map<std::string, UiTestFactory> tests;
  return tests;
}

struct UiTestRegistrar {
  UiTestRegistrar(const char* name, UiTestFactory factory) {
    uiTests().emplace(name, std::move(factory));
  }
};

}  // namespace calvane::testing

// Registers test class Class under name, which must be the file's name
// without ".cc" (CTest passes that name).
#define CALVANE_UI_TEST(name, Class)                                   \
  static const ::calvane::testing::UiTestRegistrar name##_registrar(   \
      #name, [] { return std::unique_ptr<QObject>(new Class); })

#endif  // CALVANE_TESTS_UI_UI_TEST_REGISTRY_H_
