// The skin engine: a module the program loads by name and calls once. It restyles the
// running application from one of our skin files: the Fusion style, the skin's palette
// and its style sheet, so every window, control, menu and dialog follows the skin.

#include "skin/engine/skinfile.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QThread>

namespace {

// What SkinH_Attach_Ex returns; the program ignores it, the tests do not.
enum Status : int {
    Attached = 0,
    NoApplication = 1,   // no QApplication, or called from another thread
    CannotRead = 2,      // the skin file cannot be read or is not a skin of ours
    NoStyle = 3,         // Qt's Fusion style is missing
};

QPalette paletteOf(const skinfile::Skin& skin)
{
    // Start from Qt's derivation of the bevel shades, then take every colour the skin gives.
    QPalette palette(QColor::fromRgb(*skin.colour(QPalette::Button)), QColor::fromRgb(*skin.colour(QPalette::Window)));
    for (const skinfile::PaletteEntry& e : skin.palette) {
        const QColor colour = QColor::fromRgb(e.colour);
        if (e.group)
            palette.setColor(*e.group, e.role, colour);
        else
            palette.setColor(e.role, colour);
    }
    return palette;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SkinH_Attach_Ex(const char* skinFile, const char* password)
{
    // Our skins are not encrypted: any password, the program's empty one included, is fine.
    (void)password;
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application || QThread::currentThread() != application->thread())
        return NoApplication;

    // Everything is read and checked before anything changes: a refused file leaves the
    // application exactly as it was.
    QByteArray bytes;
    if (skinfile::readFile(skinFile, bytes) != skinfile::Error::None)
        return CannotRead;
    const skinfile::Result result = skinfile::parse(bytes);
    if (!result.ok())
        return CannotRead;
    QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!style)
        return NoStyle;

    QApplication::setStyle(style);
    QApplication::setPalette(paletteOf(result.skin));
    application->setStyleSheet(result.skin.styleSheet);
    return Attached;
}
