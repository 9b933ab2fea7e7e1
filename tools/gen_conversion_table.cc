// Builds convert/conversion_table.cc, the simplified-to-traditional table,
// from a published character table (OpenCC's STCharacters.txt: one line per
// simplified character, a TAB, then its traditional forms separated by
// spaces, the usual one first) and the project's own GBK codec.
//
//   gen_conversion_table STCharacters.txt convert/conversion_table.cc
//
// The output depends on nothing but the input's contents and the codec, so a
// re-run reproduces the committed file byte for byte. It prints how many
// positions change. On any error it reports it and leaves the output alone.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "text/gbk_codec.h"

namespace calvane {
namespace {

constexpr int kRows = 126;
constexpr int kColumns = 190;
constexpr int kPositions = kRows * kColumns;

// A two-byte character, lead byte high.
using Pair = uint16_t;

constexpr unsigned leadOf(Pair p) { return p >> 8; }
constexpr unsigned trailOf(Pair p) { return p & 0xFF; }

constexpr bool inTableRange(unsigned lead, unsigned trail) {
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE &&
         trail != 0x7F;
}

constexpr int positionOf(Pair p) {
  const int trail = static_cast<int>(trailOf(p));
  const int column = trail < 0x80 ? trail - 0x40 : trail - 0x41;
  return (static_cast<int>(leadOf(p)) - 0x81) * kColumns + column;
}

constexpr Pair pairAt(int position) {
  const int lead = 0x81 + position / kColumns;
  const int column = position % kColumns;
  const int trail = column < 63 ? column + 0x40 : column + 0x41;
  return static_cast<Pair>(lead << 8 | trail);
}

std::string bytesOf(Pair p) {
  return {static_cast<char>(leadOf(p)), static_cast<char>(trailOf(p))};
}

// The pair of a UTF-8 character that GBK holds as one two-byte character in
// the table's ranges; nothing for anything else (ASCII, several characters,
// a character GBK lacks).
std::optional<Pair> gbkPairOf(std::string_view utf8) {
  const EncodeResult e = utf8ToGbk(utf8);
  if (e.replaced != 0 || e.text.size() != 2) return std::nullopt;
  const auto lead = static_cast<unsigned char>(e.text.bytes()[0]);
  const auto trail = static_cast<unsigned char>(e.text.bytes()[1]);
  if (!inTableRange(lead, trail)) return std::nullopt;
  return static_cast<Pair>(lead << 8 | trail);
}

// A pair GBK defines: it decodes, and the character encodes back to it.
bool isDefined(Pair p) {
  if (!inTableRange(leadOf(p), trailOf(p))) return false;
  const std::string utf8 = gbkToUtf8(bytesOf(p));
  return utf8 != "\xEF\xBF\xBD" && gbkPairOf(utf8) == p;
}

struct Pinned {
  Pair from;
  Pair to;
};

// Entries that hold whatever the published table says: one reading for the
// characters with several (后 is 後, never 后; 干 is 乾; 里 is 裡; 钟 is
// 鍾), a few variant forms folded into their common form, and the curly
// quotation marks as corner brackets, which is how vertical books quote.
constexpr Pinned kPinned[] = {
    {0xD5E2, 0xDF40},  // 这 -> 這
    {0xB8F6, 0x8280},  // 个 -> 個
    {0xCAE9, 0x95F8},  // 书 -> 書
    {0xC3C5, 0xE954},  // 门 -> 門
    {0xB7A2, 0xB06C},  // 发 -> 發
    {0xB9FA, 0x87F8},  // 国 -> 國
    {0xBAF3, 0xE1E1},  // 后 -> 後
    {0xB8C9, 0xC7AC},  // 干 -> 乾
    {0xC0EF, 0xD165},  // 里 -> 裡
    {0xD6D3, 0xE652},  // 钟 -> 鍾
    {0xD6D0, 0xD6D0},  // 中 stays
    {0x8746, 0xBAF4},  // 嘑 -> 呼
    {0x999E, 0xB5CA},  // 櫈 -> 凳
    {0xA1B0, 0xA1BA},  // “ -> 『
    {0xA1B1, 0xA1BB},  // ” -> 』
    {0xA1AE, 0xA1B8},  // ‘ -> 「
    {0xA1AF, 0xA1B9},  // ’ -> 」
};

bool isPinned(Pair p) {
  for (const Pinned& e : kPinned)
    if (e.from == p) return true;
  return false;
}

bool inSymbolRows(Pair p) { return leadOf(p) >= 0xA1 && leadOf(p) <= 0xA9; }

std::string describe(Pair p) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X %02X", leadOf(p), trailOf(p));
  return gbkToUtf8(bytesOf(p)) + " (" + hex + ")";
}

struct Table {
  std::array<Pair, kPositions> to{};
  Table() {
    for (int i = 0; i < kPositions; ++i) to[i] = pairAt(i);
  }
  Pair& operator[](Pair p) { return to[positionOf(p)]; }
};

// Reads the published table into `table`; false (with a message) when a line
// is not of its format.
bool readPublished(std::istream& in, Table& table) {
  std::array<bool, kPositions> seen{};
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == 0 || tab == std::string::npos || tab + 1 == line.size()) {
      std::fprintf(stderr,
                   "gen_conversion_table: line %d is not \"character<TAB>"
                   "forms\"\n",
                   number);
      return false;
    }
    const std::optional<Pair> from = gbkPairOf(line.substr(0, tab));
    if (!from) continue;  // GBK lacks the simplified character
    // A character listed twice keeps its first line.
    if (seen[positionOf(*from)]) continue;
    seen[positionOf(*from)] = true;
    std::istringstream forms(line.substr(tab + 1));
    std::string form;
    while (forms >> form) {
      if (const std::optional<Pair> to = gbkPairOf(form)) {
        table[*from] = *to;
        break;
      }
    }
  }
  return true;
}

// Makes the table hold what toTraditional relies on; reports each entry it
// sets back to identity. False when that would undo a pinned entry.
bool enforceProperties(Table& table) {
  for (int i = 0; i < kPositions; ++i) {
    const Pair from = pairAt(i);
    Pair& to = table.to[i];
    if (to == from) continue;
    const char* why = nullptr;
    if (!isDefined(to)) {
      why = "its target is not a GBK character";
    } else if (inSymbolRows(from) && !isPinned(from)) {
      why = "punctuation and symbols stay as they are";
    }
    if (why != nullptr && isPinned(from)) {
      std::fprintf(stderr, "gen_conversion_table: pinned %s -> %s: %s\n",
                   describe(from).c_str(), describe(to).c_str(), why);
      return false;
    }
    if (why != nullptr) {
      std::printf("kept %s as itself instead of %s: %s\n",
                  describe(from).c_str(), describe(to).c_str(), why);
      to = from;
    }
  }
  // A character that is some entry's traditional form must not change again,
  // or converting a converted text would change it. Each pass makes a target
  // map to itself, which cannot give any other entry a changing target, so
  // one pass in position order is enough.
  for (int i = 0; i < kPositions; ++i) {
    const Pair from = pairAt(i);
    const Pair to = table.to[i];
    if (to == from || table[to] == to) continue;
    if (isPinned(to)) {
      std::fprintf(stderr,
                   "gen_conversion_table: %s becomes %s, which would then "
                   "have to lose its own pinned form %s\n",
                   describe(from).c_str(), describe(to).c_str(),
                   describe(table[to]).c_str());
      return false;
    }
    std::printf("kept %s as itself instead of %s: it is the traditional "
                "form of %s\n",
                describe(to).c_str(), describe(table[to]).c_str(),
                describe(from).c_str());
    table[to] = to;
  }
  return true;
}

std::string render(const Table& table, int& changed) {
  std::string out;
  out +=
      "// The simplified-to-traditional table. Generated by\n"
      "// tools/gen_conversion_table from OpenCC 1.4.2 STCharacters.txt\n"
      "// (https://github.com/ByVoid/OpenCC, Apache License 2.0, see\n"
      "// conversion_table.LICENSE) and the GBK codec; re-run the generator\n"
      "// instead of editing, from the repository's root:\n"
      "//   gen_conversion_table ../shared/data/opencc/STCharacters.txt\n"
      "//                        convert/conversion_table.cc\n"
      "#include <array>\n"
      "#include <cstddef>\n"
      "#include <cstdint>\n"
      "#include <iterator>\n"
      "\n"
      "#include \"convert/traditional.h\"\n"
      "\n"
      "namespace calvane {\n"
      "namespace {\n"
      "\n"
      "// A position that changes: the pair looked up, then the pair that\n"
      "// replaces it. Every other position holds its own bytes.\n"
      "struct Change {\n"
      "  uint8_t lead, trail, newLead, newTrail;\n"
      "};\n"
      "\n"
      "// In position order; \"pinned\" marks the entries the generator holds\n"
      "// whatever the published table says.\n"
      "constexpr Change kChanges[] = {\n";
  changed = 0;
  for (int i = 0; i < kPositions; ++i) {
    const Pair from = pairAt(i);
    const Pair to = table.to[i];
    if (to == from) continue;
    ++changed;
    char line[64];
    std::snprintf(line, sizeof line, "    {0x%02X, 0x%02X, 0x%02X, 0x%02X},  // ",
                  leadOf(from), trailOf(from), leadOf(to), trailOf(to));
    out += line;
    out += gbkToUtf8(bytesOf(from)) + " -> " + gbkToUtf8(bytesOf(to));
    if (isPinned(from)) out += ", pinned";
    out += '\n';
  }
  out +=
      "};\n"
      "\n"
      "constexpr std::size_t offsetOf(unsigned lead, unsigned trail) {\n"
      "  const unsigned column = trail < 0x80 ? trail - 0x40 : trail - 0x41;\n"
      "  return (lead - 0x81) * kConversionColumns * 2 + 2 * column;\n"
      "}\n"
      "\n"
      "constexpr std::array<uint8_t, kConversionRows * kConversionColumns * 2>\n"
      "buildTable() {\n"
      "  std::array<uint8_t, kConversionRows * kConversionColumns * 2> table{};\n"
      "  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {\n"
      "    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {\n"
      "      if (trail == 0x7F) continue;\n"
      "      table[offsetOf(lead, trail)] = static_cast<uint8_t>(lead);\n"
      "      table[offsetOf(lead, trail) + 1] = static_cast<uint8_t>(trail);\n"
      "    }\n"
      "  }\n"
      "  for (const Change& c : kChanges) {\n"
      "    table[offsetOf(c.lead, c.trail)] = c.newLead;\n"
      "    table[offsetOf(c.lead, c.trail) + 1] = c.newTrail;\n"
      "  }\n"
      "  return table;\n"
      "}\n"
      "\n"
      "}  // namespace\n"
      "\n"
      "// Built while compiling: the program holds it as constant data.\n"
      "constinit const std::array<uint8_t,\n"
      "                           kConversionRows * kConversionColumns * 2>\n"
      "    conversionTable = buildTable();\n"
      "\n"
      "const int kChangedConversionEntries =\n"
      "    static_cast<int>(std::size(kChanges));\n"
      "\n"
      "}  // namespace calvane\n";
  return out;
}

// Writes beside the target and renames, so a failed write never leaves a
// half-written table behind.
bool writeFile(const std::string& path, const std::string& contents) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out.flush()) {
      std::fprintf(stderr, "gen_conversion_table: cannot write %s\n",
                   temporary.c_str());
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "gen_conversion_table: cannot write %s\n",
                 path.c_str());
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

int run(const char* inputPath, const char* outputPath) {
  std::ifstream in(inputPath, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "gen_conversion_table: cannot read %s\n", inputPath);
    return 1;
  }
  Table table;
  if (!readPublished(in, table)) return 1;
  if (in.bad()) {
    std::fprintf(stderr, "gen_conversion_table: cannot read %s\n", inputPath);
    return 1;
  }
  for (const Pinned& e : kPinned) table[e.from] = e.to;
  if (!enforceProperties(table)) return 1;
  int changed = 0;
  const std::string source = render(table, changed);
  if (!writeFile(outputPath, source)) return 1;
  std::printf("%d changed entries\n", changed);
  return 0;
}

}  // namespace
}  // namespace calvane

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: gen_conversion_table STCharacters.txt "
                 "conversion_table.cc\n");
    return 2;
  }
  return calvane::run(argv[1], argv[2]);
}
