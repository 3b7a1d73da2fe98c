#include "app/application.h"

#include "app/mainwindow.h"
#include "app/wiring.h"
#include "common/lifecycle.h"
#include "common/paths.h"
#include "platform/platform.h"
#include "skin/skin.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <exception>
#include <memory>

namespace app {

int run(const browsing::WebViewFactory& webViewFactory)
{
    // Windows initialises OLE here for the web control and drag and drop; Qt needs nothing.
    char executable[4096];
    if (platform::GetModuleFileNameA(nullptr, executable, sizeof executable) > 0)
        paths::fix(QString::fromUtf8(executable));
    QDir::setCurrent(paths::programDirectory());

    // The interface is Chinese whatever the locale: Qt's own dialogs and the engine's menus too.
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qt_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    lifecycle::registerExitCleanup([] { skin::release(); });
    skin::installLibrary();

    std::unique_ptr<MainWindow> window;
    try {
        window = std::make_unique<MainWindow>(webViewFactory);
        wire(*window);
    } catch (const std::exception&) {
        lifecycle::fatalError(QStringLiteral("启动窗口无法载入"));
    }

    lifecycle::setStage(lifecycle::Stage::Running);
    window->raiseStartEvents();
    if (lifecycle::stage() == lifecycle::Stage::Running)
        window->show();

    QApplication::exec();

    lifecycle::setStage(lifecycle::Stage::Ending);
    window.reset();
    lifecycle::runExitCleanup();
    return 0;
}

}  // namespace app
