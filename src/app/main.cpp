#include "app/application.h"
#include "browsing/webengine/enginewebview.h"

#include <QApplication>
#include <QByteArray>
#include <QLocale>

int main(int, char** argv)
{
    // The program reads no command line: Qt is handed the program's name alone.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    // Without the sandbox the engine's zygote processes buy nothing: start-up waits until they
    // have started, and each keeps its own copy of the engine's relocated data.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if ((qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX") || flags.contains("--no-sandbox"))
        && !flags.contains("--no-zygote"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", QByteArray(flags + " --no-zygote").trimmed());
    QCoreApplication::setApplicationName(QStringLiteral("sorvane"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // A Chinese browser whatever the system's locale: the engine's own pages and the
    // language pages are asked in follow this.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QApplication application(qtArgc, qtArgv);
    return app::run(browsing::webengine::factory());
}
