// calvane-convert end to end: the binary is run with its standard input,
// output and error in files, as a user's shell would run it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "gtest/gtest.h"
#include "tests/core/test_util.h"

extern char** environ;

namespace calvane {
namespace {

namespace fs = std::filesystem;
using testing::gbk;
using testing::readFile;

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

void writeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The lines, each ended by "\r\n" as every line of a page text is.
std::string lines(std::initializer_list<std::string_view> ls) {
  std::string s;
  for (std::string_view l : ls) (s += l) += "\r\n";
  return s;
}

// The names in a folder, to see that a failed run left nothing behind.
std::vector<std::string> listFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ConvertCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(testing::makeTempFolder("calvane-cli-", &root_));
    fs::create_directory(root_ / "io");
    fs::create_directory(work());
  }
  void TearDown() override { fs::remove_all(root_); }

  // The folder the tests put their input and output files in.
  fs::path work() const { return root_ / "work"; }

  // Runs the converter with args and input on its standard input; standard
  // output goes to stdoutPath when one is given.
  CliResult run(const std::vector<std::string>& args, std::string_view input = {},
          const fs::path& stdoutPath = {}) {
    const fs::path in = root_ / "io" / "stdin";
    const fs::path out = stdoutPath.empty() ? root_ / "io" / "stdout"
                                            : stdoutPath;
    const fs::path err = root_ / "io" / "stderr";
    writeFile(in, input);
    std::vector<std::string> all = {CALVANE_CONVERT_BINARY};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    CliResult r;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr,
                                    argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << argv[0];
      return r;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (stdoutPath.empty()) r.out = readFile(out);
    r.err = readFile(err);
    return r;
  }

  fs::path root_;
};

// The layout every line-break form of the same two paragraphs must give:
// 一二三四五 fills column one and two rows of column two; 六 starts page two.
const std::string kTwoParagraphPages = lines({
    "╔═╤═╗", "║四│一║", "║五│二║", "║　│三║", "╚═╧═╝",
    "╔═╤═╗", "║　│六║", "║　│　║", "║　│　║", "╚═╧═╝",
});

TEST_F(ConvertCliTest, EveryLineBreakFormEndsAParagraph) {
  const std::vector<std::string> shape = {"--columns", "2", "--chars", "3"};
  const struct {
    const char* name;
    std::string_view input;
  } cases[] = {
      {"LF", "一二三四五\n六"},
      {"CR LF, trailing line break", "一二三四五\r\n六\r\n"},
      {"lone CR", "一二三四五\r六"},
      {"byte order mark dropped", "\xEF\xBB\xBF一二三四五\n六\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult r = run(shape, c.input);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kTwoParagraphPages);
    EXPECT_EQ(r.err, "");
  }

  // GBK in, GBK out: the same pages, byte for byte.
  std::vector<std::string> args = shape;
  args.insert(args.end(), {"--encoding", "gbk"});
  const CliResult r = run(args, gbk("一二三四五\r\n六").view());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, gbk(kTwoParagraphPages).view());
}

TEST_F(ConvertCliTest, GbkInputIsTakenAsItStands) {
  // A lone LF is no paragraph end in GBK input: it takes one blank cell and
  // 二 stays in the first column. UTF-8 input turns it into a line break.
  const GbkText input = gbk("一\n二");
  const std::vector<std::string> shape = {"--columns", "2", "--chars", "3"};
  std::vector<std::string> gbkArgs = shape;
  gbkArgs.insert(gbkArgs.end(), {"--encoding", "gbk"});

  const CliResult asGbk = run(gbkArgs, input.view());
  EXPECT_EQ(asGbk.exitCode, 0);
  EXPECT_EQ(asGbk.out,
            gbk(lines({"╔═╤═╗", "║　│一║", "║　│　║", "║　│二║", "╚═╧═╝"}))
                .view());

  const CliResult asUtf8 = run(shape, "一\n二");
  EXPECT_EQ(asUtf8.out,
            lines({"╔═╤═╗", "║二│一║", "║　│　║", "║　│　║", "╚═╧═╝"}));
}

TEST_F(ConvertCliTest, BothEncodingsGiveTheSamePages) {
  // The sample poem with the border whose corners (卐, GBK 85 65) carry the
  // byte of an ASCII "e": both ways must agree byte for byte.
  const std::string sample = readFile(CALVANE_TEST_DATA_DIR "/sample.txt");
  std::string crlf;
  for (char c : sample) c == '\n' ? (void)(crlf += "\r\n") : (void)(crlf += c);

  const CliResult utf8 = run({"--border", "默认3", "--columns", "3"}, sample);
  const CliResult asGbk = run({"--border", "默认3", "--columns", "3", "--encoding",
                         "gbk"},
                        gbk(crlf).view());
  ASSERT_EQ(utf8.exitCode, 0);
  ASSERT_EQ(asGbk.exitCode, 0);
  EXPECT_EQ(asGbk.out, gbk(utf8.out).view());
  EXPECT_EQ(testing::utf8(asGbk.out), utf8.out);
}

TEST_F(ConvertCliTest, SampleTextWithTheDefaults) {
  // Ten columns of ten characters with "默认1": the title, the poet and the
  // forty characters of the poem's line take six columns of one page.
  const CliResult r = run({CALVANE_TEST_DATA_DIR "/sample.txt"});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  std::vector<std::string> got;
  std::istringstream in(r.out);
  for (std::string l; std::getline(in, l);) got.push_back(l);
  ASSERT_EQ(got.size(), 12u);
  EXPECT_EQ(got[0], "╔═╤═╤═╤═╤═╤═╤═╤═╤═╤═╗\r");
  EXPECT_EQ(got[1], "║　│　│　│　│发│君│来│君│李│将║\r");
  EXPECT_EQ(got[11], "╚═╧═╧═╧═╧═╧═╧═╧═╧═╧═╝\r");
}

TEST_F(ConvertCliTest, BorderChoice) {
  // Two characters in two columns of one row: 甲 in the right column.
  const struct {
    std::vector<std::string> args;
    std::string pages;
  } cases[] = {
      {{}, lines({"╔═╤═╗", "║乙│甲║", "╚═╧═╝"})},
      {{"--border", "默认2"}, lines({"┏━┯━┓", "┃乙│甲┃", "┗━┷━┛"})},
      {{"--border=默认3"}, lines({"卐━┯━卐", "│乙┆甲│", "卐━┷━卐"})},
      // One-byte symbols are drawn as they stand; the characters still
      // land in the content cells.
      {{"--border-text", "+ - * | : | # = % ^ v"},
       lines({"+-^-*", "|乙:甲|", "#=v=%"})},
      {{"--border", "默认2", "--border-text",
        "╔ ═ ╗ ║ │ ║ ╚ ═ ╝ ╤ ╧ surplus parts"},
       lines({"╔═╤═╗", "║乙│甲║", "╚═╧═╝"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::vector<std::string> args = {"--columns", "2", "--chars", "1"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CliResult r = run(args, "甲乙");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.pages);
  }
}

TEST_F(ConvertCliTest, TraditionalRunsBeforeTheCharacterTable) {
  // “ becomes 『 first, which the table then turns into ﹃; without the
  // option “ becomes ﹁.
  const auto column = [](std::string_view a, std::string_view b,
                         std::string_view c, std::string_view d,
                         std::string_view e) {
    auto row = [](std::string_view ch) { return "║" + std::string(ch) + "║"; };
    return lines({"╔═╗", row(a), row(b), row(c), row(d), row(e), "╚═╝"});
  };
  const std::string traditional = column("﹃", "這", "個", "書", "﹄");
  const std::string simplified = column("﹁", "这", "个", "书", "﹂");
  const std::vector<std::string> shape = {"--columns", "1", "--chars", "5"};

  struct Case {
    std::vector<std::string> extra;
    bool gbkMode;
    std::string pages;
  };
  for (const Case& c : {Case{{"--traditional"}, false, traditional},
                        Case{{"--traditional", "--encoding", "gbk"}, true,
                             traditional},
                        Case{{}, false, simplified}}) {
    SCOPED_TRACE(::testing::PrintToString(c.extra));
    std::vector<std::string> args = shape;
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    const std::string input = "“这个书”";
    const CliResult r = run(args, c.gbkMode ? gbk(input).bytes() : input);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.gbkMode ? gbk(c.pages).bytes() : c.pages);
  }
}

TEST_F(ConvertCliTest, ReplacedCharactersAreCountedInOneWarning) {
  // An emoji, the euro sign (a single byte in code page 936) and U+0000.
  const CliResult r = run({"--columns", "1", "--chars", "5"},
                    std::string("中😀文€\0", 14));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, lines({"╔═╗", "║中║", "║〓║", "║文║", "║〓║", "║〓║",
                          "╚═╝"}));
  EXPECT_EQ(r.err, "警告：有3个字符无法用GBK表示，已换成〓。\n");
}

TEST_F(ConvertCliTest, RefusedInputLeavesTheOutputFileUntouched) {
  const struct {
    std::vector<std::string> args;
    std::string input;
    std::string message;  // the whole of standard error
  } cases[] = {
      {{"--columns", "0"}, "中", "竖行数不能小于1！"},
      {{"--columns", "abc", "--chars", "0"}, "中", "竖行数不能小于1！"},
      // Passes the 1e-7 tolerance but truncates to 0.
      {{"--columns", "0.99999995"}, "中", "竖行数不能小于1！"},
      // 2^32 + 1 would wrap around to one column; no such page fits.
      {{"--columns", "4294967297"}, "中", "页面太大，请减少竖行数或每竖行字数！"},
      {{"--columns", "0"}, "", "竖行数不能小于1！"},
      {{"--chars", "0.5"}, "中", "每竖行字数不能小于1！"},
      {{}, "", "请在上面输入要转换的文本！"},
      {{"--encoding", "gbk"}, "", "请在上面输入要转换的文本！"},
      {{"--border-text", "╔ ═ ╗ ║ │ ║ ╚ ═ ╝ ╤"}, "中",
       "所选边框的设置不完整，请重新选择边框！"},
      {{"--border-text", ""}, "中", "所选边框的设置不完整，请重新选择边框！"},
      {{"--columns", "100000", "--chars", "100000"}, "中",
       "页面太大，请减少竖行数或每竖行字数！"},
      {{"--encoding", "gbk"}, std::string("\xD6\xD0\0", 3),
       "输入的第3个字节是零字节，这不是GBK文本，无法转换！"},
  };
  const fs::path target = work() / "pages.txt";
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + " on " +
                 ::testing::PrintToString(c.input));
    writeFile(target, "earlier pages");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", target.string()});
    const CliResult r = run(args, c.input);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(target), "earlier pages");
    EXPECT_EQ(listFolder(work()), std::vector<std::string>{"pages.txt"});
  }
}

TEST_F(ConvertCliTest, UsageErrors) {
  const std::vector<std::string> cases[] = {
      {"--bogus"},
      {"--columns"},
      {"-o"},
      {"-o", ""},
      {"a.txt", "b.txt"},
      {"--encoding", "latin1"},
      {"--border", "默认4"},
      {"--border", "默认1 "},
      {"--traditional=yes"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const CliResult r = run(args, "中");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("用法：calvane-convert"), std::string::npos) << r.err;
  }

  const CliResult help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.starts_with("用法：calvane-convert")) << help.out;
  EXPECT_EQ(help.err, "");
}

TEST_F(ConvertCliTest, FilesInAndOut) {
  const fs::path input = work() / "in.txt";
  const fs::path output = work() / "out.txt";
  writeFile(input, "甲乙");
  const std::string pages = lines({"╔═╤═╗", "║乙│甲║", "╚═╧═╝"});
  const std::vector<std::string> shape = {"--columns", "2", "--chars", "1"};

  // A file in, a new file and then an existing one out.
  for (int i = 0; i < 2; ++i) {
    std::vector<std::string> args = shape;
    args.insert(args.end(), {"-o", output.string(), input.string()});
    const CliResult r = run(args, "standard input is not read");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(output), pages);
  }
  EXPECT_EQ(listFolder(work()), (std::vector<std::string>{"in.txt",
                                                          "out.txt"}));

  // Files that cannot be read or written: a message naming the file,
  // exit 1, and no file made or changed.
  fs::remove(output);
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string named;
  } failures[] = {
      {"missing input", {(work() / "none.txt").string(), "-o",
                         output.string()}, "none.txt"},
      {"input is a folder", {work().string(), "-o", output.string()},
       work().string()},
      {"output folder missing", {input.string(), "-o",
                                 (work() / "no" / "out.txt").string()},
       "out.txt"},
      {"output is a folder", {input.string(), "-o", work().string()},
       work().string()},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.name);
    const CliResult r = run(f.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(f.named), std::string::npos) << r.err;
    EXPECT_EQ(listFolder(work()), std::vector<std::string>{"in.txt"});
  }

  // Standard output that cannot take the pages is a failure, not success.
  const CliResult full = run({input.string()}, {}, "/dev/full");
  EXPECT_EQ(full.exitCode, 1);
  EXPECT_NE(full.err.find("标准输出"), std::string::npos) << full.err;
}

}  // namespace
}  // namespace calvane
