#include "platform/ini.h"
#include "platform/atomicfile.h"
#include "platform/platform.h"
#include "platform/virtualstore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace platform::ini {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Length of the GB18030 character starting at i: 1, 2 or 4 bytes.
std::size_t charLength(std::string_view s, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x81 || lead == 0xFF || i + 1 >= s.size())
        return 1;
    const unsigned char second = at(i + 1);
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE))
        return 2;
    if (second >= 0x30 && second <= 0x39 && i + 3 < s.size()) {
        const unsigned char third = at(i + 2), fourth = at(i + 3);
        if (third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39)
            return 4;
    }
    return 1;
}

char foldedAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

enum class Kind { Blank, Comment, Section, Key, Other };

struct Line {
    std::size_t begin = 0;    // first byte of the line (after a byte order mark)
    std::size_t end = 0;      // end of the content, line ending excluded
    std::size_t next = 0;     // first byte of the following line
    Kind kind = Kind::Blank;
    std::string_view name;    // section or key name, trimmed
    std::size_t nameEnd = 0;  // key lines: just after the name as written
    std::string_view value;   // key lines: the value, trimmed, quotes still on
};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

Line classify(std::string_view file, std::size_t begin, std::size_t end, std::size_t next)
{
    Line line{begin, end, next, Kind::Blank, {}, 0, {}};
    const std::string_view content = file.substr(begin, end - begin);
    const std::string_view t = trimBlanks(content);
    if (t.empty())
        return line;
    if (t.front() == ';') {
        line.kind = Kind::Comment;
        return line;
    }
    if (t.front() == '[') {
        line.kind = Kind::Other;
        for (std::size_t i = 1; i < t.size(); i += charLength(t, i)) {
            if (t[i] == ']') {
                line.kind = Kind::Section;
                line.name = trimBlanks(t.substr(1, i - 1));
                break;
            }
        }
        return line;
    }
    const std::size_t eq = content.find('=');  // '=' is never part of a double-byte character
    if (eq == std::string_view::npos) {
        line.kind = Kind::Other;
        return line;
    }
    const std::string_view name = trimBlanks(content.substr(0, eq));
    if (name.empty()) {
        line.kind = Kind::Other;
        return line;
    }
    line.kind = Kind::Key;
    line.name = name;
    line.nameEnd = static_cast<std::size_t>(name.data() + name.size() - file.data());
    line.value = trimBlanks(content.substr(eq + 1));
    return line;
}

// Walks a file line by line without keeping the lines.
class LineReader {
public:
    explicit LineReader(std::string_view file)
        : m_file(file), m_pos(file.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0)
    {
    }
    bool next(Line& line)
    {
        if (m_pos >= m_file.size())
            return false;
        const std::size_t lf = m_file.find('\n', m_pos);
        const std::size_t next = lf == std::string_view::npos ? m_file.size() : lf + 1;
        std::size_t end = lf == std::string_view::npos ? m_file.size() : lf;
        if (lf != std::string_view::npos && end > m_pos && m_file[end - 1] == '\r')
            --end;
        line = classify(m_file, m_pos, end, next);
        m_pos = next;
        return true;
    }

private:
    std::string_view m_file;
    std::size_t m_pos;
};

std::vector<Line> splitLines(std::string_view file)
{
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1);
    LineReader reader(file);
    for (Line line; reader.next(line);)
        lines.push_back(line);
    return lines;
}

std::string_view lineEnding(std::string_view file)
{
    const std::size_t lf = file.find('\n');
    if (lf == std::string_view::npos)
        return "\r\n";
    return lf > 0 && file[lf - 1] == '\r' ? std::string_view("\r\n") : std::string_view("\n");
}

// Lines [header, end) of a section: its header and everything up to the next header.
struct Span {
    std::size_t header;
    std::size_t end;
};

std::size_t spanEnd(const std::vector<Line>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Kind::Section)
        ++i;
    return i;
}

std::vector<Span> sectionsNamed(const std::vector<Line>& lines, std::string_view section)
{
    std::vector<Span> spans;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Kind::Section && sameName(lines[i].name, section))
            spans.push_back({i, spanEnd(lines, i)});
    return spans;
}

std::optional<Span> firstSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Kind::Section && sameName(lines[i].name, section))
            return Span{i, spanEnd(lines, i)};
    return std::nullopt;
}

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value.substr(0, value.find('\0'));
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Whether the "]" after the name starts a character of its own: after a lone lead byte it
// would be read as that character's trail byte, and the header would not read back.
bool closesHeader(std::string_view section)
{
    const std::string header = std::string(section) + ']';
    std::size_t i = 0;
    while (i < section.size())
        i += charLength(header, i);
    return i == section.size();
}

// The text to put after "=" so that reading gives back exactly `value`.
std::string storedForm(std::string_view value)
{
    const bool blankEnds = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    if (blankEnds || quoted)
        return '"' + std::string(value) + '"';
    return std::string(value);
}

std::string removeRanges(std::string_view file, const std::vector<std::pair<std::size_t, std::size_t>>& ranges)
{
    std::string out;
    out.reserve(file.size());
    std::size_t pos = 0;
    for (const auto& [from, to] : ranges) {
        out.append(file.substr(pos, from - pos));
        pos = to;
    }
    out.append(file.substr(pos));
    return out;
}

}  // namespace

std::string_view trimBlanks(std::string_view bytes)
{
    std::size_t from = 0;
    while (from < bytes.size() && isBlank(bytes[from]))
        ++from;
    return trimTrailingBlanks(bytes.substr(from));
}

std::string_view trimTrailingBlanks(std::string_view bytes)
{
    std::size_t to = bytes.size();
    while (to > 0 && isBlank(bytes[to - 1]))
        --to;
    return bytes.substr(0, to);
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = charLength(a, i);
        if (n != charLength(b, i))
            return false;
        if (n == 1 ? foldedAscii(a[i]) != foldedAscii(b[i]) : a.substr(i, n) != b.substr(i, n))
            return false;
        i += n;
    }
    return true;
}

std::size_t fittingLength(std::string_view bytes, std::size_t limit)
{
    if (bytes.size() <= limit)
        return bytes.size();
    std::size_t n = 0;
    while (n < bytes.size()) {
        const std::size_t step = charLength(bytes, n);
        if (n + step > limit)
            break;
        n += step;
    }
    return n;
}

std::optional<std::string> lookup(std::string_view file, std::string_view section, std::string_view key)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    LineReader reader(file);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == Kind::Section) {
            if (inSection)
                return std::nullopt;  // only the first section of the name counts
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Kind::Key && sameName(line.name, key)) {
            return std::string(unquoted(line.value));
        }
    }
    return std::nullopt;
}

std::vector<std::string> sectionNames(std::string_view file)
{
    std::vector<std::string> names;
    for (const Line& line : splitLines(file))
        if (line.kind == Kind::Section)
            names.emplace_back(line.name);
    return names;
}

std::vector<std::string> keyNames(std::string_view file, std::string_view section)
{
    std::vector<std::string> names;
    const std::vector<Line> lines = splitLines(file);
    const std::optional<Span> span = firstSection(lines, trimBlanks(section));
    if (!span)
        return names;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        if (lines[i].kind != Kind::Key)
            continue;
        const bool seen = std::any_of(names.begin(), names.end(),
                                      [&](const std::string& n) { return sameName(n, lines[i].name); });
        if (!seen)
            names.emplace_back(lines[i].name);
    }
    return names;
}

std::optional<std::string> withValue(std::string_view file, std::string_view section, std::string_view key,
                                     std::string_view value)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != std::string_view::npos || !closesHeader(section) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '[')
        return std::nullopt;
    const std::string_view eol = lineEnding(file);
    const std::string stored = storedForm(value);
    const std::vector<Line> lines = splitLines(file);
    std::string out(file);

    const std::optional<Span> span = firstSection(lines, section);
    if (!span) {
        const bool onlyMark = file.empty() || file == kByteOrderMark;  // part of a mark is not one
        if (!onlyMark && file.back() != '\n')
            out.append(eol);
        out.append("[").append(section).append("]").append(eol);
        out.append(key).append("=").append(stored).append(eol);
        return out;
    }
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const Line& line = lines[i];
        if (line.kind == Kind::Key && sameName(line.name, key)) {
            // Indentation and the name as written stay; the rest of the line is the new value.
            out.replace(line.nameEnd, line.end - line.nameEnd, "=" + stored);
            return out;
        }
    }
    std::size_t last = span->header;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (lines[i].kind == Kind::Key || lines[i].kind == Kind::Other)
            last = i;
    std::string added;
    if (lines[last].next == lines[last].end)  // the file's last line, without a line ending
        added.append(eol);
    added.append(key).append("=").append(stored).append(eol);
    out.insert(lines[last].next, added);
    return out;
}

std::string withoutKey(std::string_view file, std::string_view section, std::string_view key)
{
    section = trimBlanks(section);
    key = trimBlanks(key);
    const std::vector<Line> lines = splitLines(file);
    const std::optional<Span> span = firstSection(lines, section);
    if (!span)
        return std::string(file);
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (lines[i].kind == Kind::Key && sameName(lines[i].name, key))
            ranges.emplace_back(lines[i].begin, lines[i].next);
    return removeRanges(file, ranges);
}

std::string withoutSection(std::string_view file, std::string_view section)
{
    const std::vector<Line> lines = splitLines(file);
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (const Span& span : sectionsNamed(lines, trimBlanks(section)))
        ranges.emplace_back(lines[span.header].begin, lines[span.end - 1].next);
    return removeRanges(file, ranges);
}

}  // namespace platform::ini

// The file side: bounded reads, and writes as one atomic replace under a lock file that
// every instance of the program takes around its read-modify-write.
namespace platform {
namespace {

using namespace std::chrono_literals;

struct Contents {
    std::string bytes;
    bool exists = false;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// All bytes of an open regular file, or nothing when it is not one or is over the cap.
std::optional<std::string> readOpen(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > ini::kMaxFileBytes)
        return std::nullopt;
    // Read straight into a string of the file's size; one byte more tells a file that grew.
    const std::size_t expected = static_cast<std::size_t>(st.st_size);
    std::string bytes(expected + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
        if (got == bytes.size()) {
            if (bytes.size() > ini::kMaxFileBytes)
                return std::nullopt;
            bytes.resize(std::min(bytes.size() * 2, ini::kMaxFileBytes + 1));
        }
    }
    bytes.resize(got);
    return bytes;
}

std::optional<std::string> readForLookup(const char* fileName)
{
    // A copy kept in the user's store for a read-only program folder comes first.
    const std::optional<std::string> from = virtualstore::forReading(fileName);
    if (!from)
        return std::nullopt;
    // O_NONBLOCK: a FIFO planted under the name must not stall the read.
    FileDescriptor fd(::open(from->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return fd.valid() ? readOpen(fd.get()) : std::nullopt;
}

// The current contents for a rewrite; nothing when the name is taken by something we must
// not replace (a link, a folder, a file over the cap) or cannot be read.
std::optional<Contents> readForRewrite(const char* fileName)
{
    struct stat st {};
    if (lstat(fileName, &st) != 0)
        return errno == ENOENT ? std::optional<Contents>(Contents{}) : std::nullopt;
    if (!S_ISREG(st.st_mode))
        return std::nullopt;
    FileDescriptor fd(::open(fileName, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid())
        return std::nullopt;
    std::optional<std::string> bytes = readOpen(fd.get());
    if (!bytes)
        return std::nullopt;
    return Contents{std::move(*bytes), true};
}

// An exclusive lock on "<file>.lock", shared by every instance. A holder that never lets
// go (a hung process) makes the write fail after a while instead of freezing this one.
class WriteLock {
public:
    explicit WriteLock(const std::string& fileName)
        : m_fd(::open((fileName + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666))
    {
        struct stat st {};
        if (!m_fd.valid() || fstat(m_fd.get(), &st) != 0) {
            m_error = errno;
            return;
        }
        if (!S_ISREG(st.st_mode))
            return;
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        auto pause = 50us;
        for (;;) {
            if (flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0) {
                m_locked = true;
                m_error = 0;
                return;
            }
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline)
                return;
            std::this_thread::sleep_for(pause);
            pause = std::min<std::chrono::microseconds>(pause * 2, 1ms);
        }
    }
    ~WriteLock()
    {
        if (m_locked)
            flock(m_fd.get(), LOCK_UN);
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool locked() const { return m_locked; }
    // Why the lock could not be had: the lock file's errno, or EBUSY.
    int error() const { return m_error; }

private:
    FileDescriptor m_fd;
    bool m_locked = false;
    int m_error = EBUSY;
};

uint32_t copyValue(std::string_view value, char* returned, uint32_t size)
{
    const std::size_t n = ini::fittingLength(value, size - 1);
    std::memcpy(returned, value.data(), n);
    returned[n] = 0;
    return static_cast<uint32_t>(n);
}

// Names one after another, each ended by a zero byte, the list by a second one; a list that
// does not fit is cut and still ends in two zero bytes (the count is then size - 2).
uint32_t copyNames(const std::vector<std::string>& names, char* returned, uint32_t size)
{
    if (size < 2) {
        returned[0] = 0;
        return 0;
    }
    std::string list;
    for (const std::string& name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 <= size) {
        std::memcpy(returned, list.data(), list.size());
        returned[list.size()] = 0;
        return static_cast<uint32_t>(list.empty() ? 0 : list.size());
    }
    std::memcpy(returned, list.data(), size - 2);
    returned[size - 2] = 0;
    returned[size - 1] = 0;
    return size - 2;
}

// One read-modify-write of `path` under the lock, written to `target`: the path itself, or
// its copy in the user's store, which starts from the program folder's own file. Returns 0
// or errno; only the lock and the replace report errno values that may redirect the write.
int rewriteProfile(const char* section, const char* key, const char* value, const std::string& path,
                   const std::string& target)
{
    const WriteLock lock(target);
    if (!lock.locked())
        return lock.error();
    const std::optional<std::string> from = target == path ? path : virtualstore::forReading(path);
    const std::optional<Contents> current = from ? readForRewrite(from->c_str()) : Contents{};
    if (!current)
        return EINVAL;
    std::string updated;
    if (!key) {
        updated = ini::withoutSection(current->bytes, section);
    } else if (!value) {
        updated = ini::withoutKey(current->bytes, section, key);
    } else {
        std::optional<std::string> stored = ini::withValue(current->bytes, section, key, value);
        if (!stored)
            return EINVAL;
        updated = std::move(*stored);
    }
    if (current->exists ? updated == current->bytes : updated.empty())
        return 0;  // nothing to change
    if (updated.size() > ini::kMaxFileBytes)
        return EFBIG;
    return replaceFile(target, updated);
}

}  // namespace

// A missing or unreadable file, section or key gives the default, with its trailing blanks
// trimmed as the original does. A value longer than the buffer is cut at a character's start.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* returned,
                                  uint32_t size, const char* fileName)
{
    if (!returned || size == 0)
        return 0;
    const std::optional<std::string> file = fileName ? readForLookup(fileName) : std::nullopt;
    if (!section)
        return copyNames(file ? ini::sectionNames(*file) : std::vector<std::string>{}, returned, size);
    if (!key)
        return copyNames(file ? ini::keyNames(*file, section) : std::vector<std::string>{}, returned, size);
    if (file) {
        if (const std::optional<std::string> value = ini::lookup(*file, section, key))
            return copyValue(*value, returned, size);
    }
    return copyValue(ini::trimTrailingBlanks(defaultValue ? defaultValue : ""), returned, size);
}

// key null deletes the section, value null deletes the key. Fails, leaving the file as it
// was, when the lock cannot be had, the name is a link or not a regular file, the file is
// over the size cap or cannot be read, or the names or value cannot be stored. A program
// folder that refuses the write (lock file included) has it made in the user's store.
bool WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName)
{
    if (!section || !fileName || !*fileName)
        return false;
    const std::string path(fileName);
    return virtualstore::write(path, [&](const std::string& target) {
        return rewriteProfile(section, key, value, path, target);
    }) == 0;
}

}  // namespace platform
