#include "favourites/favourites.h"
#include "favourites/names.h"
#include "favourites/shortcut.h"

#include "common/paths.h"
#include "support/fakewebview.h"
#include "support/modal.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "printing.h"

#include <functional>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace testing_support;

const QString kPrompt = QStringLiteral("输入名称！");
const QString kBoxTitle = QStringLiteral("添加到收藏夹：");
const QString kOverwrite = QStringLiteral("文件已经存在，确定要覆盖原文件！不后悔么？");
const QString kOk = QStringLiteral("确定");
const QString kCancel = QStringLiteral("取消");

class Favourites : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        programDir = root.filePath(QStringLiteral("程序"));
        ASSERT_TRUE(QDir().mkdir(programDir));
        paths::fix(programDir + QStringLiteral("/sorvane"));
        QPixmap picture(16, 15);
        picture.fill(Qt::blue);
        icon = QIcon(picture);
        view.currentTitleText = QStringLiteral("页面标题");
        view.currentUrl = QStringLiteral("http://127.0.0.1:8080/page");
    }

    QString folder() const { return favourites::folderPath(); }
    QByteArray folderBytes() const { return QFile::encodeName(folder()); }

    void makeFolder() const { ASSERT_TRUE(QDir().mkpath(folder())); }

    // A file in the favourites folder under an exact on-disk name.
    void writeFile(const QByteArray& fileName, const QByteArray& bytes) const
    {
        // By its bytes: a QString name would not keep bytes that are not UTF-8.
        const int fd = ::open(QByteArray(folderBytes() + '/' + fileName).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }

    QByteArray fileOf(const QString& name) const
    {
        QFile file(QFile::decodeName(folderBytes() + '/' + favourites::fileStem(name) + ".url"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QStringList texts(const QTreeWidget& panel) const
    {
        QStringList out;
        for (int i = 0; i < panel.topLevelItemCount(); ++i)
            out.append(panel.topLevelItem(i)->text(0));
        return out;
    }

    void select(QTreeWidget& panel, const QString& name) const
    {
        panel.clearSelection();
        for (int i = 0; i < panel.topLevelItemCount(); ++i)
            if (panel.topLevelItem(i)->text(0) == name)
                panel.topLevelItem(i)->setSelected(true);
    }

    QStringList folderEntries() const
    {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // Everything under the temporary root but the program folder, the favourites folder
    // and the favourites folder's own entries.
    QStringList strayEntries() const
    {
        QStringList stray;
        QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path != programDir && path != folder() && QFileInfo(path).path() != folder())
                stray.append(path);
        }
        return stray;
    }

    QTemporaryDir root;
    QString programDir;
    QIcon icon;
    QWidget host;
    FakeWebView view{&host};
};

// Input box answers.
ModalAnswers::Answer type(const QString& name) { return typeAndAccept(name); }

// --- listing ---------------------------------------------------------------------------

TEST_F(Favourites, LoadListsFilesOnlyInTheOrderOfTheDirectorySearch)
{
    makeFolder();
    writeFile("a.url", favourites::shortcutBytes(QStringLiteral("http://a/")));
    writeFile("b.url", favourites::shortcutBytes(QStringLiteral("http://b/")));
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("c.url")));
    writeFile("D.URL", "");                   // letter case of the extension does not count
    writeFile("notes.txt", "");
    writeFile(".hidden.url", "");             // no name maps to a hidden file
    writeFile("\xFF\xFE.url", "");            // not UTF-8: could not be opened by its entry
    writeFile("%2Fetc.url", "");              // our escape: listed under the name it stands for
    ASSERT_TRUE(QFile::link(folder() + QStringLiteral("/c.url"), folder() + QStringLiteral("/e.url")));  // link to a folder

    QTreeWidget panel;
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("already there")}));
    favourites::load(panel, icon);

    // The directory's own order, as another reader of it sees it.
    const QHash<QString, QString> listed = {{QStringLiteral("a.url"), QStringLiteral("a")},
                                            {QStringLiteral("b.url"), QStringLiteral("b")},
                                            {QStringLiteral("D.URL"), QStringLiteral("D")},
                                            {QStringLiteral("%2Fetc.url"), QStringLiteral("/etc")}};
    QStringList expected{QStringLiteral("already there")};
    for (const QString& entry : QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden, QDir::Unsorted))
        if (listed.contains(entry))
            expected.append(listed.value(entry));
    EXPECT_EQ(texts(panel), expected);
    for (int i = 1; i < panel.topLevelItemCount(); ++i)
        EXPECT_EQ(panel.topLevelItem(i)->icon(0).cacheKey(), icon.cacheKey());
}

TEST_F(Favourites, LoadWithoutAFolderListsNothingAndCreatesNothing)
{
    QTreeWidget panel;
    favourites::load(panel, icon);
    EXPECT_EQ(panel.topLevelItemCount(), 0);
    EXPECT_FALSE(QFileInfo::exists(folder()));
}

// --- open ------------------------------------------------------------------------------

TEST_F(Favourites, OpenTakesTheAddressFromTheFirstUrlLine)
{
    const struct {
        const char* what;
        std::optional<QByteArray> file;  // none: no file at all
        QStringList opened;
    } cases[] = {
        {"written by this program", favourites::shortcutBytes(QStringLiteral("http://a/中文?q=1")),
         {QStringLiteral("http://a/中文?q=1")}},
        {"further lines and sections",
         QByteArray("[InternetShortcut]\r\nURL=http://a/\r\nIDList=\r\nIconFile=C:\\x.ico\r\nIconIndex=1\r\n"
                    "HotKey=0\r\n[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,2\r\n"),
         {QStringLiteral("http://a/")}},
        {"line feeds only", QByteArray("[InternetShortcut]\nURL=http://a/\nIconIndex=0\n"), {QStringLiteral("http://a/")}},
        {"URL= twice", QByteArray("[InternetShortcut]\r\nURL=http://first/?u=URL=x\r\nURL=http://second/"),
         {QStringLiteral("http://first/?u=URL=x")}},
        {"a zero byte ends the text", QByteArray("[InternetShortcut]\r\nURL=http://a/\0garbage\r\n", 42),
         {QStringLiteral("http://a/")}},
        {"a zero byte before URL=", QByteArray("[InternetShortcut]\0\r\nURL=http://a/", 33), {}},
        {"no URL=", QByteArray("[InternetShortcut]\r\nurl=http://a/\r\n"), {}},
        {"URL= with nothing after it", QByteArray("[InternetShortcut]\r\nURL=\r\nIconIndex=0"), {}},
        {"an empty file", QByteArray(), {}},
        {"no file", std::nullopt, {}},
        {"double-byte character whose second byte is U",
         QByteArray("[InternetShortcut]\r\nX=\x81URL=http://wrong/\r\nURL=http://right/"), {QStringLiteral("http://right/")}},
    };
    makeFolder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(folder() + QStringLiteral("/站点.url"));
        if (c.file)
            writeFile(favourites::fileStem(QStringLiteral("站点")) + ".url", *c.file);
        QTreeWidget panel;
        panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("站点")}));
        select(panel, QStringLiteral("站点"));
        view.navigations.clear();
        favourites::open(panel, view);
        EXPECT_EQ(view.navigations, c.opened);
    }
}

TEST_F(Favourites, OpenWithNothingSelectedDoesNothing)
{
    makeFolder();
    writeFile(".url", favourites::shortcutBytes(QStringLiteral("http://a/")));
    QTreeWidget panel;
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("a")}));
    favourites::open(panel, view);
    EXPECT_TRUE(view.navigations.isEmpty());
}

TEST_F(Favourites, OpenFindsAFileWhoseExtensionIsUpperCase)
{
    makeFolder();
    writeFile("Site.URL", favourites::shortcutBytes(QStringLiteral("http://a/")));
    QTreeWidget panel;
    favourites::load(panel, icon);
    select(panel, QStringLiteral("Site"));
    favourites::open(panel, view);
    EXPECT_EQ(view.navigations, QStringList{QStringLiteral("http://a/")});
}

TEST_F(Favourites, LinksOutOfTheFolderAreNeverReadWrittenOrFollowedOnDelete)
{
    makeFolder();
    const QString outside = root.filePath(QStringLiteral("outside.url"));
    {
        QFile file(outside);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(favourites::shortcutBytes(QStringLiteral("http://secret/")));
    }
    ASSERT_TRUE(QFile::link(outside, folder() + QStringLiteral("/link.url")));
    ASSERT_TRUE(QFile::link(root.path(), folder() + QStringLiteral("/dir.url")));

    QTreeWidget panel;
    favourites::load(panel, icon);
    ASSERT_EQ(texts(panel), QStringList{QStringLiteral("link")});
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("dir")}));
    for (const QString& name : {QStringLiteral("link"), QStringLiteral("dir")}) {
        select(panel, name);
        favourites::open(panel, view);
        EXPECT_TRUE(view.navigations.isEmpty()) << name.toStdString();
    }
    {
        // Overwriting is asked, but never writes through the link.
        ModalAnswers answers({type(QStringLiteral("link")), clickButton(kOk)});
        favourites::add(panel, view, icon);
        EXPECT_EQ(answers.answered(), 2);
        EXPECT_EQ(texts(panel), (QStringList{QStringLiteral("link"), QStringLiteral("dir")}));
    }
    for (const QString& name : {QStringLiteral("link"), QStringLiteral("dir")}) {
        select(panel, name);
        favourites::remove(panel);
    }
    EXPECT_EQ(panel.topLevelItemCount(), 0);
    EXPECT_TRUE(folderEntries().isEmpty()) << "the links themselves are deleted";
    QFile target(outside);
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), favourites::shortcutBytes(QStringLiteral("http://secret/")));
    EXPECT_TRUE(QFileInfo(root.path()).isDir());
}

// --- add -------------------------------------------------------------------------------

TEST_F(Favourites, AddWithAnEmptyNameOrCancelWritesNothingButMakesTheFolder)
{
    const struct {
        const char* what;
        ModalAnswers::Answer answer;
    } cases[] = {{"empty name confirmed", type(QString())}, {"Cancel", clickButton(kCancel)}, {"Esc", pressEscape()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder()).removeRecursively();
        QTreeWidget panel;
        ModalAnswers answers({c.answer});
        favourites::add(panel, view, icon);
        EXPECT_EQ(answers.answered(), 1);
        EXPECT_EQ(panel.topLevelItemCount(), 0);
        EXPECT_TRUE(QFileInfo(folder()).isDir());
        EXPECT_TRUE(folderEntries().isEmpty());
    }
}

TEST_F(Favourites, AddOffersTheTitleAndStoresTheAddressOfTheMomentOfWriting)
{
    QTreeWidget panel;
    ModalAnswers answers({[this](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->selectedText(), QStringLiteral("页面标题"));
        view.currentUrl = QStringLiteral("http://127.0.0.1:8080/later");  // the page moved on meanwhile
        typeAndAccept(QStringLiteral("我的站点"))(dialog);
    }});
    favourites::add(panel, view, icon);
    EXPECT_EQ(answers.seen().mid(0, 2), (QStringList{kBoxTitle, kPrompt}));
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("我的站点")});
    EXPECT_EQ(panel.topLevelItem(0)->icon(0).cacheKey(), icon.cacheKey());
    EXPECT_EQ(fileOf(QStringLiteral("我的站点")), favourites::shortcutBytes(QStringLiteral("http://127.0.0.1:8080/later")));
}

TEST_F(Favourites, AddOverAnExistingNameThenOkOverwritesAndKeepsOneEntry)
{
    makeFolder();
    writeFile("站点.url", favourites::shortcutBytes(QStringLiteral("http://old/")));
    QTreeWidget panel;
    favourites::load(panel, icon);
    ModalAnswers answers({type(QStringLiteral("站点")), clickButton(kOk)});
    favourites::add(panel, view, icon);
    EXPECT_EQ(answers.answered(), 2);
    EXPECT_TRUE(answers.seen().contains(kOverwrite));
    EXPECT_TRUE(answers.seen().contains(QStringLiteral("警告：")));
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("站点")});
    EXPECT_EQ(fileOf(QStringLiteral("站点")), favourites::shortcutBytes(view.currentUrl));
}

TEST_F(Favourites, AddOverAnExistingNameThenCancelAsksAgainWithThePageTitle)
{
    makeFolder();
    const QByteArray old = favourites::shortcutBytes(QStringLiteral("http://old/"));
    writeFile("站点.url", old);
    QTreeWidget panel;
    favourites::load(panel, icon);
    QString secondOffer;
    ModalAnswers answers({type(QStringLiteral("站点")),
                          [this](QWidget* dialog) {
                              view.currentTitleText = QStringLiteral("新标题");  // taken when the box opens again
                              clickButton(kCancel)(dialog);
                          },
                          [&secondOffer](QWidget* dialog) {
                              secondOffer = dialog->findChild<QLineEdit*>()->text();
                              clickButton(kCancel)(dialog);
                          }});
    favourites::add(panel, view, icon);
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(secondOffer, QStringLiteral("新标题"));
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("站点")});
    EXPECT_EQ(fileOf(QStringLiteral("站点")), old);
}

TEST_F(Favourites, AddOverAFileWithAnUpperCaseExtensionOverwritesThatFile)
{
    makeFolder();
    writeFile("Site.URL", favourites::shortcutBytes(QStringLiteral("http://old/")));
    QTreeWidget panel;
    favourites::load(panel, icon);
    ModalAnswers answers({type(QStringLiteral("Site")), clickButton(kOk)});
    favourites::add(panel, view, icon);
    EXPECT_EQ(answers.answered(), 2);
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("Site.URL")});
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("Site")});
}

TEST_F(Favourites, AddRefusesANameTooLongForAFileAndOffersItAgain)
{
    const QString tooLong(252, u'a');
    const QString longest(251, u'a');
    QString offered;
    QTreeWidget panel;
    ModalAnswers answers({type(tooLong), clickButton(kOk),
                          [&](QWidget* dialog) {
                              offered = dialog->findChild<QLineEdit*>()->text();
                              typeAndAccept(longest)(dialog);
                          }});
    favourites::add(panel, view, icon);
    EXPECT_EQ(answers.answered(), 3);
    EXPECT_EQ(offered, tooLong);
    EXPECT_EQ(texts(panel), QStringList{longest});
    EXPECT_EQ(folderEntries(), QStringList{longest + QStringLiteral(".url")});
}

// Whatever the name, it lands in the folder, lists again after a restart, opens and deletes.
TEST_F(Favourites, HostileNamesStayInTheFolderAndKeepWorking)
{
    QString lone;
    lone += QChar(char16_t(0xD800));
    const QString names[] = {
        QStringLiteral("../../x"), QStringLiteral("a/b"), QStringLiteral(".."), QStringLiteral("."),
        QStringLiteral("-rf"), QStringLiteral(".bashrc"), QStringLiteral("/etc/passwd"), QStringLiteral("tab\there\x01\x7F"),
        QStringLiteral("100%2F"), QStringLiteral("*?[a]"), QString(251, u'x'), QString(83, u'中'),
        QStringLiteral("x") + lone + QStringLiteral("y"),
    };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toUtf8().toPercentEncoding().toStdString());
        QDir(folder()).removeRecursively();
        view.currentUrl = QStringLiteral("http://127.0.0.1/") + QString::number(qHash(name));
        {
            QTreeWidget panel;
            ModalAnswers answers({type(name)});
            favourites::add(panel, view, icon);
            ASSERT_EQ(texts(panel), QStringList{name});
        }
        EXPECT_EQ(folderEntries().size(), 1);
        EXPECT_TRUE(strayEntries().isEmpty()) << strayEntries().join(u' ').toStdString();

        QTreeWidget panel;
        favourites::load(panel, icon);
        ASSERT_EQ(texts(panel), QStringList{name});
        select(panel, name);
        view.navigations.clear();
        favourites::open(panel, view);
        EXPECT_EQ(view.navigations, QStringList{view.currentUrl});
        favourites::remove(panel);
        EXPECT_EQ(panel.topLevelItemCount(), 0);
        EXPECT_TRUE(folderEntries().isEmpty());
        EXPECT_TRUE(strayEntries().isEmpty());
    }
}

// --- delete ----------------------------------------------------------------------------

TEST_F(Favourites, DeleteRemovesTheSelectedFileAndEntry)
{
    makeFolder();
    for (const char* name : {"a.url", "b.url", "c.url"})
        writeFile(name, "");
    QTreeWidget panel;
    favourites::load(panel, icon);
    QStringList rest = texts(panel);
    select(panel, QStringLiteral("b"));
    favourites::remove(panel);
    rest.removeOne(QStringLiteral("b"));
    EXPECT_EQ(texts(panel), rest);
    EXPECT_FALSE(QFileInfo::exists(folder() + QStringLiteral("/b.url")));
    EXPECT_EQ(folderEntries().size(), 2);
}

TEST_F(Favourites, DeleteOfAFileAlreadyGoneRemovesTheEntry)
{
    QTreeWidget panel;
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("gone")}));
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("kept")}));
    select(panel, QStringLiteral("gone"));
    favourites::remove(panel);
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("kept")});
    favourites::remove(panel);  // nothing selected any more
    EXPECT_EQ(texts(panel), QStringList{QStringLiteral("kept")});
}

// --- context menu ----------------------------------------------------------------------

TEST_F(Favourites, ContextMenuEnablesDeleteOnlyWithASelectionAndOpensBesideThePointer)
{
    QTreeWidget panel;
    panel.addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("a")}));
    QMenu menu;
    menu.addAction(QStringLiteral("添加(&A)"));
    QAction* deleteItem = menu.addAction(QStringLiteral("删除(&D)"));
    menu.addAction(QStringLiteral("打开收藏夹目录(&F)"));
    for (const bool selected : {false, true, false}) {
        panel.topLevelItem(0)->setSelected(selected);
        deleteItem->setEnabled(!selected);
        std::optional<QPoint> shownAt;
        std::optional<bool> enabledWhileShown;
        // The menu is modal: look at it and close it from inside its own loop.
        std::function<void()> closeWhenShown;
        closeWhenShown = [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                shownAt = popup->pos();
                enabledWhileShown = deleteItem->isEnabled();
                popup->close();
            } else {
                QTimer::singleShot(10, closeWhenShown);
            }
        };
        QTimer::singleShot(0, closeWhenShown);
        favourites::showContextMenu(panel, menu, deleteItem, QPoint(100, 120));
        EXPECT_EQ(enabledWhileShown, std::optional<bool>(selected));
        EXPECT_EQ(shownAt, std::optional<QPoint>(QPoint(103, 123)));
    }
}

}  // namespace
