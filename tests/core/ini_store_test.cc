// The settings store on real files in a temporary folder: reads, writes and
// deletions byte for byte, damaged files, names the format cannot hold as
// they are, the two buffer limits, atomic replacement and two writers.
#include "settings/ini_store.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "gtest/gtest.h"
#include "tests/core/test_util.h"

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::gbk;
using testing::readFile;
using testing::utf8;

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// GBK bytes of a UTF-8 literal, as a plain string for byte comparisons.
std::string g(std::string_view utf8Text) { return gbk(utf8Text).bytes(); }

std::string joinedUtf8(const TextList& names) {
  std::string out;
  for (const GbkText& n : names) {
    if (!out.empty()) out += "|";
    out += utf8(n);
  }
  return out;
}

class IniStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(testing::makeTempFolder("calvane-ini-", &folder_));
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path file(std::string_view name = "settings.ini") const {
    return folder_ / name;
  }
  // The GBK path of a file in the folder (the folder name is ASCII).
  GbkText path(std::string_view name = "settings.ini") const {
    return GbkText(file(name).string());
  }
  fs::path copyFixture(std::string_view name) const {
    fs::copy_file(fs::path(CALVANE_TEST_DATA_DIR) / "ini" / name, file(name));
    return file(name);
  }
  std::vector<std::string> folderNames() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_)) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

  fs::path folder_;
};

TEST_F(IniStoreTest, MissingFileReadsEmptyAndNothingIsCreated) {
  EXPECT_EQ(readValue(path(), g("边框"), g("所选")), GbkText());
  EXPECT_TRUE(listSections(path()).empty());
  EXPECT_TRUE(deleteSection(path(), g("边框")));
  EXPECT_TRUE(folderNames().empty());
}

// One file through the life the program gives it, checked byte for byte.
TEST_F(IniStoreTest, WritesCreateReplaceAndDeleteInPlace) {
  ASSERT_TRUE(writeValue(path(), g("系统边框"), g("默认1"), g("╔ ═ ╗")));
  EXPECT_EQ(readFile(file()), g("[系统边框]\r\n默认1=╔ ═ ╗\r\n"));

  ASSERT_TRUE(writeValue(path(), g("行列"), g("行"), "10"));
  ASSERT_TRUE(writeValue(path(), g("系统边框"), g("默认3"), g("卐 ━ 卐")));
  ASSERT_TRUE(writeValue(path(), g("行列"), g("字"), ""));
  ASSERT_TRUE(writeValue(path(), g("行列"), g("行"), "8"));
  EXPECT_EQ(readFile(file()), g("[系统边框]\r\n默认1=╔ ═ ╗\r\n默认3=卐 ━ 卐\r\n"
                                "[行列]\r\n行=8\r\n字=\r\n"));
  EXPECT_EQ(readValue(path(), g("系统边框"), g("默认3")), gbk("卐 ━ 卐"));
  EXPECT_EQ(readValue(path(), g("行列"), g("行")), GbkText("8"));
  // An empty value reads like a missing key, but its key stays.
  EXPECT_EQ(readValue(path(), g("行列"), g("字")), GbkText());
  EXPECT_EQ(joinedUtf8(listSections(path())), "系统边框|行列");

  ASSERT_TRUE(deleteSection(path(), g("系统边框")));
  EXPECT_EQ(readFile(file()), g("[行列]\r\n行=8\r\n字=\r\n"));
  EXPECT_EQ(readValue(path(), g("系统边框"), g("默认1")), GbkText());
  EXPECT_EQ(joinedUtf8(listSections(path())), "行列");
  // Deleting what is not there changes nothing and succeeds.
  EXPECT_TRUE(deleteSection(path(), g("系统边框")));
  EXPECT_EQ(readFile(file()), g("[行列]\r\n行=8\r\n字=\r\n"));
}

TEST_F(IniStoreTest, ReadSkipsLeadingBytesOneToThirtyTwo) {
  writeFile(file(), g("[边框]\r\n所选=2\r\n"));
  const std::string p = file().string();
  struct Case {
    std::string path, section, key, want;
  } const cases[] = {
      {" \t" + p, g("边框"), g("所选"), "2"},
      {"\x01\x1F" + p, std::string("\x20\x0B") + g("边框"),
       std::string("\x01") + g("所选"), "2"},
      // Nothing but skipped bytes: empty, whatever the file holds.
      {p, " \t", g("所选"), ""},
      {p, g("边框"), "\x01\x20", ""},
      {"  ", g("边框"), g("所选"), ""},
      // Byte 0x21 is no blank.
      {p, "!" + g("边框"), g("所选"), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readValue(c.path, c.section, c.key).bytes(), c.want)
        << utf8(c.section) << " / " << utf8(c.key);
  }
}

// Letter case counts; blanks around names do not.
TEST_F(IniStoreTest, NamesMatchExactlyApartFromSurroundingBlanks) {
  writeFile(file(), g("[ABC]\r\nk=1\r\n[ 边框 ]\r\n 所选 =2\r\n"));
  EXPECT_EQ(readValue(path(), "ABC", "k"), GbkText("1"));
  EXPECT_EQ(readValue(path(), "abc", "k"), GbkText());
  EXPECT_EQ(readValue(path(), "ABC", "K"), GbkText());
  EXPECT_EQ(readValue(path(), g("边框"), g("所选")), GbkText("2"));

  ASSERT_TRUE(writeValue(path(), g("边框\t"), g("所选  "), "3"));
  ASSERT_TRUE(writeValue(path(), "abc", "k", "9"));
  EXPECT_EQ(readFile(file()),
            g("[ABC]\r\nk=1\r\n[ 边框 ]\r\n 所选 =3\r\n[abc]\r\nk=9\r\n"));
  EXPECT_EQ(joinedUtf8(listSections(path())), "ABC| 边框 |abc");
}

// Damaged and unusual files: what reads give, what is listed, and that one
// write changes exactly the bytes it owns (the rest of the file stays byte
// for byte). Expected values come from reading each fixture by eye.
TEST_F(IniStoreTest, DamagedFilesReadSensiblyAndKeepEveryOtherByte) {
  struct Case {
    const char* file;
    const char* section;
    const char* key;
    const char* want;
    const char* sections;  // nullptr: not checked
    const char* writeSection;
    const char* writeKey;
    const char* writeValue;
    const char* replaced;  // the first occurrence of this in the file...
    const char* by;        // ...becomes this
  } const cases[] = {
      {"crlf.ini", "边框", "所选", "2", "行列|边框", "行列", "新", "1",
       "字=20\r\n", "字=20\r\n新=1\r\n"},
      {"lf.ini", "行列", "字", "20", "行列|边框", "边框", "选", "真",
       "所选=2\n", "所选=2\n选=真\n"},
      {"cr_only.ini", "行列", "字", "20", "行列", "行列", "新", "1", "字=20\r",
       "字=20\r新=1\r"},
      // Lone CR first, then an empty LF line after the last key: the new
      // line must not swallow that LF.
      {"mixed_line_ends.ini", "s", "k", "1", "s|t", "s", "j", "2", "k=1\n",
       "k=1\nj=2\r\n"},
      {"no_final_line_end.ini", "行列", "字", "20", "行列", "边框", "所选", "1",
       "字=20", "字=20\r\n[边框]\r\n所选=1\r\n"},
      {"bom.ini", "行列", "行", "10", "行列", "行列", "行", "11", "行=10",
       "行=11"},
      // A value reads up to a NUL; a section whose name holds one is not
      // listed.
      {"nul.ini", "行列", "行", "1", "行列|边框", "行列", "字", "21", "字=20",
       "字=21"},
      // The first of duplicate keys wins and is the one replaced; a section
      // that stands twice reads as one, and a new key joins its first part.
      {"duplicates.ini", "边框", "所选", "1", "边框|行列", "边框", "所选", "5",
       "所选=1", "所选=5"},
      {"duplicates.ini", "边框", "选", "真", "边框|行列", "边框", "新", "1",
       "所选=2\r\n", "所选=2\r\n新=1\r\n"},
      // Keys before the first section belong to none and stay untouched.
      {"keys_before_section.ini", "边框", "所选", "1", "边框", "边框", "字",
       "8", "所选=1\r\n", "所选=1\r\n字=8\r\n"},
      // Values stand as written; the key keeps its blanks when replaced.
      {"blanks.ini", "边框", "所选", " 3", " 边框 ", "边框", "所选", "4",
       " 所选 = 3", " 所选 =4"},
      {"blanks.ini", "边框", "行", "10", " 边框 ", "边框", "行", "10", "", ""},
      // A new key goes after the last key, before the blank line.
      {"comments.ini", "行列", "行", "10", "行列|边框", "行列", "字", "20",
       "行=10\r\n", "行=10\r\n字=20\r\n"},
      // "[行列" is no section line: its key is read by no one; empty names
      // are not listed and do not end the listing.
      {"damaged_sections.ini", "行列", "行", "", "边框", "行列", "行", "10",
       "所选=1\r\n", "所选=1\r\n[行列]\r\n行=10\r\n"},
      {"garbage.ini", "行列", "行", "10", nullptr, "行列", "行", "12", "行=10",
       "行=12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    fs::remove(file(c.file));
    const fs::path f = copyFixture(c.file);
    const std::string before = readFile(f);
    EXPECT_EQ(readValue(path(c.file), g(c.section), g(c.key)), gbk(c.want));
    if (c.sections != nullptr) {
      EXPECT_EQ(joinedUtf8(listSections(path(c.file))), c.sections);
    }
    ASSERT_TRUE(writeValue(path(c.file), g(c.writeSection), g(c.writeKey),
                           g(c.writeValue)));
    std::string want = before;
    const std::string replaced = g(c.replaced);
    const std::size_t at = want.find(replaced);
    ASSERT_NE(at, want.npos);
    want.replace(at, replaced.size(), g(c.by));
    EXPECT_EQ(readFile(f), want);
    EXPECT_EQ(readValue(path(c.file), g(c.writeSection), g(c.writeKey)),
              gbk(c.writeValue));
  }
}

TEST_F(IniStoreTest, MegabyteLinesAreCutOnReadAndKeptOnWrite) {
  const std::string junk(1 << 20, 'x');
  const std::string value(1 << 20, 'v');
  const std::string before = g("[行列]\r\n") + junk + "\r\n" + g("行=") +
                             value + "\r\n" + g("[边框]\r\n所选=1\r\n");
  writeFile(file(), before);
  EXPECT_EQ(readValue(path(), g("行列"), g("行")).bytes(),
            std::string(kValueBufferBytes - 1, 'v'));
  ASSERT_TRUE(writeValue(path(), g("边框"), g("所选"), "2"));
  std::string want = before;
  want.replace(want.size() - 3, 1, "2");
  EXPECT_EQ(readFile(file()), want);
}

TEST_F(IniStoreTest, ValueBufferCutsAfter10239Bytes) {
  std::string chinese;
  for (int i = 0; i < 5120; ++i) chinese += g("中");
  struct Case {
    std::string value, want;
  } const cases[] = {
      {std::string(10239, 'a'), std::string(10239, 'a')},
      {std::string(10240, 'a'), std::string(10239, 'a')},
      // 10,240 bytes of two-byte characters: the cut splits the last one,
      // as a byte buffer does.
      {chinese, chinese.substr(0, 10239)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(writeValue(path(), "s", "k", c.value));
    EXPECT_EQ(readFile(file()), "[s]\r\nk=" + c.value + "\r\n");
    EXPECT_EQ(readValue(path(), "s", "k").bytes(), c.want);
  }
}

// Each listed name takes its bytes and a NUL, and the list a closing NUL.
TEST_F(IniStoreTest, ListingHoldsWhatFits204800Bytes) {
  std::string body;
  for (int i = 0; i < 2047; ++i) {
    std::string name = std::to_string(i);
    name.resize(99, '_');
    body += "[" + name + "]\r\nk=v\r\n";
  }
  body += "[0" + std::string(98, '_') + "]\r\n";  // a duplicate costs nothing
  const std::string lastFits = std::string(98, 'y');
  const std::string lastOverflows = std::string(99, 'z');
  writeFile(file(), body + "[" + lastFits + "]\r\n");
  TextList names = listSections(path());
  ASSERT_EQ(names.size(), 2048u);  // 2047 * 100 + 99 + 1 = 204,800
  EXPECT_EQ(names.back().bytes(), lastFits);

  writeFile(file(), body + "[" + lastOverflows + "]\r\n[short]\r\n");
  names = listSections(path());
  ASSERT_EQ(names.size(), 2047u);  // one byte too many: it and all after it
  EXPECT_EQ(names.back().bytes(), "2046" + std::string(95, '_'));
}

// Names the format holds as they are go through write, list, read and
// delete and leave the rest of the file as it was.
TEST_F(IniStoreTest, AwkwardNamesAndValuesRoundTripWithoutTouchingOthers) {
  const std::string original = g("[行列]\r\n行=10\r\n[边框]\r\n所选=1\r\n");
  // 卐 carries the byte of "e", 乚 (81 5D) that of "]".
  const std::string names[] = {
      "a]b",     "]",      "x]]", "[x",    "[[",       "  lead",
      "trail  ", "\t tab", "a=b", g("卐"), "\x81\x5D", g("中]文"),
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(utf8(name));
    writeFile(file(), original);
    ASSERT_TRUE(writeValue(path(), name, g("自定义"), "v"));
    EXPECT_EQ(readFile(file()),
              original + "[" + name + "]\r\n" + g("自定义") + "=v\r\n");
    const TextList listed = listSections(path());
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].bytes(), name);
    EXPECT_EQ(readValue(path(), name, g("自定义")), GbkText("v"));
    EXPECT_EQ(readValue(path(), g("边框"), g("所选")), GbkText("1"));
    ASSERT_TRUE(deleteSection(path(), name));
    EXPECT_EQ(readFile(file()), original);
  }

  const std::string values[] = {"=", "a=b=c", "  two  ", "[x]", "]", ";#"};
  for (const std::string& value : values) {
    ASSERT_TRUE(writeValue(path(), g("边框"), g("所选"), value));
    EXPECT_EQ(readValue(path(), g("边框"), g("所选")).bytes(), value);
  }
  EXPECT_EQ(joinedUtf8(listSections(path())), "行列|边框");
}

TEST_F(IniStoreTest, NamesAndValuesThatWouldBreakTheFileAreRefused) {
  struct Case {
    std::string section, key, value;
  } const cases[] = {
      {"a\r\nk=x", "k", "v"}, {"a\nb", "k", "v"},
      {"a\rb", "k", "v"},     {"", "k", "v"},
      {" \t ", "k", "v"},     {"a\x81", "k", "v"},
      {"s", "a=b", "v"},      {"s", "[k]", "v"},
      {"s", "  [k", "v"},     {"s", "k\n", "v"},
      {"s", "k\x81", "v"},    {"s", "", "v"},
      {"s", "  ", "v"},       {"s", "k", "v\r\n[x]"},
      {"s", "k", "v\r"},      {"s", "k", std::string("v\0w", 3)},
  };
  // Into a missing file: nothing is created.
  for (const Case& c : cases) {
    EXPECT_FALSE(writeValue(path(), c.section, c.key, c.value))
        << utf8(c.section) << " / " << utf8(c.key);
  }
  EXPECT_TRUE(folderNames().empty());

  const std::string original = "[s]\r\nk=1\r\n";
  writeFile(file(), original);
  for (const Case& c : cases) {
    EXPECT_FALSE(writeValue(path(), c.section, c.key, c.value));
  }
  for (const char* name : {"", "  ", "s\r\n", "s\n"}) {
    EXPECT_FALSE(deleteSection(path(), name));
  }
  EXPECT_EQ(readFile(file()), original);
}

// The file is replaced, never rewritten in place: a reader that opened the
// old file still sees it whole, and nothing is left beside the new one.
TEST_F(IniStoreTest, WritesReplaceTheFileAndKeepItsModeAndLinks) {
  writeFile(file(), "[s]\r\nk=1\r\n");
  ::chmod(file().c_str(), 0640);
  std::ifstream oldReader(file(), std::ios::binary);
  ASSERT_TRUE(writeValue(path(), "s", "k", "2"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(oldReader), {}),
            "[s]\r\nk=1\r\n");
  EXPECT_EQ(readFile(file()), "[s]\r\nk=2\r\n");
  EXPECT_EQ(fs::status(file()).permissions(), fs::perms::owner_read |
                                                  fs::perms::owner_write |
                                                  fs::perms::group_read);
  EXPECT_EQ(folderNames(), std::vector<std::string>{"settings.ini"});

  // Through a symbolic link the file it names changes; the link stays.
  fs::create_symlink(file(), file("link.ini"));
  ASSERT_TRUE(writeValue(path("link.ini"), "s", "k", "3"));
  ASSERT_TRUE(deleteSection(path("link.ini"), "none"));
  EXPECT_TRUE(fs::is_symlink(file("link.ini")));
  EXPECT_EQ(readFile(file()), "[s]\r\nk=3\r\n");
}

// A write that cannot complete (here: the file size limit stands in for a
// full disk) fails and leaves the old file whole and no temporary behind.
TEST_F(IniStoreTest, FailedWriteLeavesTheOldFileWhole) {
  const std::string original = "[s]\r\nk=1\r\n";
  writeFile(file(), original);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool wrote = writeValue(path(), "s", "k", std::string(8000, 'x')) ||
                       writeValue(path(), "t", "k", std::string(8000, 'x'));
    ::_exit(wrote ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(readFile(file()), original);
  EXPECT_EQ(folderNames(), std::vector<std::string>{"settings.ini"});

  // A folder that is a file: nothing to create, nothing claimed.
  EXPECT_FALSE(writeValue(GbkText(file().string() + "/x.ini"), "s", "k", "1"));
}

// Two processes that change one file at once: each write is a
// read-modify-write, and without the lock one would undo the other's.
TEST_F(IniStoreTest, TwoWritersAtOnceLoseNothing) {
  constexpr int kWrites = 150;
  const std::string writers[] = {g("甲"), g("乙")};
  std::vector<pid_t> children;
  for (const std::string& who : writers) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) {
        ok &= writeValue(path(), g("自定义"), who + std::to_string(i),
                         std::to_string(i * 7));
        ok &= writeValue(path(), who, "n", std::to_string(i));
      }
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (const std::string& who : writers) {
    for (int i = 0; i < kWrites; ++i) {
      EXPECT_EQ(readValue(path(), g("自定义"), who + std::to_string(i)).bytes(),
                std::to_string(i * 7));
    }
    EXPECT_EQ(readValue(path(), who, "n").bytes(), std::to_string(kWrites - 1));
  }
  EXPECT_EQ(listSections(path()).size(), 3u);
  EXPECT_EQ(folderNames(), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace calvane
