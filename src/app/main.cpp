#include "app/application.h"
#include "browsing/webengine/enginewebview.h"

#include <QApplication>
#include <QLocale>

int main(int, char** argv)
{
    // The program reads no command line: Qt is handed the program's name alone.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QCoreApplication::setApplicationName(QStringLiteral("sorvane"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // A Chinese browser whatever the system's locale: the engine's own pages and the
    // language pages are asked in follow this.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QApplication application(qtArgc, qtArgv);
    return app::run(browsing::webengine::factory());
}
