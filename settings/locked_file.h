// Reading a settings file whole, and changing one under an exclusive lock by
// atomic replacement. Paths here are file-system (UTF-8) names.
//
// A change never writes into the file itself: the new contents go into a
// temporary file in the same folder, which is flushed to the disk (fsync)
// and renamed over the old one, so a crash or a full disk at any moment
// leaves either the old file or the new one, whole. The new file gets the
// old one's permission bits (and, where allowed, its owner); a symbolic link
// is followed, and the file it names is replaced.
//
// Two processes (or threads) changing one file are serialised by flock on the
// file itself. Since a replacement gives the path a new inode, a lock is only
// trusted once the path is seen to still name the locked inode; otherwise
// the file is opened and locked again. Readers take no lock: a rename shows
// them the old file or the new one, never a mixture.
//
// Thread-safe.
#ifndef CALVANE_SETTINGS_LOCKED_FILE_H_
#define CALVANE_SETTINGS_LOCKED_FILE_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace calvane {

// The whole contents of the regular file at path; nullopt when it is
// missing, is no regular file or cannot be read.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::string& path);

enum class EditOutcome {
  kMissing,  // no file and none wanted: nothing was created
  kDone,     // the file holds what the edit returned
  kRefused,  // the edit returned nullopt: nothing changed
  kFailed,   // the file could not be opened, locked or replaced: unchanged
};

// An edit: the present contents in, the wanted contents out (nullopt to
// leave the file alone).
using FileEdit =
    std::function<std::optional<std::string>(std::string_view contents)>;

// Applies edit to the file at path under the lock and replaces the file with
// its result when that differs. A missing file is edited as empty contents
// when create is true (and is not left behind when the edit refuses or the
// replacement fails), and gives kMissing without calling edit otherwise. A
// file the caller may not write (permission bits, read-only medium) or that
// is no regular file gives kFailed.
EditOutcome editFileLocked(const std::string& path, bool create,
                           const FileEdit& edit);

}  // namespace calvane

#endif  // CALVANE_SETTINGS_LOCKED_FILE_H_
