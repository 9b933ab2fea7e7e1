// Where Calvane's two settings files are, their section and key names, and
// the lookup of a border's text form from its place in the border list.
//
// The paths are fixed once (fixSettingsPaths) before any settings access and
// stay until the program ends. Not thread-safe: fixSettingsPaths must run
// before other threads read the paths.
#ifndef CALVANE_SETTINGS_SETTINGS_FILES_H_
#define CALVANE_SETTINGS_SETTINGS_FILES_H_

#include <cstdint>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// Section and key names (GBK).
namespace keys {
inline constexpr std::string_view kShapeSection = "\xD0\xD0\xC1\xD0";  // 行列
inline constexpr std::string_view kColumnsKey = "\xD0\xD0";            // 行
inline constexpr std::string_view kCharsKey = "\xD7\xD6";              // 字
inline constexpr std::string_view kBuiltInSection =
    "\xCF\xB5\xCD\xB3\xB1\xDF\xBF\xF2";                               // 系统边框
inline constexpr std::string_view kBorderSection = "\xB1\xDF\xBF\xF2";  // 边框
inline constexpr std::string_view kSelectedKey = "\xCB\xF9\xD1\xA1";   // 所选
inline constexpr std::string_view kTextSection = "\xCE\xC4\xD7\xD6";   // 文字
inline constexpr std::string_view kTraditionalKey = "\xD1\xA1";        // 选
inline constexpr std::string_view kCustomKey = "\xD7\xD4\xB6\xA8\xD2\xE5";  // 自定义
}  // namespace keys

// The folder of the running executable (from /proc/self/exe), without a
// trailing "/", as GBK text.
[[nodiscard]] GbkText programDirectory();

// Fixes both paths in directory: "Calvane配置.ini" and "自定义配置.ini"
// joined with "/". When directory is not writable, both files live in the
// user's configuration folder instead ($XDG_CONFIG_HOME/calvane, by default
// ~/.config/calvane, created when needed); a file that is only in directory
// is copied there first, and directory stays when that folder cannot be
// made or written either (settings_folder.h). Decided once per call.
void fixSettingsPaths(std::string_view directory);

// The paths fixed by the last fixSettingsPaths (empty before it).
[[nodiscard]] const GbkText& mainSettingsPath();
[[nodiscard]] const GbkText& customBordersPath();

// The text form of the border at position (-1 when nothing is selected)
// whose list entry reads name: for position > 2 key "自定义" of section name
// in the custom border file, otherwise key name of section "系统边框" in the
// main settings file.
[[nodiscard]] GbkText borderTextForPosition(int32_t position,
                                            std::string_view name);

}  // namespace calvane

#endif  // CALVANE_SETTINGS_SETTINGS_FILES_H_
