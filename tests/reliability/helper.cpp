// Helper process for the crash-safety test: in the program folder given, writes the address
// history, the settings and a favourite, step after step, with the program's own writers,
// until it is killed. Before each step it prints the step's number on stdout.
//
//   test_reliability_helper <program folder> <round>
#include "writes.h"

#include "browsing/history.h"
#include "common/files.h"
#include "common/paths.h"
#include "favourites/favourites.h"
#include "favourites/folder.h"
#include "settings/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>

#include <cstdlib>
#include <string>
#include <sys/prctl.h>
#include <csignal>
#include <unistd.h>

namespace {

void say(const std::string& line)
{
    const std::string text = line + '\n';
    if (::write(STDOUT_FILENO, text.data(), text.size()) < 0)
        std::_Exit(3);
}

void run(const reliability::Step& step, QComboBox& addressBox)
{
    using reliability::Kind;
    switch (step.kind) {
    case Kind::History:
        addressBox.clear();
        addressBox.addItems(step.history);
        browsing::history::save(addressBox);
        break;
    case Kind::HomePage:
    case Kind::TextSize:
        settings::write(step.key, step.value);
        break;
    case Kind::Favourite:
        // What adding a favourite does once the name is chosen.
        QDir().mkdir(favourites::folderPath());
        files::writeAll(favourites::filePath(favourites::folderPath(), reliability::favouriteName()),
                        favourites::shortcutBytes(step.address));
        break;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 64;
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    paths::fix(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/sorvane"));
    const int round = std::atoi(argv[2]);
    QComboBox addressBox;
    say("ready");
    for (int k = 0; k < 100000; ++k) {
        say(std::to_string(k));
        run(reliability::stepAt(round, k), addressBox);
    }
    return 0;
}
