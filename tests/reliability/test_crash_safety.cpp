// The program's writers killed (SIGKILL) at random moments, over many rounds: every file is
// always either its old or its new content, whole, and reads back.
#include "writes.h"

#include "browsing/history.h"
#include "favourites/folder.h"
#include "favourites/shortcut.h"
#include "platform/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

namespace {

using reliability::Files;

constexpr int kRounds = 200;
constexpr int kLongestWaitMs = 40;

std::optional<QByteArray> contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

class Folder {
public:
    QString path(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString root() const { return m_dir.path(); }
    QString favourites() const { return path(QStringLiteral("收藏夹")); }
    Files read() const
    {
        return {contents(path(QStringLiteral("lj.txt"))), contents(path(QStringLiteral("浏览器.ini"))),
                contents(favourites::filePath(favourites(), reliability::favouriteName()))};
    }

private:
    QTemporaryDir m_dir;
};

// Starts the helper, lets it write for a random while, kills it; the number of the step it
// was in (-1 when it had not begun one).
int killedAtRandom(const Folder& folder, int round, QRandomGenerator& random)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/test_reliability_helper"),
                 {folder.root(), QString::number(round)});
    EXPECT_TRUE(helper.waitForStarted(10'000));
    QByteArray out;
    while (!out.contains("ready\n") && helper.waitForReadyRead(10'000))
        out += helper.readAllStandardOutput();
    EXPECT_TRUE(out.contains("ready\n")) << "the helper did not start writing";
    QThread::msleep(random.bounded(kLongestWaitMs + 1));
    helper.kill();
    EXPECT_TRUE(helper.waitForFinished(10'000));
    EXPECT_EQ(helper.exitStatus(), QProcess::CrashExit);
    out += helper.readAllStandardOutput();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    bool ok = false;
    const int step = lines.last().toInt(&ok);
    return ok ? step : -1;
}

TEST(CrashSafety, KilledWritersLeaveEveryFileOldOrNewAndWhole)
{
    Folder folder;
    QRandomGenerator random(20240531);
    Files model;  // what the disk holds between rounds
    int stepsTotal = 0, newStates = 0;
    for (int round = 0; round < kRounds; ++round) {
        const int last = killedAtRandom(folder, round, random);
        // Steps before `last` finished; `last` may or may not have.
        Files done = model;
        for (int k = 0; k < last; ++k)
            done = reliability::after(done, reliability::stepAt(round, k));
        const Files next = last >= 0 ? reliability::after(done, reliability::stepAt(round, last)) : done;
        const Files disk = folder.read();
        SCOPED_TRACE("round " + std::to_string(round) + ", killed in step " + std::to_string(last));
        ASSERT_TRUE(disk.history == done.history || disk.history == next.history);
        ASSERT_TRUE(disk.settings == done.settings || disk.settings == next.settings);
        ASSERT_TRUE(disk.favourite == done.favourite || disk.favourite == next.favourite);
        newStates += disk == next && !(next == done);
        model = disk;
        stepsTotal += std::max(last, 0);
    }
    // The kills fell while files were being replaced, not only between writes.
    EXPECT_GT(stepsTotal, kRounds);
    EXPECT_GT(newStates, 0);

    // And what is left reads as the program reads it.
    ASSERT_TRUE(model.history && model.settings && model.favourite);
    EXPECT_FALSE(browsing::history::parse(*model.history).isEmpty());
    EXPECT_TRUE(platform::ini::lookup(model.settings->toStdString(), "SZ", "zy").has_value());
    EXPECT_TRUE(platform::ini::lookup(model.settings->toStdString(), "SZ", "zt").has_value());
    EXPECT_TRUE(favourites::addressFromFile(*model.favourite).startsWith(QStringLiteral("http://127.0.0.1/收藏/")));
    // Half-written temporary files never show as favourites.
    EXPECT_EQ(favourites::listNames(folder.favourites()), QStringList{reliability::favouriteName()});

    // Temporary files left by kills in the middle of a write: evidence of where they fell.
    const QStringList ours{QStringLiteral("lj.txt"), QStringLiteral("浏览器.ini"), QStringLiteral("浏览器.ini.lock"),
                           QStringLiteral("收藏夹")};
    qsizetype leftovers = QDir(folder.favourites()).entryList(QDir::Files | QDir::Hidden).size() - 1;
    for (const QString& name : QDir(folder.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        leftovers += !ours.contains(name);
    std::cout << "[ INFO     ] " << kRounds << " kills after " << stepsTotal << " writes; " << newStates
              << " kills right after a file was replaced; " << leftovers << " temporary files left by kills mid-write\n";
}

}  // namespace
