// Runs one registered window test object: ui_tests <name> [QTest options].
#include <QApplication>
#include <QTest>
#include <cstdio>
#include <vector>

#include "tests/ui/ui_test_registry.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ui_tests NAME [QTest options]\n");
    for (const auto& [name, factory] : calvane::testing::uiTests())
      std::fprintf(stderr, "  %s\n", name.c_str());
    return 2;
  }
  const auto it = calvane::testing::uiTests().find(argv[1]);
  if (it == calvane::testing::uiTests().end()) {
    std::fprintf(stderr, "ui_tests: no test named %s\n", argv[1]);
    return 2;
  }
  QApplication app(argc, argv);
  std::vector<char*> args{argv[0]};
  for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
  const auto test = it->second();
  return QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
}
