#include "settings/settings_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "settings/locked_file.h"
#include "text/gbk_codec.h"

namespace calvane {
namespace {

bool isAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (isAbsolute(home)) return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  struct passwd entry;
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) ==
          0 &&
      found != nullptr && isAbsolute(found->pw_dir)) {
    return found->pw_dir;
  }
  return std::string();
}

// Makes path and every missing folder above it; whether path is a folder.
bool makeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);;
       slash = path.find('/', slash + 1)) {
    const std::string level = path.substr(0, slash);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == path.npos) break;
  }
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool canCreateFilesIn(const std::string& path) {
  std::string probe = path + "/.calvane-probe-XXXXXX";
  const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string userConfigFolder() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (isAbsolute(configHome)) return std::string(configHome) + "/calvane";
  const std::string home = homeFolder();
  if (home.empty()) return home;
  return home + "/.config/calvane";
}

GbkText chooseSettingsFolder(
    std::string_view directory,
    std::initializer_list<std::string_view> fileNames) {
  const std::string own = gbkToUtf8(directory);
  if (canCreateFilesIn(own.empty() ? std::string("/") : own)) {
    return GbkText(directory);
  }
  const std::string config = userConfigFolder();
  EncodeResult named = utf8ToGbk(config);
  if (config.empty() || named.replaced > 0 || !makeFolders(config) ||
      !canCreateFilesIn(config)) {
    return GbkText(directory);
  }
  for (std::string_view name : fileNames) {
    const std::string file = "/" + gbkToUtf8(name);
    const std::optional<std::string> shipped = readWholeFile(own + file);
    if (!shipped) continue;
    // Whether the copy succeeds is not looked at, like every settings write.
    editFileLocked(config + file, /*create=*/true,
                   [&](std::string_view present) -> std::optional<std::string> {
                     return present.empty() ? *shipped : std::string(present);
                   });
  }
  return std::move(named.text);
}

}  // namespace calvane
