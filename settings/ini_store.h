// The settings store: the four INI operations through which Calvane reaches
// its two settings files. Files are GBK text: section lines "[name]" and key
// lines "key=value". Every read goes to the file (nothing is cached); every
// change replaces the file atomically under an advisory lock, so a crash,
// a full disk or a second running copy never loses a setting.
//
// Paths are GbkText at this interface and are turned into the file system's
// (UTF-8) names inside. Thread-compatible: calls from several threads or
// processes on one file are serialised by the file lock.
//
// The exact treatment of names and values the format cannot hold as they
// are, of letter case and blanks, of duplicates and of damaged files is
// documented at the top of ini_store.cc and below. In short: names match
// byte for byte (letter case counts) with blanks around them ignored; values
// are kept exactly as written; the first of duplicate keys wins; every line
// a change does not own stays byte for byte. A write or deletion is refused
// (returns false, touches nothing) for CR, LF or NUL in a name, key or value,
// a name or key that is only blanks, a key with "=" or beginning with "[",
// and a name or key ending in a lone lead byte; a section name with "]",
// "[" or leading blanks is stored as it is.
#ifndef CALVANE_SETTINGS_INI_STORE_H_
#define CALVANE_SETTINGS_INI_STORE_H_

#include <cstddef>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// readValue returns at most this many bytes minus one.
inline constexpr std::size_t kValueBufferBytes = 10240;
// listSections lists the names that fit into a buffer of this size, each
// followed by a NUL byte and the list closed by a second NUL.
inline constexpr std::size_t kSectionListBufferBytes = 204800;

// The value of key in section of the file at path, or the empty text when
// the file, the section or the key is missing. Leading bytes 0x01..0x20 of
// path, section and key are skipped first; if one of them is then empty, the
// result is empty and the file is not touched. A value longer than 10,239
// bytes comes back cut after 10,239 bytes. Never creates anything.
[[nodiscard]] GbkText readValue(std::string_view path, std::string_view section,
                                std::string_view key);

// Sets key in section to value, creating the file and the section when they
// do not exist; an empty value is written as an empty value. Returns whether
// the file now holds the value: false when refused (see above) or when the
// file could not be written (callers may ignore it).
bool writeValue(std::string_view path, std::string_view section,
                std::string_view key, std::string_view value);

// Removes the section with all its keys (every part of it, when it stands
// more than once). Returns whether the file no longer holds the section
// (true for a missing file, which stays missing; false when refused or not
// writable; callers may ignore it).
bool deleteSection(std::string_view path, std::string_view section);

// The names of all sections in file order (a name that stands twice is
// listed once, at its first place), up to the first that does not fit into
// the 204,800-byte listing; empty when the file is missing.
[[nodiscard]] TextList listSections(std::string_view path);

}  // namespace calvane

#endif  // CALVANE_SETTINGS_INI_STORE_H_
