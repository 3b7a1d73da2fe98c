// The skin's cost at every start but the first: both files exist, so installing and
// applying only check for them, load the engine and restyle the window. Nothing may be
// written; the run fails if either file changes.
//
//   build/bench_skin
#include "common/paths.h"
#include "skin/skin.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>

namespace {

struct FileState {
    ino_t inode = 0;
    timespec mtime {};
    bool operator==(const FileState& o) const
    {
        return inode == o.inode && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileState stateOf(const QString& path)
{
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtim};
}

// Roughly the main window's controls, without the web view: restyling repolishes them all.
std::unique_ptr<QWidget> windowLikeTheProgramsOwn()
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName(QStringLiteral("启动窗口"));
    auto* bar = new QMenuBar(window.get());
    for (const char* title : {"文件(&F)", "查看(&V)", "收藏(&A)", "设置(&G)", "工具(&T)", "帮助(&H)"})
        bar->addMenu(QString::fromUtf8(title))->addAction(QStringLiteral("x"));
    auto* toolbar = new QToolBar(window.get());
    for (const char* text : {"后退", "前进", "刷新", "主页", "收藏"})
        toolbar->addAction(QString::fromUtf8(text));
    new QToolBar(window.get());
    new QComboBox(window.get());
    new QTreeWidget(window.get());
    new QStatusBar(window.get());
    new QProgressBar(window.get());
    new QSlider(Qt::Horizontal, window.get());
    new QLineEdit(window.get());
    new QPushButton(QStringLiteral("百度一下"), window.get());
    new QPushButton(QStringLiteral("转到"), window.get());
    new QPushButton(QStringLiteral("X"), window.get());
    new QLabel(QStringLiteral("地址(D)："), window.get());
    new QLabel(QStringLiteral("不是每一款浏览器都是这样！"), window.get());
    window->resize(1061, 514);
    window->show();
    return window;
}

void BM_InstallAndApplyWithBothFiles(benchmark::State& state)
{
    const auto window = windowLikeTheProgramsOwn();
    for (auto _ : state) {
        skin::installLibrary();
        skin::apply(8);
        // Each start loads the engine afresh.
        state.PauseTiming();
        skin::release();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InstallAndApplyWithBothFiles)->Unit(benchmark::kMillisecond);

void BM_InstallAndApplyWithoutWidgets(benchmark::State& state)
{
    for (auto _ : state) {
        skin::installLibrary();
        skin::apply(8);
        state.PauseTiming();
        skin::release();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_InstallAndApplyWithoutWidgets)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    const QString program = dir.filePath(QStringLiteral("program"));
    for (const QString& d : {home, runtime, program})
        QDir().mkpath(d);
    chmod(QFile::encodeName(runtime).constData(), 0700);
    setenv("HOME", QFile::encodeName(home).constData(), 1);
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime).constData(), 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    paths::fix(program + QStringLiteral("/sorvane"));

    // The first start writes both files; the measured ones must not.
    skin::installLibrary();
    skin::apply(8);
    skin::release();
    const FileState library = stateOf(skin::libraryPath());
    const FileState skinFile = stateOf(skin::skinPath(8));
    if (library == FileState() || skinFile == FileState()) {
        std::fprintf(stderr, "bench_skin: the first start did not write both files\n");
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const bool untouched = stateOf(skin::libraryPath()) == library && stateOf(skin::skinPath(8)) == skinFile;
    std::printf("files written after the first start: %s\n", untouched ? "none" : "SOME (fault)");
    return untouched ? 0 : 1;
}
