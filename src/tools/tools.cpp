#include "tools/tools.h"

#include "browsing/webview.h"
#include "common/dialogs.h"
#include "common/files.h"
#include "common/lifecycle.h"
#include "common/paths.h"
#include "common/shell.h"
#include "platform/platform.h"
#include "tools/bmp.h"
#include "tools/pagesource.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tools {
namespace {

// The path chosen last in this run is kept with the dialog, as the dialog's file name.
constexpr char lastPathProperty[] = "sorvaneLastPath";

QByteArray& snapshotHeld()
{
    static QByteArray snapshot;
    return snapshot;
}

void keepSnapshot(QByteArray snapshot)
{
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        lifecycle::registerExitCleanup([] { releaseSnapshot(); });
        cleanupRegistered = true;
    }
    snapshotHeld() = std::move(snapshot);
}

// Shows the dialog until the user picks a name in a folder that exists, or cancels.
// Returns the full path chosen, or an empty string.
QString askSavePath(QFileDialog& dialog)
{
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        const QString path = dialog.selectedFiles().value(0);
        if (path.isEmpty())
            return {};
        const QString folder = QFileInfo(path).absolutePath();
        if (QFileInfo(folder).isDir())
            return path;
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             QCoreApplication::translate(
                                 "QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.")
                                 .arg(folder));
        // Shown again as it was left, with the name typed, for the user to mend.
    }
}

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

const QByteArray& lastSnapshot() { return snapshotHeld(); }

void releaseSnapshot()
{
    snapshotHeld() = QByteArray();
}

void prepareSaveDialog(QFileDialog& dialog)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The content is a BMP image whatever the name; a name typed without an extension
    // should say so.
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QString last = dialog.property(lastPathProperty).toString();
    if (!last.isEmpty())
        dialog.selectFile(last);
}

void takeScreenshot(QFileDialog& saveDialog)
{
    keepSnapshot(screenSnapshot());  // before any dialog covers the screen
    prepareSaveDialog(saveDialog);
    const QString path = askSavePath(saveDialog);
    if (path.isEmpty())
        return;
    saveDialog.setProperty(lastPathProperty, path);
    files::writeAll(path, lastSnapshot());
    dialogs::messageBox(QStringLiteral("保存好咯！你该怎么感谢我？"), QStringLiteral("消息："), dialogs::MB_OK);
}

void viewPageSource(browsing::WebView& view)
{
    const QString path = pageSourcePath();
    if (path.isEmpty())
        return;  // no private temporary folder: nowhere safe to write
    {
        BusyCursor busy;
        fetchToFile(view.address(), path);
    }
    shell::open(path);
}

void newWindow()
{
    const QByteArray executable = (paths::programDirectory() + u'/' + paths::executableName()).toUtf8();
    const int64_t process = platform::CreateProcessA(executable.constData());
    platform::WaitForInputIdle(process, 1000);
}

QString aboutText()
{
    return QStringLiteral("作者：Sorvane 项目组\r\n"
                          "编写日期：2012年08月31日\r\n"
                          "QQ群：000000000\r\n"
                          "联系邮箱：sorvane@example.org");
}

void about()
{
    dialogs::messageBox(aboutText(), QStringLiteral("关于："), dialogs::MB_OK);
}

}  // namespace tools
