// Where the two settings files live, the fallback to the user's
// configuration folder, the border lookup, and a check from outside: Python's
// configparser reads the files as the program writes them.
#include "settings/settings_files.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "settings/ini_store.h"
#include "settings/settings_folder.h"
#include "tests/core/test_util.h"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::gbk;
using testing::readFile;
using testing::utf8;

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Runs check in a child process in which permission bits count: as user
// "nobody" when the tests run as root. The test fails unless check returns
// true; check reports what failed on standard error.
void expectAsUnprivileged(const std::function<bool()>& check) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(2);
    }
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the unprivileged checks failed (status " << status << ")";
}

bool want(bool condition, const char* what) {
  if (!condition) std::fprintf(stderr, "not so: %s\n", what);
  return condition;
}

class SettingsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(testing::makeTempFolder("calvane-paths-", &root_));
    // Open to "nobody" as well, for the unprivileged checks.
    fs::permissions(root_, fs::perms::all);
    config_ = std::make_unique<ScopedEnv>(
        "XDG_CONFIG_HOME", (root_ / "config" / "deeper").c_str());
  }
  void TearDown() override {
    config_.reset();
    fs::remove_all(root_);
  }

  // The folder the configuration fallback must choose.
  fs::path userFolder() const {
    return root_ / "config" / "deeper" / "calvane";
  }

  // Both paths point into folder (a file-system name).
  void expectPathsIn(const fs::path& folder) const {
    EXPECT_EQ(utf8(mainSettingsPath()), (folder / "Calvane配置.ini").string());
    EXPECT_EQ(utf8(customBordersPath()), (folder / "自定义配置.ini").string());
  }

  fs::path root_;
  std::unique_ptr<ScopedEnv> config_;
};

TEST_F(SettingsFilesTest, ProgramDirectoryIsTheFolderOfTheRunningProgram) {
  const GbkText dir = programDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.bytes().back(), '/');
  EXPECT_TRUE(fs::equivalent(utf8(dir),
                             fs::path(program_invocation_name).parent_path()))
      << utf8(dir) << " vs " << program_invocation_name;
}

// A writable folder, named in Chinese, keeps both files; their names are
// UTF-8 on disk while the paths are GBK.
TEST_F(SettingsFilesTest, WritableFolderHoldsBothFiles) {
  const fs::path folder = root_ / "程序 目录";
  fs::create_directory(folder);
  fixSettingsPaths(gbk(folder.string()));
  EXPECT_EQ(mainSettingsPath().bytes(),
            gbk(folder.string() + "/Calvane配置.ini").bytes());
  EXPECT_EQ(customBordersPath().bytes(),
            gbk(folder.string() + "/自定义配置.ini").bytes());
  ASSERT_TRUE(writeValue(mainSettingsPath(), keys::kBorderSection,
                         keys::kSelectedKey, "2"));
  EXPECT_EQ(readFile(folder / "Calvane配置.ini"),
            gbk("[边框]\r\n所选=2\r\n").bytes());
  EXPECT_FALSE(fs::exists(userFolder()));
}

// Places where not even root can make a file: the decision and both paths.
TEST_F(SettingsFilesTest, UnwritableFolderMovesBothFilesToTheUserFolder) {
  EXPECT_TRUE(canCreateFilesIn(root_.string()));
  std::ofstream(root_ / "plain-file") << "x";
  const std::string unwritable[] = {
      (root_ / "plain-file").string(),  // a file where a folder should be
      (root_ / "missing").string(),
      "/proc/self",
  };
  for (const std::string& dir : unwritable) {
    SCOPED_TRACE(dir);
    EXPECT_FALSE(canCreateFilesIn(dir));
    fixSettingsPaths(gbk(dir));
    expectPathsIn(userFolder());
    EXPECT_TRUE(fs::is_directory(userFolder()));  // made, two levels deep
    EXPECT_FALSE(fs::exists(root_ / "missing"));
  }
  EXPECT_EQ(fs::status(userFolder()).permissions(), fs::perms::owner_all);
  ASSERT_TRUE(writeValue(customBordersPath(), "b", keys::kCustomKey, "x"));
  EXPECT_EQ(readValue(customBordersPath(), "b", keys::kCustomKey),
            GbkText("x"));

  // When the user folder cannot be made either, the program folder stays.
  ScopedEnv blocked("XDG_CONFIG_HOME", (root_ / "plain-file").c_str());
  fixSettingsPaths(gbk(unwritable[1]));
  expectPathsIn(root_ / "missing");
}

TEST_F(SettingsFilesTest, UserFolderComesFromTheEnvironment) {
  ScopedEnv home("HOME", "/home/someone");
  struct Case {
    const char* xdg;
    const char* want;
  } const cases[] = {
      {"/cfg", "/cfg/calvane"},
      {"relative/cfg", "/home/someone/.config/calvane"},  // ignored
      {"", "/home/someone/.config/calvane"},
      {nullptr, "/home/someone/.config/calvane"},
  };
  for (const Case& c : cases) {
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    EXPECT_EQ(userConfigFolder(), c.want) << (c.xdg ? c.xdg : "(unset)");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv noHome("HOME", nullptr);
  const std::string fromPasswd = userConfigFolder();
  EXPECT_TRUE(fromPasswd.starts_with("/") &&
              fromPasswd.ends_with("/.config/calvane"))
      << fromPasswd;
}

// Permission bits, which root does not feel: a program folder the user may
// not write, with settings already in it, and a settings file marked
// read-only.
TEST_F(SettingsFilesTest, PermissionBitsCountForAnOrdinaryUser) {
  const fs::path program = root_ / "program";
  fs::create_directory(program);
  const std::string shipped = gbk("[行列]\r\n行=12\r\n").bytes();
  std::ofstream(program / "Calvane配置.ini", std::ios::binary) << shipped;
  fs::permissions(program, fs::perms::owner_all | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read |
                               fs::perms::others_exec);
  fs::create_directories(root_ / "config");
  fs::permissions(root_ / "config", fs::perms::all);
  const fs::path readOnly = root_ / "readonly.ini";
  std::ofstream(readOnly) << "[s]\r\nk=1\r\n";
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read |
                                fs::perms::others_read);

  const fs::path user = userFolder();
  expectAsUnprivileged([&] {
    bool ok = want(!canCreateFilesIn(program.string()), "program unwritable");
    fixSettingsPaths(gbk(program.string()));
    ok &= want(utf8(mainSettingsPath()) == (user / "Calvane配置.ini").string(),
               "main file moved");
    // The settings that came with the program are carried over; the file
    // that was not there is not made up.
    ok &= want(readFile(user / "Calvane配置.ini") == shipped, "copied");
    ok &= want(!fs::exists(user / "自定义配置.ini"), "nothing invented");
    ok &= want(
        readValue(mainSettingsPath(), gbk("行列").bytes(), gbk("行").bytes())
                .bytes() == "12",
        "copied settings read");
    // Later starts keep what the user changed since.
    ok &= want(writeValue(mainSettingsPath(), gbk("行列").bytes(),
                          gbk("行").bytes(), "7"),
               "write in user folder");
    fixSettingsPaths(gbk(program.string()));
    ok &= want(
        readValue(mainSettingsPath(), gbk("行列").bytes(), gbk("行").bytes())
                .bytes() == "7",
        "no second copy over the user's change");

    ok &= want(!writeValue(GbkText(readOnly.string()), "s", "k", "2"),
               "read-only file refused");
    ok &= want(!deleteSection(GbkText(readOnly.string()), "s"),
               "read-only file kept");
    return ok;
  });
  EXPECT_EQ(readFile(readOnly), "[s]\r\nk=1\r\n");
  EXPECT_EQ(readFile(program / "Calvane配置.ini"), shipped);
}

TEST_F(SettingsFilesTest, BorderLookupReadsTheFileItsPositionNames) {
  fixSettingsPaths(gbk(root_.string()));
  ASSERT_TRUE(writeValue(mainSettingsPath(), keys::kBuiltInSection,
                         gbk("默认1").bytes(), "main-1"));
  ASSERT_TRUE(writeValue(mainSettingsPath(), keys::kBuiltInSection,
                         gbk("默认").bytes(), "main-bare"));
  ASSERT_TRUE(writeValue(customBordersPath(), gbk("默认1").bytes(),
                         keys::kCustomKey, "custom-1"));
  ASSERT_TRUE(writeValue(customBordersPath(), gbk("古风").bytes(),
                         keys::kCustomKey, "custom-old"));
  struct Case {
    int32_t position;
    const char* name;
    const char* want;
  } const cases[] = {
      {-1, "", ""},  // nothing selected
      {-1, "默认1", "main-1"},
      {0, "默认1", "main-1"},
      {2, "默认", "main-bare"},
      {3, "默认1", "custom-1"},  // a custom border's place wins over its name
      {7, "古风", "custom-old"},
      {3, "没有", ""},
      {1, "古风", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(borderTextForPosition(c.position, gbk(c.name)).bytes(), c.want)
        << c.position << " " << c.name;
  }
}

// The sections, keys and values a file should hold, in file order.
class ExpectedFile {
 public:
  void set(std::string_view section, std::string_view key,
           std::string_view value) {
    auto s = find(section);
    if (s == sections_.end()) {
      sections_.push_back({std::string(section), {}});
      s = sections_.end() - 1;
    }
    for (auto& kv : s->second) {
      if (kv.first == key) {
        kv.second = value;
        return;
      }
    }
    s->second.emplace_back(key, value);
  }
  void drop(std::string_view section) { sections_.erase(find(section)); }

  // "section\tkey\tvalue" lines in UTF-8, the form the outside check reads.
  std::string listing() const {
    std::string out;
    for (const auto& [section, pairs] : sections_) {
      for (const auto& [key, value] : pairs) {
        out += utf8(section) + "\t" + utf8(key) + "\t" + utf8(value) + "\n";
      }
    }
    return out;
  }
  // What our own store reads back from path.
  void expectReadBy(const GbkText& path) const {
    TextList names;
    for (const auto& [section, pairs] : sections_) {
      names.emplace_back(section);
      for (const auto& [key, value] : pairs) {
        EXPECT_EQ(readValue(path, section, key).bytes(), value) << utf8(key);
      }
    }
    EXPECT_EQ(listSections(path), names);
  }

 private:
  using Section =
      std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
  std::vector<Section>::iterator find(std::string_view section) {
    auto s = sections_.begin();
    while (s != sections_.end() && s->first != section) ++s;
    return s;
  }
  std::vector<Section> sections_;
};

// Two runs of the program and a session in the border editor, then
// configparser reads each file and must see what was written.
TEST_F(SettingsFilesTest, ConfigparserReadsTheFilesAsWritten) {
  fixSettingsPaths(gbk(root_.string()));
  ExpectedFile main;
  ExpectedFile custom;
  const auto store = [](const GbkText& path, ExpectedFile& expected,
                        std::string_view section, std::string_view key,
                        std::string_view value) {
    const std::string s = gbk(section).bytes();
    const std::string k = gbk(key).bytes();
    const std::string v = gbk(value).bytes();
    ASSERT_TRUE(writeValue(path, s, k, v));
    expected.set(s, k, v);
  };
  const std::pair<const char*, const char*> builtIns[] = {
      {"默认1", "╔ ═ ╗ ║ │ ║ ╚ ═ ╝ ╤ ╧"},
      {"默认2", "┏ ━ ┓ ┃ │ ┃ ┗ ━ ┛ ┯ ┷"},
      {"默认3", "卐 ━ 卐 │ ┆ │ 卐 ━ 卐 ┯ ┷"},
  };
  const std::pair<const char*, const char*> shutDown[][4] = {
      {{"行", "10"}, {"字", ""}, {"所选", "-1"}, {"选", "真"}},
      {{"行", "8"}, {"字", "24"}, {"所选", "4"}, {"选", "假"}},
  };
  const char* shutDownSections[] = {"行列", "行列", "边框", "文字"};
  for (const auto& run : shutDown) {
    for (const auto& [name, form] : builtIns) {
      store(mainSettingsPath(), main, "系统边框", name, form);
    }
    for (int i = 0; i < 4; ++i) {
      store(mainSettingsPath(), main, shutDownSections[i], run[i].first,
            run[i].second);
    }
  }
  const char* const editor[][2] = {
      {"古风", "卐 -- 卐 == ┆ == 卐 :: 卐 ┯ ┷"},
      {"My Border", "+ - + | | | + - + + +"},
      {"默认", "╔ ═ ╗ ║ │ ║ ╚ ═ ╝ ╤ ╧"},
      {"古风", "┏ ━ ┓ ┃ │ ┃ ┗ ━ ┛ ┯ ┷"},  // stored again: new symbols
      {"第二种#1", "＃ ＃ ＃ ＃ ＃ ＃ ＃ ＃ ＃ ＃ ＃"},
  };
  for (const auto& [name, form] : editor) {
    store(customBordersPath(), custom, name, "自定义", form);
  }
  ASSERT_TRUE(deleteSection(customBordersPath(), gbk("My Border").bytes()));
  custom.drop(gbk("My Border").bytes());

  const std::pair<const GbkText&, const ExpectedFile&> files[] = {
      {mainSettingsPath(), main}, {customBordersPath(), custom}};
  for (const auto& [path, expected] : files) {
    SCOPED_TRACE(utf8(path));
    expected.expectReadBy(path);
    const fs::path listing = root_ / "expected.txt";
    std::ofstream(listing, std::ios::binary) << expected.listing();
    const std::string command = std::string("python3 '") + CALVANE_SOURCE_DIR +
                                "/tools/check_configparser.py' '" + utf8(path) +
                                "' '" + listing.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }
}

}  // namespace
}  // namespace calvane
