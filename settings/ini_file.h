// The bytes of an INI file as lines, and the pure lookups and edits the
// settings store (ini_store.h) makes on them. Nothing here touches a file.
//
// Lines: a file is cut into lines at LF, CR LF or a lone CR, looked for byte
// by byte (no GBK trail byte is below 0x40, so this never cuts a character of
// well-formed text). Every line keeps its own line end, so the lines put
// together again give the file byte for byte. A UTF-8 byte-order mark at the
// very start is kept and otherwise ignored.
//
// What a line is, after its leading blanks (bytes 0x01..0x20) are skipped:
//  - a section line when it starts with "[" and a "]" follows at a character
//    boundary; the name is every byte between the "[" and the LAST such "]",
//    so a name may itself hold "]"; bytes after that "]" are ignored;
//  - otherwise a key line when it holds "=" at a character boundary; the key
//    is every byte before the first such "=", the value every byte after it,
//    exactly as they stand (no trimming, no quotes, no escapes);
//  - otherwise another line (blank, comment, damage): kept, never read.
// Character boundaries are those of gbk_text.h: a byte 0x80..0xFF takes the
// byte after it within the line as its trail byte, so the "]" or "=" inside
// a two-byte character is not a bracket or an equals sign.
//
// Lines before the first section line belong to no section and are never
// read or changed. Names (sections and keys) match when they are equal byte
// for byte once blanks (0x01..0x20) are trimmed from both ends: letter case
// counts, blanks around a name do not. A section that stands more than once
// is read as one section, its parts in file order; within it the first line
// of a key wins, and that line is the one a write replaces.
//
// A NUL byte in a file is kept like any other; a name holding one matches no
// argument and is not listed, and a value holding one reads up to it (the
// store cuts it there).
//
// Thread-safe: pure functions of their arguments.
#ifndef CALVANE_SETTINGS_INI_FILE_H_
#define CALVANE_SETTINGS_INI_FILE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

enum class IniLineKind { kSection, kKey, kOther };

// One line; every view points into the bytes that were parsed.
struct IniLine {
  std::string_view content;  // the line without its line end
  std::string_view end;      // "\r\n", "\n", "\r", or "" for a last line
  IniLineKind kind = IniLineKind::kOther;
  std::string_view name;   // the section name, or the key as it stands
  std::string_view value;  // key lines: everything after the first "="
};

struct IniFile {
  std::string_view byteOrderMark;  // "\xEF\xBB\xBF" or ""
  std::vector<IniLine> lines;
};

// The lines of bytes. The result points into bytes, which must outlive it.
[[nodiscard]] IniFile parseIni(std::string_view bytes);

// What one line is (content holds no line end).
[[nodiscard]] IniLine classifyIniLine(std::string_view content);

// name without its leading and trailing bytes 0x01..0x20.
[[nodiscard]] std::string_view trimIniBlanks(std::string_view name);

// Whether two section or key names are the same name (see above).
[[nodiscard]] bool sameIniName(std::string_view a, std::string_view b);

// Whether a name or value can be written so that it reads back exactly and
// leaves every other line as it is. Refused: CR, LF and NUL anywhere; a
// section name or key that is empty once trimmed of blanks (no read could
// reach it); a section name or key whose last byte is a lone lead byte (it
// would swallow the "]" or "=" after it); a key holding "=" or beginning,
// after its blanks, with "[" (the line would read as a section). Everything
// else is written as it stands: a section name with "]" or "[" or leading
// blanks, a value with "=" or with blanks at either end.
[[nodiscard]] bool iniCanHoldSection(std::string_view name);
[[nodiscard]] bool iniCanHoldKey(std::string_view key);
[[nodiscard]] bool iniCanHoldValue(std::string_view value);

// The value of key in section, exactly as it stands (it may hold NUL bytes),
// or nullopt when there is no such key line.
[[nodiscard]] std::optional<std::string_view> findIniValue(
    std::string_view bytes, std::string_view section, std::string_view key);

// The names of the sections in file order, each as it stands between its
// brackets, a name listed once at its first place. Names that no argument can
// reach (empty once trimmed, or holding NUL) are left out.
[[nodiscard]] std::vector<std::string_view> iniSectionNames(
    std::string_view bytes);

// bytes with key in section set to value; nullopt when a name or the value
// is refused (iniCanHold*). An existing key line keeps everything up to and
// including its "=" and its line end; only the value changes. A new key goes
// after the last key line of the section's first part (or right after its
// section line); a new section goes at the end of the file. New lines end as
// the file's first line does (CR LF in a file that has no line end yet, and
// where a lone CR would join the LF of an empty line after it into one line
// end), and a last line without a line end gets one before anything is added
// after it. No other byte changes.
[[nodiscard]] std::optional<std::string> withIniValue(std::string_view bytes,
                                                      std::string_view section,
                                                      std::string_view key,
                                                      std::string_view value);

// bytes without any part of section: each of its section lines and every line
// after one up to the next section line. No other byte changes. nullopt when
// the name is refused (iniCanHoldSection).
[[nodiscard]] std::optional<std::string> withoutIniSection(
    std::string_view bytes, std::string_view section);

}  // namespace calvane

#endif  // CALVANE_SETTINGS_INI_FILE_H_
