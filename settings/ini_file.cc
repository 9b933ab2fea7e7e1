#include "settings/ini_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace calvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\r\n";

bool isBlank(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x01 && b <= 0x20;
}

bool isLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

std::size_t skipBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  return i;
}

// Steps from the character at i to the next one; a lone lead byte at the end
// is one character of its own.
std::size_t nextCharacter(std::string_view s, std::size_t i) {
  return isLead(s[i]) && i + 1 < s.size() ? i + 2 : i + 1;
}

bool holdsLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

// The line end every new line gets: that of the file's first ended line.
std::string_view lineEndOf(const IniFile& file) {
  for (const IniLine& line : file.lines) {
    if (!line.end.empty()) return line.end;
  }
  return kDefaultLineEnd;
}

std::size_t offsetIn(std::string_view whole, std::string_view part) {
  return static_cast<std::size_t>(part.data() - whole.data());
}

std::string spliced(std::string_view bytes, std::size_t at, std::size_t removed,
                    std::string_view inserted) {
  std::string out;
  out.reserve(bytes.size() - removed + inserted.size());
  out.append(bytes.substr(0, at));
  out.append(inserted);
  out.append(bytes.substr(at + removed));
  return out;
}

}  // namespace

std::string_view trimIniBlanks(std::string_view name) {
  name.remove_prefix(skipBlanks(name));
  while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
  return name;
}

bool sameIniName(std::string_view a, std::string_view b) {
  return trimIniBlanks(a) == trimIniBlanks(b);
}

IniLine classifyIniLine(std::string_view content) {
  IniLine line;
  line.content = content;
  const std::size_t start = skipBlanks(content);
  if (start < content.size() && content[start] == '[') {
    std::size_t close = content.npos;
    for (std::size_t i = start + 1; i < content.size();
         i = nextCharacter(content, i)) {
      if (content[i] == ']') close = i;
    }
    if (close != content.npos) {
      line.kind = IniLineKind::kSection;
      line.name = content.substr(start + 1, close - start - 1);
      return line;
    }
  }
  for (std::size_t i = start; i < content.size();
       i = nextCharacter(content, i)) {
    if (content[i] == '=') {
      line.kind = IniLineKind::kKey;
      line.name = content.substr(0, i);
      line.value = content.substr(i + 1);
      return line;
    }
  }
  return line;
}

IniFile parseIni(std::string_view bytes) {
  IniFile file;
  if (bytes.starts_with(kByteOrderMark)) {
    file.byteOrderMark = bytes.substr(0, kByteOrderMark.size());
    bytes.remove_prefix(kByteOrderMark.size());
  }
  while (!bytes.empty()) {
    const std::size_t brk = bytes.find_first_of("\r\n");
    std::size_t endSize = 0;
    if (brk != bytes.npos) {
      endSize =
          bytes[brk] == '\r' && brk + 1 < bytes.size() && bytes[brk + 1] == '\n'
              ? 2
              : 1;
    }
    const std::size_t contentSize = brk == bytes.npos ? bytes.size() : brk;
    IniLine line = classifyIniLine(bytes.substr(0, contentSize));
    line.end = bytes.substr(contentSize, endSize);
    file.lines.push_back(line);
    bytes.remove_prefix(contentSize + endSize);
  }
  return file;
}

bool iniCanHoldSection(std::string_view name) {
  // A trailing lone lead byte would swallow the "]": the check below sees it.
  if (holdsLineBreakOrNul(name) || trimIniBlanks(name).empty()) return false;
  const std::string line = "[" + std::string(name) + "]";
  const IniLine parsed = classifyIniLine(line);
  return parsed.kind == IniLineKind::kSection && parsed.name == name;
}

bool iniCanHoldKey(std::string_view key) {
  if (holdsLineBreakOrNul(key) || trimIniBlanks(key).empty() ||
      trimIniBlanks(key).front() == '[') {
    return false;
  }
  const std::string line = std::string(key) + "=";
  const IniLine parsed = classifyIniLine(line);
  return parsed.kind == IniLineKind::kKey && parsed.name == key;
}

bool iniCanHoldValue(std::string_view value) {
  return !holdsLineBreakOrNul(value);
}

std::optional<std::string_view> findIniValue(std::string_view bytes,
                                             std::string_view section,
                                             std::string_view key) {
  bool inSection = false;
  for (const IniLine& line : parseIni(bytes).lines) {
    if (line.kind == IniLineKind::kSection) {
      inSection = sameIniName(line.name, section);
    } else if (inSection && line.kind == IniLineKind::kKey &&
               sameIniName(line.name, key)) {
      return line.value;
    }
  }
  return std::nullopt;
}

std::vector<std::string_view> iniSectionNames(std::string_view bytes) {
  std::vector<std::string_view> names;
  std::unordered_set<std::string_view> seen;
  for (const IniLine& line : parseIni(bytes).lines) {
    if (line.kind != IniLineKind::kSection) continue;
    const std::string_view trimmed = trimIniBlanks(line.name);
    if (trimmed.empty() || trimmed.find('\0') != trimmed.npos) continue;
    if (seen.insert(trimmed).second) names.push_back(line.name);
  }
  return names;
}

std::optional<std::string> withIniValue(std::string_view bytes,
                                        std::string_view section,
                                        std::string_view key,
                                        std::string_view value) {
  if (!iniCanHoldSection(section) || !iniCanHoldKey(key) ||
      !iniCanHoldValue(value)) {
    return std::nullopt;
  }
  const IniFile file = parseIni(bytes);
  bool inSection = false;
  bool inFirstPart = false;
  const IniLine* insertAfter = nullptr;  // in the first part of the section
  for (const IniLine& line : file.lines) {
    if (line.kind == IniLineKind::kSection) {
      inSection = sameIniName(line.name, section);
      inFirstPart = inSection && insertAfter == nullptr;
      if (inFirstPart) insertAfter = &line;
    } else if (inSection && line.kind == IniLineKind::kKey) {
      if (sameIniName(line.name, key)) {
        if (line.value == value) return std::string(bytes);
        return spliced(bytes, offsetIn(bytes, line.value), line.value.size(),
                       value);
      }
      if (inFirstPart) insertAfter = &line;
    }
  }

  std::string added;
  std::size_t at = bytes.size();
  std::string_view lineEnd = lineEndOf(file);
  if (insertAfter != nullptr) {
    at = offsetIn(bytes, insertAfter->end) + insertAfter->end.size();
    // A lone CR right before an empty LF line would join it into one CR LF.
    if (lineEnd == "\r" && at < bytes.size() && bytes[at] == '\n') {
      lineEnd = kDefaultLineEnd;
    }
  }
  // Only the very last line can lack its line end.
  const bool lastLineOpen = at == bytes.size() && !file.lines.empty() &&
                            file.lines.back().end.empty();
  if (lastLineOpen) added.append(lineEnd);
  if (insertAfter == nullptr) {
    added.append("[").append(section).append("]").append(lineEnd);
  }
  added.append(key).append("=").append(value).append(lineEnd);
  return spliced(bytes, at, 0, added);
}

std::optional<std::string> withoutIniSection(std::string_view bytes,
                                             std::string_view section) {
  if (!iniCanHoldSection(section)) return std::nullopt;
  const IniFile file = parseIni(bytes);
  std::string out(file.byteOrderMark);
  out.reserve(bytes.size());
  bool dropping = false;
  for (const IniLine& line : file.lines) {
    if (line.kind == IniLineKind::kSection) {
      dropping = sameIniName(line.name, section);
    }
    if (!dropping) out.append(line.content).append(line.end);
  }
  return out;
}

}  // namespace calvane
