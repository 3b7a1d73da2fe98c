#pragma once
// Our skin file format, as plain functions with no widgets: the engine, the packer that
// builds the carried skins, the tests and the fuzz target all read skins through these.
//
// A skin file is a 16-byte header followed by a UTF-8 payload:
//
//   offset 0  ".SHE"                 magic
//   offset 4  u16 little-endian      version, 1
//   offset 6  u16 little-endian      reserved, 0
//   offset 8  u32 little-endian      payload length; the file ends exactly after the payload
//   offset 12 u32 little-endian      CRC-32 (IEEE) of the payload
//
// The payload is lines of text: "name = <skin name>", then up to three sections in
// this order, each at most once:
//
//   [vars]     name = #rrggbb | #rrggbbaa | integer 0..999      (names: a-z, 0-9, '.', '-')
//   [palette]  [Active:|Inactive:|Disabled:]Role = @var@ | #rrggbb
//   [style]    a Qt style sheet up to the end of the payload; @var@ stands for a variable
//
// Blank lines and lines starting with ';' are ignored outside [style]. Anything else is
// refused: the engine never applies half a skin.

#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <QList>
#include <QPalette>
#include <QString>

#include <cstdint>
#include <optional>

namespace skinfile {

inline constexpr char kMagic[4] = {'.', 'S', 'H', 'E'};
inline constexpr uint16_t kVersion = 1;
inline constexpr int kHeaderSize = 16;
// Far above any skin of ours; keeps a hostile file from costing much memory or time.
inline constexpr qint64 kMaxFileSize = qint64(4) << 20;
inline constexpr int kMaxVars = 256;
inline constexpr int kMaxNameLength = 32;

enum class Error {
    None,
    Unreadable,   // missing, not a regular file, or a read error
    TooLarge,     // above kMaxFileSize
    BadMagic,
    BadVersion,
    Truncated,    // shorter or longer than the header says
    BadChecksum,
    BadText,      // not UTF-8, or holds a zero byte
    BadContent,   // the text does not follow the format
};

// Stable text for an error, for messages and test output.
const char* errorName(Error error);

struct Var {
    QString name;
    QString value;                 // as written: "#rrggbb" or digits
    std::optional<QRgb> colour;    // set for colour values
};

struct PaletteEntry {
    std::optional<QPalette::ColorGroup> group;  // empty: every group
    QPalette::ColorRole role;
    QRgb colour;
};

struct Skin {
    QString name;
    QList<Var> vars;
    QList<PaletteEntry> palette;   // Window and Button are always present
    QString styleSheet;            // with every @var@ replaced
    const Var* var(const QString& name) const;
    // The colour given for a role in the active group (the last entry that covers it).
    std::optional<QRgb> colour(QPalette::ColorRole role) const;
};

struct Result {
    Error error = Error::None;
    QString detail;  // what was wrong, for the packer's messages
    Skin skin;
    bool ok() const { return error == Error::None; }
};

// Reads and checks a whole skin file's bytes.
Result parse(QByteArrayView bytes);

// Reads a file for parse: refuses what is not a regular file or is larger than
// kMaxFileSize, and never blocks on a pipe or device planted under the name.
Error readFile(const char* path, QByteArray& bytes);

// The header for a payload followed by the payload: a skin file's bytes.
QByteArray pack(QByteArrayView payload);

uint32_t crc32(QByteArrayView bytes);

// Palette role names as the format spells them ("Window", "ButtonText", ...).
std::optional<QPalette::ColorRole> roleByName(QStringView name);

}  // namespace skinfile
