// Loading the favourites is on the start-up path: a folder of 10,000 favourites must list
// in well under 100 ms.
#include "common/paths.h"
#include "favourites/favourites.h"
#include "favourites/folder.h"
#include "favourites/names.h"
#include "favourites/shortcut.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kFavourites = 10000;

// A program folder whose favourites folder holds kFavourites files, made once.
const QString& programWithFavourites()
{
    static QTemporaryDir root;
    static const QString program = [] {
        const QString dir = root.filePath(QStringLiteral("程序"));
        QDir().mkpath(dir + QStringLiteral("/收藏夹"));
        paths::fix(dir + QStringLiteral("/sorvane"));
        for (int i = 0; i < kFavourites; ++i) {
            // Plain, Chinese and escaped names, as a real folder mixes them.
            const QString name = i % 3 == 0 ? QStringLiteral("收藏的网页 %1").arg(i)
                                 : i % 3 == 1 ? QStringLiteral("site-%1.example").arg(i)
                                              : QStringLiteral("a/b 100% %1").arg(i);
            QFile file(QFile::decodeName(QFile::encodeName(favourites::folderPath()) + '/' + favourites::fileStem(name) + ".url"));
            if (file.open(QIODevice::WriteOnly))
                file.write(favourites::shortcutBytes(QStringLiteral("http://127.0.0.1/%1").arg(i)));
        }
        return dir;
    }();
    return program;
}

void listNames(benchmark::State& state)
{
    programWithFavourites();
    const QString folder = favourites::folderPath();
    for (auto _ : state) {
        const QStringList names = favourites::listNames(folder);
        if (names.size() != kFavourites)
            state.SkipWithError("not every favourite listed");
        benchmark::DoNotOptimize(names);
    }
}
BENCHMARK(listNames)->Unit(benchmark::kMillisecond);

// The start-up step as a whole: listing and filling the panel.
void loadPanel(benchmark::State& state)
{
    programWithFavourites();
    QPixmap picture(16, 15);
    picture.fill(Qt::blue);
    const QIcon icon(picture);
    for (auto _ : state) {
        QTreeWidget panel;
        panel.setColumnCount(1);
        favourites::load(panel, icon);
        if (panel.topLevelItemCount() != kFavourites)
            state.SkipWithError("not every favourite listed");
    }
}
BENCHMARK(loadPanel)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
