// The floor for start-up measurements: the least a Qt WebEngine Widgets program does to
// show one page. One view, no main window, the default profile, navigation at once.
// The address comes from the first argument or from FLOOR_URL.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString address = arguments.size() > 1 ? arguments.at(1) : qEnvironmentVariable("FLOOR_URL");

    QWebEngineView view;
    view.resize(1061, 514);
    view.load(QUrl::fromUserInput(address));
    view.show();
    return QApplication::exec();
}
