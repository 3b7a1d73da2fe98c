#include "common/files.h"
#include "common/paths.h"
#include "proxies.h"
#include "support/fakewebview.h"
#include "support/modal.h"
#include "testserver.h"
#include "tools/pagesource.h"
#include "tools/tools.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace testing_support;

// ---- screenshot -------------------------------------------------------------------

// The window's dialog as the main window makes it: an open dialog for an existing file.
std::unique_ptr<QFileDialog> windowDialog()
{
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    return dialog;
}

QLineEdit* nameField(QFileDialog* dialog) { return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

// Types the name into the save dialog and presses Save; `look` first sees the dialog as it opened.
ModalAnswers::Answer typeName(const QString& name, std::function<void(QFileDialog*)> look = {})
{
    return [=](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (!dialog || !nameField(dialog)) {
            ADD_FAILURE() << "expected the save dialog";
            static_cast<QDialog*>(widget)->reject();
            return;
        }
        if (look)
            look(dialog);
        nameField(dialog)->setText(name);
        // The dialog's own accept (default suffix, overwrite question) runs after this
        // answer returns, so that a question it asks gets answered too.
        QMetaObject::invokeMethod(
            dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); }, Qt::QueuedConnection);
    };
}

ModalAnswers::Answer cancelDialog(std::function<void(QFileDialog*)> look = {})
{
    return [=](QWidget* widget) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && look)
            look(dialog);
        else if (!dialog)
            ADD_FAILURE() << "expected the save dialog";
        static_cast<QDialog*>(widget)->reject();
    };
}

// Presses one of a platform message box's standard buttons.
ModalAnswers::Answer pressStandard(QMessageBox::StandardButton which, QString* textSeen = nullptr)
{
    return [=](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box || !box->button(which)) {
            ADD_FAILURE() << "expected a question with that button";
            static_cast<QDialog*>(widget)->reject();
            return;
        }
        if (textSeen)
            *textSeen = box->text();
        box->button(which)->click();
    };
}

struct Seen {
    QString text, caption;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Notes what our message box shows, then presses its only button.
ModalAnswers::Answer noteAndOk(Seen* seen)
{
    return [seen](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box) {
            ADD_FAILURE() << "expected a message box";
            static_cast<QDialog*>(widget)->reject();
            return;
        }
        seen->text = box->text();
        seen->caption = box->windowTitle();
        seen->buttons = int(box->buttons().size());
        seen->icon = box->icon();
        clickButton(QStringLiteral("确定"))(widget);
    };
}

// Closes a dialog nobody expected, so the test fails instead of hanging.
ModalAnswers::Answer unexpected()
{
    return [](QWidget* widget) {
        ADD_FAILURE() << "unexpected dialog: " << dialogTexts(widget).join(u'|').toStdString();
        static_cast<QDialog*>(widget)->reject();
    };
}

void expectConfirmation(const Seen& seen)
{
    EXPECT_EQ(seen.text, QStringLiteral("保存好咯！你该怎么感谢我？"));
    EXPECT_EQ(seen.caption, QStringLiteral("消息："));
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

class Screenshot : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString at(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    std::unique_ptr<QFileDialog> dialog = windowDialog();
};

TEST_F(Screenshot, SavesTheSnapshotUnderTheNameChosen)
{
    struct Case {
        QString typed, stored;
    };
    const Case cases[] = {
        {QStringLiteral("shot"), QStringLiteral("shot.bmp")},         // no extension: ".bmp" added
        {QStringLiteral("屏幕.bmp"), QStringLiteral("屏幕.bmp")},     // kept
        {QStringLiteral("picture.png"), QStringLiteral("picture.png")},  // its own extension kept
    };
    for (const Case& c : cases) {
        auto fresh = windowDialog();
        Seen seen;
        ModalAnswers answers({typeName(at(c.typed)), noteAndOk(&seen), unexpected()});
        tools::takeScreenshot(*fresh);
        EXPECT_EQ(answers.answered(), 2) << c.typed.toStdString();
        expectConfirmation(seen);
        const QByteArray saved = files::readAll(at(c.stored));
        EXPECT_TRUE(saved.startsWith("BM")) << c.stored.toStdString();
        EXPECT_EQ(saved, tools::lastSnapshot());
        EXPECT_FALSE(QFileInfo::exists(at(c.typed + u".jpg")));
    }
}

TEST_F(Screenshot, TheFileReadsBackAsTheScreen)
{
    if (QStandardPaths::findExecutable(QStringLiteral("identify")).isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    Seen seen;
    ModalAnswers answers({typeName(at(QStringLiteral("screen"))), noteAndOk(&seen), unexpected()});
    tools::takeScreenshot(*dialog);
    const QSize size = QGuiApplication::primaryScreen()->size() * QGuiApplication::primaryScreen()->devicePixelRatio();
    QProcess identify;
    identify.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %w %h"), at(QStringLiteral("screen.bmp"))});
    ASSERT_TRUE(identify.waitForFinished(30'000));
    EXPECT_EQ(identify.readAllStandardOutput(), QStringLiteral("BMP3 %1 %2").arg(size.width()).arg(size.height()).toUtf8());
}

TEST_F(Screenshot, TheSecondUseOffersTheFirstPath)
{
    QString offeredFirst = QStringLiteral("(not looked at)");
    QString offeredSecond;
    Seen seen;
    ModalAnswers answers({typeName(at(QStringLiteral("first")), [&](QFileDialog* d) { offeredFirst = nameField(d)->text(); }),
                          noteAndOk(&seen),
                          cancelDialog([&](QFileDialog* d) { offeredSecond = d->selectedFiles().value(0); }),
                          unexpected()});
    tools::takeScreenshot(*dialog);
    tools::takeScreenshot(*dialog);
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(offeredFirst, QString());
    EXPECT_EQ(offeredSecond, at(QStringLiteral("first.bmp")));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
}

TEST_F(Screenshot, CancelWritesNothingAndSaysNothing)
{
    ModalAnswers answers({cancelDialog(), unexpected()});
    tools::takeScreenshot(*dialog);
    EXPECT_EQ(answers.answered(), 1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_TRUE(tools::lastSnapshot().startsWith("BM"));  // taken before the dialog all the same
}

TEST_F(Screenshot, AFailedWriteIsStillConfirmed)
{
    // A dangling link at the name: the write refuses to go through it.
    const QString link = at(QStringLiteral("link.bmp"));
    ASSERT_TRUE(QFile::link(at(QStringLiteral("target.bmp")), link));
    Seen seen;
    ModalAnswers answers({typeName(link), noteAndOk(&seen), unexpected()});
    tools::takeScreenshot(*dialog);
    expectConfirmation(seen);
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("target.bmp"))));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(Screenshot, AnExistingFileIsReplacedOnlyAfterAYes)
{
    const QString old = at(QStringLiteral("old.bmp"));
    files::writeAll(old, "old picture");
    QString question;
    Seen seen;
    {
        ModalAnswers answers({typeName(old), pressStandard(QMessageBox::No), cancelDialog(), unexpected()});
        tools::takeScreenshot(*dialog);
        EXPECT_EQ(answers.answered(), 3);
        EXPECT_EQ(files::readAll(old), QByteArray("old picture"));
    }
    ModalAnswers answers({typeName(old), pressStandard(QMessageBox::Yes, &question), noteAndOk(&seen), unexpected()});
    tools::takeScreenshot(*dialog);
    EXPECT_TRUE(question.contains(QStringLiteral("old.bmp")));
    expectConfirmation(seen);
    EXPECT_EQ(files::readAll(old), tools::lastSnapshot());
}

TEST_F(Screenshot, TheFolderMustExist)
{
    QString offeredAgain;
    ModalAnswers answers({typeName(at(QStringLiteral("missing/shot"))), pressStandard(QMessageBox::Ok),
                          cancelDialog([&](QFileDialog* d) { offeredAgain = d->selectedFiles().value(0); }), unexpected()});
    tools::takeScreenshot(*dialog);
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(offeredAgain, at(QStringLiteral("missing/shot.bmp")));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(Snapshot, ReleasedAtTheEnd)
{
    QTemporaryDir dir;
    auto dialog = windowDialog();
    ModalAnswers answers({cancelDialog(), unexpected()});
    tools::takeScreenshot(*dialog);
    ASSERT_FALSE(tools::lastSnapshot().isEmpty());
    tools::releaseSnapshot();
    EXPECT_TRUE(tools::lastSnapshot().isEmpty());
}

// ---- page source ------------------------------------------------------------------

// Stands in for the desktop: notes each file it is asked to open.
class Desktop : public QObject {
    Q_OBJECT
public:
    Desktop() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~Desktop() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toLocalFile()); }
};

class PageSource : public ::testing::Test {
protected:
    void SetUp() override
    {
        dropProxySettings();
        ASSERT_TRUE(runtime.isValid());
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        ASSERT_EQ(paths::temporaryDirectory(), runtime.path() + u'/');
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", savedRuntime); }
    QString sourceFile() const { return runtime.filePath(QStringLiteral("网页源码.txt")); }

    QTemporaryDir runtime;
    QByteArray savedRuntime;
    Desktop desktop;
    FakeWebView view{nullptr};
};

TEST_F(PageSource, FetchesTheAddressAgainAndOpensTheFile)
{
    TestServer server(respond("HTTP/1.0 200 OK", "<p>源码</p>"));
    view.currentUrl = server.address(QStringLiteral("/page#section"));
    tools::viewPageSource(view);
    EXPECT_EQ(files::readAll(sourceFile()), QByteArray("<p>源码</p>"));
    EXPECT_EQ(desktop.opened, QStringList{sourceFile()});
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].startsWith("GET /page HTTP/1.0\r\n"));
}

TEST_F(PageSource, ANonWebAddressGivesAnEmptyFileStillOpened)
{
    files::writeAll(sourceFile(), "the previous page");
    view.currentUrl = QStringLiteral("about:blank");
    tools::viewPageSource(view);
    EXPECT_TRUE(QFileInfo::exists(sourceFile()));
    EXPECT_EQ(files::readAll(sourceFile()), QByteArray());
    EXPECT_EQ(desktop.opened, QStringList{sourceFile()});
}

TEST_F(PageSource, TheWindowWaitsBusyButKeepsHandlingEvents)
{
    TestServer server([](TestServer::Connection& connection) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        respond("HTTP/1.0 200 OK", "late")(connection);
    });
    view.currentUrl = server.address(QStringLiteral("/slow"));
    int ticks = 0;
    int busyTicks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            ++busyTicks;
    });
    timer.start();
    tools::viewPageSource(view);
    timer.stop();
    EXPECT_GT(ticks, 5);
    EXPECT_EQ(busyTicks, ticks);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(files::readAll(sourceFile()), QByteArray("late"));
}

// ---- new window and About -----------------------------------------------------------

TEST(NewWindow, StartsTheOwnExecutableWithoutArguments)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("程序 folder"));  // a blank in the path
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString executable = folder + QStringLiteral("/sorvane");
    // Writes the number of its arguments beside itself.
    files::writeAll(executable, "#!/bin/sh\nprintf %s \"$#\" > \"${0%/*}/marker.part\" && mv \"${0%/*}/marker.part\" \"${0%/*}/marker\"\n");
    QFile::setPermissions(executable, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    paths::fix(executable);
    tools::newWindow();
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(folder + QStringLiteral("/marker")) && clock.elapsed() < 10'000)
        QTest::qWait(20);
    EXPECT_EQ(files::readAll(folder + QStringLiteral("/marker")), QByteArray("0"));
}

TEST(About, ShowsTheMakersDetailsInFourLines)
{
    Seen seen;
    ModalAnswers answers({noteAndOk(&seen), unexpected()});
    tools::about();
    EXPECT_EQ(seen.caption, QStringLiteral("关于："));
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.text, tools::aboutText());
    const QStringList lines = seen.text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("作者：")) && lines[0].size() > 3);
    EXPECT_EQ(lines[1], QStringLiteral("编写日期：2012年08月31日"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("QQ群：")) && lines[2].size() > 4);
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("联系邮箱：")));
    // Nobody's real address: one on a domain kept for examples.
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("@example.org")) || lines[3].endsWith(QStringLiteral("@example.com")));
    for (const QString& line : lines)
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n'));
}

}  // namespace

#include "test_tools.moc"
