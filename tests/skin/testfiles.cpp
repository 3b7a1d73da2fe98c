#include "testfiles.h"

#include <QFile>

namespace skintest {
namespace {

using skinfile::Error;

QByteArray withHeaderByte(QByteArray file, int offset, char value)
{
    file[offset] = value;
    return file;
}

// A valid header over a payload the text rules refuse.
BadFile badText(const char* what, const QByteArray& payload, Error error = Error::BadContent)
{
    return {what, skinfile::pack(payload), error};
}

QByteArray replaced(const char* from, const char* to)
{
    QByteArray payload = validPayload();
    const qsizetype at = payload.indexOf(from);
    Q_ASSERT(at >= 0);
    return payload.replace(at, qsizetype(strlen(from)), to);
}

}  // namespace

QByteArray validPayload()
{
    return "; a comment\n"
           "name = probe\n"
           "\n"
           "[vars]\n"
           "bg = #102030\n"
           "fg.text = #F0E0D0\n"
           "pad = 4\n"
           "[palette]\n"
           "Window = @bg@\n"
           "Button = #203040\r\n"
           "WindowText = @fg.text@\n"
           "Disabled:Text = #808080\n"
           "[style]\n"
           "QPushButton { color: @fg.text@; padding: @pad@px; } /* { not a brace */\n"
           "QLabel[text=\"}\"] { background: @bg@; }\n";
}

std::vector<BadFile> badFiles()
{
    const QByteArray good = skinfile::pack(validPayload());
    QByteArray wrongChecksum = good;
    wrongChecksum[12] = char(wrongChecksum[12] ^ 1);
    QByteArray hugeLength = good;
    for (int i = 8; i < 12; ++i)
        hugeLength[i] = char(0xFF);

    std::vector<BadFile> cases = {
        {"empty", QByteArray(), Error::Truncated},
        {"three bytes of the magic", QByteArray(".SH"), Error::Truncated},
        {"a Windows library", QByteArray("MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xff\xff\x00\x00", 16), Error::BadMagic},
        {"lower-case magic", withHeaderByte(good, 1, 's'), Error::BadMagic},
        {"the magic alone", QByteArray(".SHE"), Error::Truncated},
        {"half a header", good.left(10), Error::Truncated},
        {"version 2", withHeaderByte(good, 4, 2), Error::BadVersion},
        {"version 0", withHeaderByte(good, 4, 0), Error::BadVersion},
        {"reserved bytes set", withHeaderByte(good, 7, 1), Error::BadVersion},
        {"cut short", good.left(good.size() - 1), Error::Truncated},
        {"trailing byte", good + 'x', Error::Truncated},
        {"length 4 GiB", hugeLength, Error::Truncated},
        {"wrong checksum", wrongChecksum, Error::BadChecksum},
        {"random text", QByteArray("hello, this is not a skin file at all"), Error::BadMagic},
        {"over the size cap", skinfile::pack(QByteArray(skinfile::kMaxFileSize, ' ')), Error::TooLarge},
        badText("a zero byte", validPayload().insert(20, '\0'), Error::BadText),
        badText("invalid UTF-8", replaced("a comment", "a \xc3\x28 comment"), Error::BadText),
        badText("overlong UTF-8", replaced("a comment", "a \xc0\xaf comment"), Error::BadText),
        badText("UTF-8 surrogate", replaced("a comment", "a \xed\xa0\x80 comment"), Error::BadText),
        badText("UTF-8 cut at the end", validPayload() + "\xe4\xb8", Error::BadText),
        badText("no name", replaced("name = probe\n", "")),
        badText("name twice", replaced("name = probe\n", "name = probe\nname = other\n")),
        badText("name with a slash", replaced("name = probe", "name = ../probe")),
        badText("unknown section", replaced("[palette]", "[fonts]")),
        badText("sections out of order", replaced("[vars]\nbg = #102030\nfg.text = #F0E0D0\npad = 4\n[palette]",
                                                  "[palette]\nWindow = #102030\n[vars]\nbg = #102030\nfg.text = #F0E0D0\npad = 4")),
        badText("a section twice", replaced("[palette]", "[vars]\n[palette]")),
        badText("a line without =", replaced("pad = 4", "pad 4")),
        badText("variable starting with a capital", replaced("bg = #102030", "Bg = #102030\nbg = #102030")),
        badText("variable defined twice", replaced("pad = 4", "pad = 4\npad = 5")),
        badText("five-digit colour", replaced("#102030", "#10203")),
        badText("colour with alpha", replaced("#102030", "#10203040")),
        badText("colour by name", replaced("#102030", "red")),
        badText("colour with non-hex digits", replaced("#102030", "#10203g")),
        badText("number above 999", replaced("pad = 4", "pad = 1000")),
        badText("negative number", replaced("pad = 4", "pad = -4")),
        badText("unknown palette role", replaced("WindowText =", "WindowTitle =")),
        badText("unknown colour group", replaced("Disabled:Text", "Hidden:Text")),
        badText("palette colour from an unknown variable", replaced("Window = @bg@", "Window = @nothing@")),
        badText("palette colour from a number", replaced("Window = @bg@", "Window = @pad@")),
        badText("no Window colour", replaced("Window = @bg@\n", "")),
        badText("no Button colour", replaced("Button = #203040\r\n", "")),
        badText("unknown variable in the style", replaced("color: @fg.text@", "color: @fg.txt@")),
        badText("a lone @ in the style", replaced("padding: @pad@px;", "padding: 4px; @")),
        badText("an unclosed brace", validPayload() + "QMenu { color: red;\n"),
        badText("a brace too many", validPayload() + "}\n"),
        badText("nested braces", validPayload() + "QMenu { QMenu { } }\n"),
        badText("an unclosed comment", validPayload() + "/* QMenu { }\n"),
        badText("an unclosed string", validPayload() + "QLabel[text=\"x] { }\n"),
    };
    QByteArray many = "name = many\n[vars]\n";
    for (int i = 0; i <= skinfile::kMaxVars; ++i)
        many += "v" + QByteArray::number(i) + " = 1\n";
    cases.push_back(badText("too many variables", many + "[palette]\nWindow = #000000\nButton = #000000\n"));
    return cases;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace skintest
