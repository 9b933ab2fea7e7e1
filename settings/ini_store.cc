// The settings store on the file system.
//
// How the store treats what the file format leaves open (the line rules
// themselves are in ini_file.h):
//
//  - Names match byte for byte once blanks (0x01..0x20) are trimmed from
//    both ends: "ABC" and "abc" are two sections, "[  abc ]" and "abc" one.
//    So a border named "  abc", written as "[  abc]" with its blanks kept, is
//    found again by a read, which skips those blanks, and is listed as
//    "  abc".
//  - Values are read and written exactly as they stand after the first "=":
//    a border symbol of two spaces survives, and so does a "=" inside a
//    value. A read stops at a NUL byte in the file (a text never holds one)
//    and after 10,239 bytes.
//  - Refused writes and deletions (the call returns false and the file is
//    not touched): CR, LF or NUL in a section name, key or value; a section
//    name or key that is empty once trimmed; a key with "=" or beginning
//    with "["; a name or key ending in a lone lead byte. A section name with
//    "]" needs no escape (the name runs to the last "]" of its line), nor one
//    with "[" or with leading blanks. Cutting or escaping such names instead
//    would make a stored border come back under another name.
//  - Duplicates: the parts of a section that stands twice read as one
//    section; the first line of a key wins and is the one a write replaces;
//    later copies are kept as they are. A deletion removes every part.
//  - Lines before the first section line, lines that are neither section
//    nor key lines, a UTF-8 byte-order mark and any damage are kept byte for
//    byte by every write; only the line of the key being written (or the
//    lines of the section being deleted) change.
//  - A new key goes after the last key of its section's first part, a new
//    section at the end of the file; new lines end like the file's first
//    line (CR LF in a new file, as the files have always been written).
//  - A write that changes nothing leaves the file alone.
//  - The listing leaves out the names no read can reach (empty once trimmed
//    or holding NUL) instead of ending at them, so a damaged section line
//    does not hide every border after it.
#include "settings/ini_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/locked_file.h"
#include "text/gbk_codec.h"

namespace calvane {
namespace {

std::string_view skipLeadingBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) >= 0x01 &&
         static_cast<unsigned char>(s[i]) <= 0x20) {
    ++i;
  }
  return s.substr(i);
}

std::string fileName(std::string_view path) { return gbkToUtf8(path); }

}  // namespace

GbkText readValue(std::string_view path, std::string_view section,
                  std::string_view key) {
  path = skipLeadingBlanks(path);
  section = skipLeadingBlanks(section);
  key = skipLeadingBlanks(key);
  if (path.empty() || section.empty() || key.empty()) return GbkText();
  const std::optional<std::string> bytes = readWholeFile(fileName(path));
  if (!bytes) return GbkText();
  const std::optional<std::string_view> value =
      findIniValue(*bytes, section, key);
  if (!value) return GbkText();
  std::string_view text = value->substr(0, value->find('\0'));
  return GbkText(text.substr(0, kValueBufferBytes - 1));
}

bool writeValue(std::string_view path, std::string_view section,
                std::string_view key, std::string_view value) {
  if (!iniCanHoldSection(section) || !iniCanHoldKey(key) ||
      !iniCanHoldValue(value)) {
    return false;
  }
  return editFileLocked(fileName(path), /*create=*/true,
                        [&](std::string_view contents) {
                          return withIniValue(contents, section, key, value);
                        }) == EditOutcome::kDone;
}

bool deleteSection(std::string_view path, std::string_view section) {
  if (!iniCanHoldSection(section)) return false;
  const EditOutcome outcome = editFileLocked(
      fileName(path), /*create=*/false, [&](std::string_view contents) {
        return withoutIniSection(contents, section);
      });
  return outcome == EditOutcome::kDone || outcome == EditOutcome::kMissing;
}

TextList listSections(std::string_view path) {
  TextList names;
  const std::optional<std::string> bytes = readWholeFile(fileName(path));
  if (!bytes) return names;
  std::size_t used = 1;  // the NUL that closes the list
  for (std::string_view name : iniSectionNames(*bytes)) {
    used += name.size() + 1;
    if (used > kSectionListBufferBytes) break;
    names.emplace_back(name);
  }
  return names;
}

}  // namespace calvane
