// Fuzzes the settings file edits: arbitrary bytes as a file, then one write
// and one deletion with names that are partly taken from the file itself (so
// they hit its sections and keys) and partly arbitrary. Nothing may crash,
// the lines must put the file together again byte for byte, and each edit may
// change only the lines it owns: a write its one key line (or the one or two
// lines it adds), a deletion the lines of its section. Any broken rule aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_util.h"
#include "settings/ini_file.h"

namespace calvane {
namespace {

using fuzzing::check;

bool sameLine(const IniLine& a, const IniLine& b) {
  return a.content == b.content && a.end == b.end;
}

void checkLinesRebuildTheFile(std::string_view bytes, const IniFile& file) {
  std::string whole(file.byteOrderMark);
  for (std::size_t i = 0; i < file.lines.size(); ++i) {
    const IniLine& line = file.lines[i];
    check(!line.end.empty() || i + 1 == file.lines.size(),
          "only the last line lacks a line end");
    check(line.content.find_first_of("\r\n") == line.content.npos,
          "no line break inside a line");
    whole.append(line.content).append(line.end);
  }
  check(whole == bytes, "the lines give back the file");
}

// Every key the file holds, with the section it is found under, for
// comparing lookups before and after an edit (the first few suffice).
struct Lookup {
  std::string_view section, key;
};
std::vector<Lookup> someLookups(const IniFile& file) {
  std::vector<Lookup> lookups;
  std::string_view section;
  bool inSection = false;
  for (const IniLine& line : file.lines) {
    if (line.kind == IniLineKind::kSection) {
      section = line.name;
      inSection = true;
    } else if (inSection && line.kind == IniLineKind::kKey) {
      lookups.push_back({section, line.name});
      if (lookups.size() == 16) break;
    }
  }
  return lookups;
}

void checkWrite(std::string_view before, std::string_view section,
                std::string_view key, std::string_view value) {
  const std::optional<std::string> written =
      withIniValue(before, section, key, value);
  check(written.has_value() == (iniCanHoldSection(section) &&
                                iniCanHoldKey(key) && iniCanHoldValue(value)),
        "a write is refused exactly when a name or the value is refused");
  if (!written) return;
  const std::string& after = *written;
  const std::optional<std::string_view> readBack =
      findIniValue(after, section, key);
  check(readBack.has_value() && *readBack == value, "the value reads back");

  const IniFile b = parseIni(before);
  const IniFile a = parseIni(after);
  checkLinesRebuildTheFile(after, a);
  check(a.byteOrderMark == b.byteOrderMark, "the byte-order mark stays");
  // Lines common at the front (a last line may gain its line end) and at the
  // back; what lies between is what the write owns.
  std::size_t front = 0;
  while (front < b.lines.size() && front < a.lines.size() &&
         (sameLine(b.lines[front], a.lines[front]) ||
          (front + 1 == b.lines.size() && b.lines[front].end.empty() &&
           b.lines[front].content == a.lines[front].content))) {
    ++front;
  }
  std::size_t back = 0;
  while (back < b.lines.size() - front && back < a.lines.size() - front &&
         sameLine(b.lines[b.lines.size() - 1 - back],
                  a.lines[a.lines.size() - 1 - back])) {
    ++back;
  }
  const std::size_t oldCount = b.lines.size() - front - back;
  const std::size_t newCount = a.lines.size() - front - back;
  const IniLine* next = newCount > 0 ? &a.lines[front] : nullptr;
  if (oldCount == 0 && newCount == 0) {
    check(after == before, "an unchanged value leaves the file alone");
  } else if (oldCount == 1) {
    const IniLine& old = b.lines[front];
    check(newCount == 1 && old.kind == IniLineKind::kKey &&
              next->kind == IniLineKind::kKey && old.name == next->name &&
              old.end == next->end && sameIniName(old.name, key) &&
              next->value == value,
          "a replaced line keeps its key and line end, and only its value "
          "changes");
  } else {
    check(oldCount == 0 && (newCount == 1 || newCount == 2),
          "a write adds one or two lines, or replaces one");
    if (newCount == 2) {
      check(next->kind == IniLineKind::kSection && next->name == section,
            "a new section line names the section as given");
      next = &a.lines[front + 1];
    }
    check(next->kind == IniLineKind::kKey && next->name == key &&
              next->value == value && !next->end.empty(),
          "a new key line holds the key and value as given");
  }

  for (const Lookup& l : someLookups(b)) {
    if (sameIniName(l.section, section) && sameIniName(l.key, key)) continue;
    check(findIniValue(before, l.section, l.key) ==
              findIniValue(after, l.section, l.key),
          "every other key reads as before");
  }
  std::vector<std::string_view> names = iniSectionNames(before);
  bool known = false;
  for (std::string_view n : names) known = known || sameIniName(n, section);
  if (!known) names.push_back(section);
  check(iniSectionNames(after) == names, "the sections stay, a new one last");
}

void checkDelete(std::string_view before, std::string_view section) {
  const std::optional<std::string> result = withoutIniSection(before, section);
  check(result.has_value() == iniCanHoldSection(section),
        "a deletion is refused exactly when the name is refused");
  if (!result) return;
  const IniFile b = parseIni(before);
  const IniFile a = parseIni(*result);
  checkLinesRebuildTheFile(*result, a);
  check(a.byteOrderMark == b.byteOrderMark, "the byte-order mark stays");
  // What is left is the old lines in order with some taken out; matching
  // each kept line at its earliest place is exact here, since every removed
  // stretch starts at a section line of this name and the kept stretch after
  // it starts at a section line of another name.
  std::size_t j = 0;
  bool inDeleted = false;
  for (const IniLine& line : b.lines) {
    if (line.kind == IniLineKind::kSection) {
      inDeleted = sameIniName(line.name, section);
    }
    if (j < a.lines.size() && sameLine(line, a.lines[j])) {
      check(!inDeleted, "no line of the deleted section stays");
      ++j;
    } else {
      check(inDeleted, "only lines of the deleted section go");
    }
  }
  check(j == a.lines.size(), "nothing is added");
  std::vector<std::string_view> names;
  for (std::string_view n : iniSectionNames(before)) {
    if (!sameIniName(n, section)) names.push_back(n);
  }
  check(iniSectionNames(*result) == names, "the other sections stay listed");
}

// A name for an edit: often one that stands in the file, sometimes with
// blanks around it, otherwise arbitrary bytes.
std::string pickName(FuzzedDataProvider& in, const IniFile& file,
                     IniLineKind kind) {
  std::vector<std::string_view> names;
  for (const IniLine& line : file.lines) {
    if (line.kind == kind) names.push_back(line.name);
  }
  const uint8_t how = in.ConsumeIntegral<uint8_t>();
  if ((how & 3) == 0 || names.empty()) return in.ConsumeRandomLengthString(24);
  std::string name(names[in.ConsumeIntegral<uint16_t>() % names.size()]);
  if (how & 4) name = " " + name;
  if (how & 8) name += "\t";
  return name;
}

}  // namespace
}  // namespace calvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace calvane;
  // The first bytes steer the edits; the rest is the file.
  const std::size_t steer = size < 48 ? size / 2 : 48;
  FuzzedDataProvider in(data, steer);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + steer,
                               size - steer);
  const IniFile file = parseIni(bytes);
  checkLinesRebuildTheFile(bytes, file);

  const std::string section = pickName(in, file, IniLineKind::kSection);
  const std::string key = pickName(in, file, IniLineKind::kKey);
  const std::string value = in.ConsumeRandomLengthString(32);
  checkWrite(bytes, section, key, value);

  const std::optional<std::string> written =
      withIniValue(bytes, section, key, value);
  const std::string_view afterWrite =
      written ? std::string_view(*written) : bytes;
  const IniFile now = parseIni(afterWrite);
  const std::string doomed =
      in.ConsumeBool() ? section : pickName(in, now, IniLineKind::kSection);
  checkDelete(afterWrite, doomed);
  return 0;
}
