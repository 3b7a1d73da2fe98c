#include "skin/engine/skinfile.h"

#include <QStringDecoder>

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace skinfile {
namespace {

constexpr std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table {};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = makeCrcTable();

uint32_t readLe(QByteArrayView bytes, int offset, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
    return value;
}

void appendLe(QByteArray& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

struct RoleName {
    const char16_t* name;
    QPalette::ColorRole role;
};
constexpr RoleName kRoles[] = {
    {u"Window", QPalette::Window},
    {u"WindowText", QPalette::WindowText},
    {u"Base", QPalette::Base},
    {u"AlternateBase", QPalette::AlternateBase},
    {u"Text", QPalette::Text},
    {u"Button", QPalette::Button},
    {u"ButtonText", QPalette::ButtonText},
    {u"BrightText", QPalette::BrightText},
    {u"Highlight", QPalette::Highlight},
    {u"HighlightedText", QPalette::HighlightedText},
    {u"ToolTipBase", QPalette::ToolTipBase},
    {u"ToolTipText", QPalette::ToolTipText},
    {u"PlaceholderText", QPalette::PlaceholderText},
    {u"Link", QPalette::Link},
    {u"LinkVisited", QPalette::LinkVisited},
    {u"Light", QPalette::Light},
    {u"Midlight", QPalette::Midlight},
    {u"Mid", QPalette::Mid},
    {u"Dark", QPalette::Dark},
    {u"Shadow", QPalette::Shadow},
};

struct GroupName {
    const char16_t* name;
    QPalette::ColorGroup group;
};
constexpr GroupName kGroups[] = {
    {u"Active", QPalette::Active},
    {u"Inactive", QPalette::Inactive},
    {u"Disabled", QPalette::Disabled},
};

bool isNameChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
}

bool isVarName(QStringView name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name[0] < u'a' || name[0] > u'z')
        return false;
    for (QChar c : name)
        if (!isNameChar(c))
            return false;
    return true;
}

bool isSkinName(QStringView name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength)
        return false;
    for (QChar c : name)
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
              c == u'-'))
            return false;
    return true;
}

std::optional<QRgb> parseColour(QStringView text)
{
    if (text.size() != 7 || text[0] != u'#')
        return std::nullopt;
    QRgb rgb = 0;
    for (QChar c : text.mid(1)) {
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c.unicode() - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c.unicode() - u'A' + 10;
        else
            return std::nullopt;
        rgb = (rgb << 4) | static_cast<QRgb>(digit);
    }
    return rgb | 0xFF000000u;
}

bool isSmallNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Braces must pair up one level deep (a Qt style sheet does not nest), and comments and
// strings must end; the rest is Qt's to read.
bool sheetIsWellFormed(QStringView sheet)
{
    int depth = 0;
    for (qsizetype i = 0; i < sheet.size(); ++i) {
        const QChar c = sheet[i];
        if (c == u'/' && i + 1 < sheet.size() && sheet[i + 1] == u'*') {
            const qsizetype end = sheet.indexOf(u"*/", i + 2);
            if (end < 0)
                return false;
            i = end + 1;
        } else if (c == u'"' || c == u'\'') {
            qsizetype j = i + 1;
            while (j < sheet.size() && sheet[j] != c && sheet[j] != u'\n')
                j += sheet[j] == u'\\' ? 2 : 1;
            if (j >= sheet.size() || sheet[j] != c)
                return false;
            i = j;
        } else if (c == u'{') {
            if (++depth > 1)
                return false;
        } else if (c == u'}') {
            if (--depth < 0)
                return false;
        }
    }
    return depth == 0;
}

class TextParser {
public:
    explicit TextParser(const QString& text) : m_text(text) {}

    Result run()
    {
        Result result;
        qsizetype position = 0;
        while (position < m_text.size() && m_section != Section::Style) {
            qsizetype end = m_text.indexOf(u'\n', position);
            if (end < 0)
                end = m_text.size();
            ++m_line;
            const QStringView line = QStringView(m_text).mid(position, end - position).trimmed();
            position = end + 1;
            if (!readLine(line, result.skin))
                return fail(result);
        }
        if (m_section == Section::Style) {
            const QString sheet = position < m_text.size() ? m_text.mid(position) : QString();
            if (!substitute(sheet, result.skin))
                return fail(result);
        }
        if (result.skin.name.isEmpty()) {
            m_detail = QStringLiteral("no name");
            return fail(result);
        }
        if (!result.skin.colour(QPalette::Window) || !result.skin.colour(QPalette::Button)) {
            m_detail = QStringLiteral("the palette needs Window and Button");
            return fail(result);
        }
        return result;
    }

private:
    enum class Section { Preamble, Vars, Palette, Style };

    Result fail(Result& result)
    {
        result.error = Error::BadContent;
        result.detail = QStringLiteral("line %1: %2").arg(m_line).arg(m_detail);
        result.skin = Skin();
        return result;
    }

    bool refuse(const QString& why)
    {
        m_detail = why;
        return false;
    }

    bool readLine(QStringView line, Skin& skin)
    {
        if (line.isEmpty() || line.startsWith(u';'))
            return true;
        if (line.startsWith(u'['))
            return enterSection(line);
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            return refuse(QStringLiteral("expected name = value"));
        const QStringView key = line.left(equals).trimmed();
        const QStringView value = line.mid(equals + 1).trimmed();
        switch (m_section) {
        case Section::Preamble:
            return readName(key, value, skin);
        case Section::Vars:
            return readVar(key, value, skin);
        case Section::Palette:
            return readPaletteEntry(key, value, skin);
        case Section::Style:
            break;
        }
        return false;
    }

    bool enterSection(QStringView line)
    {
        Section next;
        if (line == u"[vars]")
            next = Section::Vars;
        else if (line == u"[palette]")
            next = Section::Palette;
        else if (line == u"[style]")
            next = Section::Style;
        else
            return refuse(QStringLiteral("unknown section"));
        if (next <= m_section)
            return refuse(QStringLiteral("section out of order or repeated"));
        m_section = next;
        return true;
    }

    bool readName(QStringView key, QStringView value, Skin& skin)
    {
        if (key != u"name")
            return refuse(QStringLiteral("only the name comes before the sections"));
        if (!skin.name.isEmpty())
            return refuse(QStringLiteral("name given twice"));
        if (!isSkinName(value))
            return refuse(QStringLiteral("bad skin name"));
        skin.name = value.toString();
        return true;
    }

    bool readVar(QStringView key, QStringView value, Skin& skin)
    {
        if (!isVarName(key))
            return refuse(QStringLiteral("bad variable name"));
        if (skin.var(key.toString()))
            return refuse(QStringLiteral("variable defined twice"));
        if (skin.vars.size() >= kMaxVars)
            return refuse(QStringLiteral("too many variables"));
        Var var {key.toString(), value.toString(), parseColour(value)};
        if (!var.colour && !isSmallNumber(value))
            return refuse(QStringLiteral("a variable is #rrggbb or a number 0..999"));
        skin.vars.append(var);
        return true;
    }

    bool readPaletteEntry(QStringView key, QStringView value, Skin& skin)
    {
        PaletteEntry entry {};
        const qsizetype colon = key.indexOf(u':');
        if (colon >= 0) {
            const QStringView groupName = key.left(colon);
            bool found = false;
            for (const GroupName& g : kGroups)
                if (groupName == QStringView(g.name)) {
                    entry.group = g.group;
                    found = true;
                }
            if (!found)
                return refuse(QStringLiteral("unknown colour group"));
            key = key.mid(colon + 1);
        }
        const std::optional<QPalette::ColorRole> role = roleByName(key);
        if (!role)
            return refuse(QStringLiteral("unknown palette role"));
        entry.role = *role;
        std::optional<QRgb> colour;
        if (value.size() > 2 && value.startsWith(u'@') && value.endsWith(u'@')) {
            const Var* var = skin.var(value.mid(1, value.size() - 2).toString());
            if (var)
                colour = var->colour;
        } else {
            colour = parseColour(value);
        }
        if (!colour)
            return refuse(QStringLiteral("a palette colour is #rrggbb or a colour variable"));
        entry.colour = *colour;
        skin.palette.append(entry);
        return true;
    }

    bool substitute(const QString& sheet, Skin& skin)
    {
        QString out;
        out.reserve(sheet.size());
        qsizetype i = 0;
        while (i < sheet.size()) {
            const qsizetype at = sheet.indexOf(u'@', i);
            if (at < 0) {
                out += QStringView(sheet).mid(i);
                break;
            }
            out += QStringView(sheet).mid(i, at - i);
            const qsizetype close = sheet.indexOf(u'@', at + 1);
            const Var* var = close < 0 || close - at - 1 > kMaxNameLength
                                 ? nullptr
                                 : skin.var(sheet.mid(at + 1, close - at - 1));
            if (!var) {
                m_line += int(QStringView(sheet).left(at).count(u'\n')) + 1;
                return refuse(QStringLiteral("unknown variable in the style"));
            }
            out += var->value;
            i = close + 1;
        }
        if (!sheetIsWellFormed(out))
            return refuse(QStringLiteral("the style's braces, comments or strings do not close"));
        skin.styleSheet = out;
        return true;
    }

    const QString& m_text;
    Section m_section = Section::Preamble;
    int m_line = 0;
    QString m_detail;
};

Result failure(Error error, const char* detail)
{
    Result result;
    result.error = error;
    result.detail = QString::fromLatin1(detail);
    return result;
}

}  // namespace

const char* errorName(Error error)
{
    switch (error) {
    case Error::None: return "none";
    case Error::Unreadable: return "unreadable";
    case Error::TooLarge: return "too large";
    case Error::BadMagic: return "bad magic";
    case Error::BadVersion: return "bad version";
    case Error::Truncated: return "truncated";
    case Error::BadChecksum: return "bad checksum";
    case Error::BadText: return "bad text";
    case Error::BadContent: return "bad content";
    }
    return "unknown";
}

const Var* Skin::var(const QString& varName) const
{
    for (const Var& v : vars)
        if (v.name == varName)
            return &v;
    return nullptr;
}

std::optional<QRgb> Skin::colour(QPalette::ColorRole role) const
{
    std::optional<QRgb> found;
    for (const PaletteEntry& e : palette)
        if (e.role == role && (!e.group || *e.group == QPalette::Active))
            found = e.colour;
    return found;
}

std::optional<QPalette::ColorRole> roleByName(QStringView name)
{
    for (const RoleName& r : kRoles)
        if (name == QStringView(r.name))
            return r.role;
    return std::nullopt;
}

uint32_t crc32(QByteArrayView bytes)
{
    uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes)
        c = kCrcTable[(c ^ static_cast<uint8_t>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray pack(QByteArrayView payload)
{
    QByteArray out;
    out.reserve(kHeaderSize + payload.size());
    out.append(kMagic, 4);
    appendLe(out, kVersion, 2);
    appendLe(out, 0, 2);
    appendLe(out, static_cast<uint32_t>(payload.size()), 4);
    appendLe(out, crc32(payload), 4);
    out.append(payload.data(), payload.size());
    return out;
}

Result parse(QByteArrayView bytes)
{
    if (bytes.size() > kMaxFileSize)
        return failure(Error::TooLarge, "file too large");
    if (bytes.size() < 4)
        return failure(Error::Truncated, "shorter than the magic");
    if (QByteArrayView(bytes.data(), 4) != QByteArrayView(kMagic, 4))
        return failure(Error::BadMagic, "not a skin file");
    if (bytes.size() < kHeaderSize)
        return failure(Error::Truncated, "shorter than the header");
    if (readLe(bytes, 4, 2) != kVersion || readLe(bytes, 6, 2) != 0)
        return failure(Error::BadVersion, "unknown version");
    const qint64 length = readLe(bytes, 8, 4);
    if (length != bytes.size() - kHeaderSize)
        return failure(Error::Truncated, "length does not match the file");
    const QByteArrayView payload = bytes.sliced(kHeaderSize);
    if (crc32(payload) != readLe(bytes, 12, 4))
        return failure(Error::BadChecksum, "checksum does not match");
    if (payload.contains('\0'))
        return failure(Error::BadText, "zero byte in the text");
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(payload);
    if (decode.hasError())
        return failure(Error::BadText, "not UTF-8");
    return TextParser(text).run();
}

Error readFile(const char* path, QByteArray& bytes)
{
    bytes.clear();
    if (!path || !*path)
        return Error::Unreadable;
    // O_NONBLOCK: opening a planted pipe must not wait for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Error::Unreadable;
    struct stat st {};
    Error error = Error::None;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        error = Error::Unreadable;
    else if (st.st_size > kMaxFileSize)
        error = Error::TooLarge;
    if (error == Error::None) {
        // One byte more than the size, to notice a file that grows while it is read.
        bytes.resize(static_cast<qsizetype>(st.st_size) + 1);
        qsizetype total = 0;
        while (total < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + total, static_cast<size_t>(bytes.size() - total));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n < 0)
                    error = Error::Unreadable;
                break;
            }
            total += n;
        }
        if (error == Error::None && total > st.st_size)
            error = Error::Unreadable;
        bytes.resize(error == Error::None ? total : 0);
    }
    ::close(fd);
    return error;
}

}  // namespace skinfile
