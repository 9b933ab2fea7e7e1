// calvane-convert: the command-line converter. Reads a horizontal text from
// a file or standard input and writes its framed vertical pages to a file or
// standard output, with the same text steps and the same refusals as the
// window.
//
//   calvane-convert [--columns TEXT] [--chars TEXT] [--border NAME]
//                   [--border-text TEXT] [--traditional]
//                   [--encoding utf-8|gbk] [-o FILE] [FILE]
//
// Command-line arguments are UTF-8 and become GBK before the core sees them.
// With --encoding utf-8 (the default) the input is decoded (one leading byte
// order mark dropped), every LF, CR LF or lone CR becomes "\r\n", and the
// page text is written back as UTF-8; characters GBK cannot hold become "〓"
// and are counted in one warning. With --encoding gbk the input bytes are the
// source text as they stand and the output is the page text's own bytes; a
// 0x00 byte cannot be part of a GBK text, so such an input is refused.
//
// Exit status: 0 done; 1 a file could not be read or written; 2 a usage
// error or a refused input. On any failure an existing output file is left
// as it was: the pages go to a temporary file beside it that is renamed into
// place only when complete.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "text/gbk_codec.h"
#include "text/gbk_text.h"

namespace calvane {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFileError = 1;
constexpr int kExitRefused = 2;

constexpr std::string_view kUsage =
    "用法：calvane-convert [--columns TEXT] [--chars TEXT] [--border NAME]\n"
    "                      [--border-text TEXT] [--traditional]\n"
    "                      [--encoding utf-8|gbk] [-o FILE] [FILE]\n"
    "\n"
    "把横排的中文文本排成带边框的竖排页面。\n"
    "从 FILE 读入（没有 FILE 或 FILE 为 - 时读标准输入），\n"
    "写到 -o FILE（没有 -o 时写标准输出）。\n"
    "\n"
    "  --columns TEXT      每页竖行数（默认 10）\n"
    "  --chars TEXT        每竖行字数（默认 10）\n"
    "  --border NAME       边框：默认1、默认2 或 默认3（默认 默认1）\n"
    "  --border-text TEXT  边框的十一个符号，以单个空格分隔；优先于 --border\n"
    "  --traditional       先把简体字转换为繁体字\n"
    "  --encoding ENC      输入和输出的编码：utf-8（默认）或 gbk\n"
    "                      utf-8：换行统一为 CR LF，GBK 无法表示的字符换成〓；\n"
    "                      gbk：按原样读写字节，含零字节的输入被拒绝\n"
    "  -o FILE             输出文件；失败时原有文件保持不变\n"
    "  -h, --help          显示本说明\n"
    "\n"
    "退出码：0 完成；1 文件无法读取或写入；2 用法错误或输入被拒绝。\n";

enum class Encoding { kUtf8, kGbk };

struct Options {
  std::string columns = "10";
  std::string chars = "10";
  std::string border = "默认1";
  std::optional<std::string> borderText;
  bool traditional = false;
  Encoding encoding = Encoding::kUtf8;
  std::optional<std::string> outputPath;
  std::optional<std::string> inputPath;  // nothing: standard input
  bool help = false;
};

// Writes all of bytes to fd, retrying short writes and interruptions.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void printError(std::string_view utf8Line) {
  std::string line(utf8Line);
  line += '\n';
  (void)writeAll(STDERR_FILENO, line);
}

// A message of the conversion (GBK), as a line on standard error.
void printRefusal(std::string_view gbkMessage) {
  printError(gbkToUtf8(gbkMessage));
}

[[nodiscard]] int usageError(std::string_view what) {
  printError("calvane-convert：" + std::string(what));
  (void)writeAll(STDERR_FILENO, kUsage);
  return kExitRefused;
}

[[nodiscard]] std::string quoted(std::string_view s) {
  return "“" + std::string(s) + "”";
}

// The options, or the reason the command line is not understood. Options
// with a value take it from the next argument or after "=" ("--chars=5");
// a value may begin with "-", so "--columns -1" reaches the columns check.
[[nodiscard]] std::variant<Options, std::string> parseArguments(int argc,
                                                                char** argv) {
  Options o;
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
      if (o.inputPath) return "只能给出一个输入文件";
      o.inputPath = std::string(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      o.help = true;
    } else if (arg == "--traditional") {
      o.traditional = true;
    } else {
      std::string_view name = arg;
      std::optional<std::string_view> value;
      if (const auto eq = arg.find('=');
          arg.starts_with("--") && eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        value = arg.substr(eq + 1);
      }
      if (name != "--columns" && name != "--chars" && name != "--border" &&
          name != "--border-text" && name != "--encoding" && name != "-o") {
        return "未知的选项" + quoted(name);
      }
      if (!value) {
        if (i + 1 >= argc) return "选项" + quoted(name) + "缺少参数";
        value = argv[++i];
      }
      if (name == "--columns") {
        o.columns = *value;
      } else if (name == "--chars") {
        o.chars = *value;
      } else if (name == "--border") {
        o.border = *value;
      } else if (name == "--border-text") {
        o.borderText = std::string(*value);
      } else if (name == "-o") {
        if (value->empty()) return "输出文件名不能为空";
        o.outputPath = std::string(*value);
      } else if (*value == "utf-8" || *value == "UTF-8") {
        o.encoding = Encoding::kUtf8;
      } else if (*value == "gbk" || *value == "GBK") {
        o.encoding = Encoding::kGbk;
      } else {
        return "未知的编码" + quoted(*value) + "，请用 utf-8 或 gbk";
      }
    }
  }
  return o;
}

// Reads the whole file at path (standard input when there is none or it is
// "-") into bytes; on failure returns a message naming what went wrong.
[[nodiscard]] std::optional<std::string> readInput(
    const std::optional<std::string>& path, std::string& bytes) {
  const bool fromStdin = !path || *path == "-";
  const std::string name = fromStdin ? "标准输入" : "文件" + quoted(*path);
  const int fd = fromStdin ? STDIN_FILENO : ::open(path->c_str(), O_RDONLY);
  if (fd < 0) return "无法打开" + name + "：" + std::strerror(errno);
  char buffer[1 << 16];
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  if (!fromStdin) ::close(fd);
  if (error != 0) return "无法读取" + name + "：" + std::strerror(error);
  return std::nullopt;
}

// Every LF, CR LF and lone CR as "\r\n". Safe on UTF-8 bytes: neither byte
// occurs inside a multi-byte sequence.
[[nodiscard]] std::string toCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

// Writes bytes to a temporary file beside path and renames it over path, so
// path holds either its old content or all of bytes. A symbolic link at path
// keeps pointing where it did: its target is replaced. On failure returns
// the message and leaves no temporary file behind.
[[nodiscard]] std::optional<std::string> replaceFile(const std::string& path,
                                                     std::string_view bytes) {
  const std::string name = "文件" + quoted(path);
  std::string target = path;
  mode_t mode = 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return "无法写入" + name + "：它是一个文件夹";
    // Renaming would get past a write-protected file; refuse as open would.
    if (::access(path.c_str(), W_OK) != 0) {
      return "无法写入" + name + "：" + std::strerror(errno);
    }
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  const std::size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base =
      slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp = (slash == std::string::npos ? std::string() : folder) +
                     "." + base + ".calvane-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return "无法写入" + name + "：" + std::strerror(errno);
  int error = 0;
  if (!writeAll(fd, bytes) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(temp.c_str());
    return "无法写入" + name + "：" + std::strerror(error);
  }
  return std::nullopt;
}

int run(int argc, char** argv) {
  auto parsed = parseArguments(argc, argv);
  if (auto* problem = std::get_if<std::string>(&parsed)) {
    return usageError(*problem);
  }
  const Options& o = std::get<Options>(parsed);
  if (o.help) {
    return writeAll(STDOUT_FILENO, kUsage) ? kExitDone : kExitFileError;
  }

  int64_t replaced = 0;
  // A border given as text stands where a custom border would: after the
  // built-ins.
  int32_t borderPosition = static_cast<int32_t>(builtInBorders().size());
  GbkText borderText;
  if (o.borderText) {
    EncodeResult encoded = utf8ToGbk(*o.borderText);
    replaced += encoded.replaced;
    borderText = std::move(encoded.text);
  } else {
    const GbkText name = utf8ToGbk(o.border).text;
    const auto& builtIns = builtInBorders();
    borderPosition = -1;
    for (std::size_t i = 0; i < builtIns.size(); ++i) {
      if (builtIns[i].name == name) {
        borderPosition = static_cast<int32_t>(i);
        borderText = builtIns[i].text;
      }
    }
    if (borderPosition < 0) {
      return usageError("没有名为" + quoted(o.border) +
                        "的边框，请选择默认1、默认2或默认3");
    }
  }

  const auto shape =
      readPageShape(utf8ToGbk(o.columns).text, utf8ToGbk(o.chars).text);
  if (const auto* refusal = std::get_if<Refusal>(&shape)) {
    printRefusal(refusal->message);
    return kExitRefused;
  }

  std::string raw;
  if (auto problem = readInput(o.inputPath, raw)) {
    printError("calvane-convert：" + *problem);
    return kExitFileError;
  }

  GbkText source;
  if (o.encoding == Encoding::kGbk) {
    if (const std::size_t nul = raw.find('\0'); nul != std::string::npos) {
      printError("输入的第" + std::to_string(nul + 1) +
                 "个字节是零字节，这不是GBK文本，无法转换！");
      return kExitRefused;
    }
    source = GbkText(std::move(raw));
  } else {
    std::string_view text = raw;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    EncodeResult encoded = utf8ToGbk(toCrLf(text));
    replaced += encoded.replaced;
    source = std::move(encoded.text);
  }
  if (source.empty()) {
    printRefusal(messages::kSourceEmpty);
    return kExitRefused;
  }

  const auto border = readBorderSet(borderPosition, borderText);
  if (const auto* refusal = std::get_if<Refusal>(&border)) {
    printRefusal(refusal->message);
    return kExitRefused;
  }

  ConversionResult result =
      convertToPages(source, o.traditional, std::get<PageShape>(shape),
                     std::get<BorderSet>(border), [] { return true; });
  if (result.outcome == ConversionResult::Outcome::kTooLarge) {
    printRefusal(messages::kPagesTooLarge);
    return kExitRefused;
  }
  // The hook never asks to stop, so the pages are complete here.

  std::string pages = o.encoding == Encoding::kGbk
                          ? std::move(result.pages).release()
                          : gbkToUtf8(result.pages);
  if (o.outputPath) {
    if (auto problem = replaceFile(*o.outputPath, pages)) {
      printError("calvane-convert：" + *problem);
      return kExitFileError;
    }
  } else if (!writeAll(STDOUT_FILENO, pages)) {
    printError("calvane-convert：无法写入标准输出：" +
               std::string(std::strerror(errno)));
    return kExitFileError;
  }
  if (replaced > 0) {
    printError("警告：有" + std::to_string(replaced) +
               "个字符无法用GBK表示，已换成〓。");
  }
  return kExitDone;
}

}  // namespace
}  // namespace calvane

int main(int argc, char** argv) { return calvane::run(argc, argv); }
