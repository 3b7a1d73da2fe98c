#pragma once
// The INI text rules behind the profile functions, as pure functions of a file's bytes.
// Names and values are code-page bytes (GB18030/GBK); only ASCII letters fold for name
// matching, and only where a character starts, so a double-byte character's trail byte
// never matches another character's.
//
// Reading:
// - a line's first non-blank byte decides: "[" starts a section header (the name runs to
//   the first "]"), ";" a comment, otherwise a line with "=" is a key (name before the
//   first "=", value after it); blank lines and anything else are kept but mean nothing;
// - names and values are trimmed of blanks (space, tab, CR, VT, FF); one pair of matching
//   quotes (" or ') around a value is removed; a value ends at a zero byte;
// - the first section of a name counts, and in it the first key of a name; keys before
//   the first header belong to no section;
// - a UTF-8 byte order mark at the start is skipped; lines end at LF, with or without CR.
//
// Writing keeps every line it does not change byte for byte, and each line it adds ends
// with the file's own line ending (the first one in the file; CR LF when it has none).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

// Settings files above this size are not read, and not rewritten either.
inline constexpr std::size_t kMaxFileBytes = std::size_t(16) << 20;

std::string_view trimBlanks(std::string_view bytes);
std::string_view trimTrailingBlanks(std::string_view bytes);

// Whether two names are the same, ASCII letter case aside.
bool sameName(std::string_view a, std::string_view b);

// The longest prefix of at most `limit` bytes that does not split a character.
std::size_t fittingLength(std::string_view bytes, std::size_t limit);

// The value of a key, or nothing when the section or the key is missing.
std::optional<std::string> lookup(std::string_view file, std::string_view section, std::string_view key);

// Section names in file order; key names of the first section of that name (each once).
std::vector<std::string> sectionNames(std::string_view file);
std::vector<std::string> keyNames(std::string_view file, std::string_view section);

// The file after storing key = value: the first such key of the section gets the new value;
// otherwise a new key line follows the section's last key line, and a missing section is
// added at the end. A value that would not read back as itself (blanks at its ends, or
// enclosed in a pair of quotes) is written inside double quotes. Nothing, when the names or
// the value cannot be stored on one line: an empty name, a line break, a key name holding
// "=" or starting with ";" or "[", a section name holding "]".
std::optional<std::string> withValue(std::string_view file, std::string_view section, std::string_view key,
                                     std::string_view value);

// The file without every key of that name in the section's first occurrence.
std::string withoutKey(std::string_view file, std::string_view section, std::string_view key);

// The file without every section of that name, their header and all their lines.
std::string withoutSection(std::string_view file, std::string_view section);

}  // namespace platform::ini
