#include "settings/settings_files.h"

#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_store.h"
#include "settings/settings_folder.h"
#include "text/gbk_codec.h"

namespace calvane {
namespace {

// Calvane配置.ini and 自定义配置.ini
constexpr std::string_view kMainSettingsName = "Calvane\xC5\xE4\xD6\xC3.ini";
constexpr std::string_view kCustomBordersName =
    "\xD7\xD4\xB6\xA8\xD2\xE5\xC5\xE4\xD6\xC3.ini";

GbkText& mainPath() {
  static GbkText path;
  return path;
}

GbkText& customPath() {
  static GbkText path;
  return path;
}

// The executable's own path; the buffer grows until the whole path fits, so
// a deep folder is never cut short.
std::string executablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n =
        ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(n));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

GbkText programDirectory() {
  // Cut in UTF-8, where a "/" byte is always a separator and never part of a
  // character, and only then turn the folder into GBK.
  const std::string exe = executablePath();
  const std::size_t slash = exe.rfind('/');
  if (slash == exe.npos) return GbkText();
  return utf8ToGbk(std::string_view(exe).substr(0, slash)).text;
}

void fixSettingsPaths(std::string_view directory) {
  const GbkText folder =
      chooseSettingsFolder(directory, {kMainSettingsName, kCustomBordersName});
  mainPath() = GbkText(folder.bytes() + "/" + std::string(kMainSettingsName));
  customPath() =
      GbkText(folder.bytes() + "/" + std::string(kCustomBordersName));
}

const GbkText& mainSettingsPath() { return mainPath(); }

const GbkText& customBordersPath() { return customPath(); }

GbkText borderTextForPosition(int32_t position, std::string_view name) {
  if (position > 2) return readValue(customPath(), name, keys::kCustomKey);
  return readValue(mainPath(), keys::kBuiltInSection, name);
}

}  // namespace calvane
