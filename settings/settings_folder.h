// Which folder the two settings files live in: the program's own folder when
// files can be made there, otherwise the user's configuration folder.
//
// Thread-compatible; reads the environment (XDG_CONFIG_HOME, HOME).
#ifndef CALVANE_SETTINGS_SETTINGS_FOLDER_H_
#define CALVANE_SETTINGS_SETTINGS_FOLDER_H_

#include <initializer_list>
#include <string>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// Whether a new file can be made in the folder at path (a file-system name)
// right now. It tries: a probe file is made and removed at once. Permission
// bits alone would say yes to root on a read-only medium; the probe says no
// there, and for a path that is missing, is no folder, or lies in /proc.
[[nodiscard]] bool canCreateFilesIn(const std::string& path);

// The user's configuration folder for Calvane as a file-system name:
// $XDG_CONFIG_HOME/calvane when XDG_CONFIG_HOME is an absolute path,
// otherwise <home>/.config/calvane, home being $HOME or, when that is unset
// or not absolute, the home folder of the password database. Empty when no
// home folder is known.
[[nodiscard]] std::string userConfigFolder();

// The folder (GBK, without a trailing "/") in which the files named
// fileNames (GBK) live for a program in directory:
//  - directory itself when files can be made in it;
//  - otherwise userConfigFolder(), made when missing (with mode 0700 for
//    each new level), and every one of fileNames that exists in directory
//    but not yet there is copied over first, so settings that came with a
//    folder that has become read-only are not lost;
//  - directory again when the configuration folder cannot be made or
//    written either, or cannot be named in GBK: reads then still find the
//    files there, and writes fail as they would have.
[[nodiscard]] GbkText chooseSettingsFolder(
    std::string_view directory,
    std::initializer_list<std::string_view> fileNames);

}  // namespace calvane

#endif  // CALVANE_SETTINGS_SETTINGS_FOLDER_H_
