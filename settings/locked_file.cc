#include "settings/locked_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

namespace calvane {
namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded (write-back errors
  // can surface here).
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::optional<std::string> readAll(int fd) {
  std::string bytes;
  char buffer[1 << 16];
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(n));
    at += n;
  }
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string folderOf(const std::string& absolutePath) {
  const std::size_t slash = absolutePath.rfind('/');
  return slash == 0 || slash == absolutePath.npos
             ? std::string("/")
             : absolutePath.substr(0, slash);
}

std::optional<std::string> realPathOf(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(
      ::realpath(path.c_str(), nullptr), &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

// Puts contents in place of the file at target (an absolute path without
// links) through a flushed temporary file in the same folder.
bool replaceFile(const std::string& target, std::string_view contents,
                 const struct stat& old) {
  const std::string folder = folderOf(target);
  std::string temporary = folder + "/.calvane-XXXXXX";
  Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
  if (out.get() < 0) return false;
  // A different owner is only possible for root; failing to keep it is no
  // reason to lose the change.
  [[maybe_unused]] const int ownerKept =
      ::fchown(out.get(), old.st_uid, old.st_gid);
  const bool written = writeAll(out.get(), contents) &&
                       ::fchmod(out.get(), old.st_mode & 07777) == 0 &&
                       ::fsync(out.get()) == 0 && out.close() &&
                       ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!written) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself is only durable once the folder is flushed.
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  // O_NONBLOCK: a FIFO in the file's place must not hang the program.
  Descriptor in(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat st;
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return std::nullopt;
  }
  return readAll(in.get());
}

EditOutcome editFileLocked(const std::string& path, bool create,
                           const FileEdit& edit) {
  constexpr int kOpenFlags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  // Each retry means another process replaced or removed the file between
  // our open and our lock; a path that keeps doing so (or a dangling link,
  // which O_EXCL refuses to follow) gives up.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    bool created = false;
    int fd = ::open(path.c_str(), kOpenFlags);
    if (fd < 0 && errno == ENOENT) {
      if (!create) return EditOutcome::kMissing;
      fd = ::open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL, 0666);
      if (fd < 0 && errno == EEXIST) continue;
      created = fd >= 0;
    }
    Descriptor file(fd);
    if (file.get() < 0) return EditOutcome::kFailed;
    while (::flock(file.get(), LOCK_EX) != 0) {
      if (errno != EINTR) return EditOutcome::kFailed;
    }
    struct stat locked;
    if (::fstat(file.get(), &locked) != 0 || !S_ISREG(locked.st_mode)) {
      return EditOutcome::kFailed;
    }
    const std::optional<std::string> target = realPathOf(path);
    struct stat now;
    if (!target || ::stat(target->c_str(), &now) != 0 ||
        now.st_dev != locked.st_dev || now.st_ino != locked.st_ino) {
      continue;
    }

    // From here on the path is ours until the lock goes with the descriptor.
    const std::optional<std::string> contents = readAll(file.get());
    const std::optional<std::string> wanted =
        contents ? edit(*contents) : std::nullopt;
    EditOutcome outcome = !contents ? EditOutcome::kFailed
                          : !wanted ? EditOutcome::kRefused
                                    : EditOutcome::kDone;
    if (outcome == EditOutcome::kDone && *wanted != *contents &&
        !replaceFile(*target, *wanted, locked)) {
      outcome = EditOutcome::kFailed;
    }
    // A file made only for this edit does not stay behind empty.
    if (created && outcome != EditOutcome::kDone) ::unlink(target->c_str());
    return outcome;
  }
  return EditOutcome::kFailed;
}

}  // namespace calvane
