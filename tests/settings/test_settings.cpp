#include "settings/settings.h"

#include "browsing/site.h"
#include "common/paths.h"
#include "common/text.h"
#include "support/fakewebview.h"
#include "support/modal.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

using namespace testing_support;

class Settings : public ::testing::Test {
protected:
    Settings()
    {
        paths::fix(dir.path() + QStringLiteral("/sorvane"));
        // The five text-size items as the menu builds them: checkable, exclusive, "中等" checked.
        const QString names[] = {QStringLiteral("较小"), QStringLiteral("小"), QStringLiteral("中等"),
                                 QStringLiteral("大"), QStringLiteral("较大")};
        for (const QString& name : names) {
            QAction* item = group.addAction(name);
            item->setCheckable(true);
            items.append(item);
        }
        items[2]->setChecked(true);
    }

    QByteArray fileBytes() const
    {
        QFile file(settings::filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void putFile(const QByteArray& bytes) const
    {
        QFile file(settings::filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    int checkedItem() const
    {
        int checked = -1;
        for (int i = 0; i < items.size(); ++i) {
            if (items[i]->isChecked()) {
                EXPECT_EQ(checked, -1) << "two items checked";
                checked = i;
            }
        }
        return checked;
    }
    bool textSizeApplied() const { return view.log.filter(QStringLiteral("text size")).size() > 0; }

    QTemporaryDir dir;
    QWidget window;
    FakeWebView view{&window};
    QActionGroup group{nullptr};
    QList<QAction*> items;
};

TEST_F(Settings, FileLiesInTheProgramDirectory)
{
    EXPECT_EQ(settings::filePath(), dir.path() + QStringLiteral("/浏览器.ini"));
}

TEST_F(Settings, FirstStartWithoutAFileUsesTheDefaultsAndStoresTheTextSize)
{
    EXPECT_EQ(settings::read(QStringLiteral("SCJ"), QStringLiteral("2")), QStringLiteral("2"));
    settings::restoreTextSize(view, items);
    settings::openHomePage(view);
    EXPECT_EQ(view.textSize(), 2);
    EXPECT_EQ(checkedItem(), 2);
    EXPECT_EQ(view.navigations, QStringList{browsing::defaultHomePage()});
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=2\r\n");
    settings::markShutdown();
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=2\r\ntzs=1\r\n");
}

TEST_F(Settings, ValuesTravelInTheCodePage)
{
    const QString page = QStringLiteral("主页.例子/页面");
    settings::write(QStringLiteral("zy"), page);
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzy=" + text::encode(page) + "\r\n");
    EXPECT_EQ(settings::read(QStringLiteral("zy"), QString()), page);

    // A value longer than the buffer comes back cut at a character, never half of one.
    settings::write(QStringLiteral("zy"), QString(6000, u'中'));
    EXPECT_EQ(settings::read(QStringLiteral("zy"), QString()), QString(5119, u'中'));
}

TEST(ParseLevel, ReadsIntegersTheWayTheStoredLevelIsMeant)
{
    struct Case {
        QString text;
        int expected;
    };
    const Case cases[] = {
        {QStringLiteral("3"), 3},
        {QStringLiteral("03"), 3},
        {QStringLiteral("3x"), 3},
        {QStringLiteral("abc"), 0},
        {QString(), 0},
        {QStringLiteral("-1"), -1},
        {QStringLiteral("+4"), 4},
        {QStringLiteral("  \t2"), 2},
        {QStringLiteral("２"), 2},
        {QStringLiteral("　＋１"), 1},
        {QStringLiteral("－３"), -3},
        {QStringLiteral("1２x"), 12},
        {QStringLiteral("- 1"), 0},
        {QStringLiteral("+-1"), 0},
        {QStringLiteral("x3"), 0},
        {QStringLiteral("2147483647"), INT_MAX},
        {QStringLiteral("-2147483648"), INT_MIN},
        {QStringLiteral("99999999999999999999"), INT_MAX},
        {QStringLiteral("-99999999999999999999"), INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::parseLevel(c.text), c.expected) << c.text.toStdString();
}

TEST_F(Settings, RestoreTextSizeAppliesOnlyLevelsZeroToFour)
{
    struct Case {
        QByteArray stored;   // the value in the file, as bytes
        int level;           // -1: nothing applied
        QByteArray after;    // the value in the file afterwards
    };
    const Case cases[] = {
        {"abc", 0, "0"},
        {"7", -1, "7"},
        {"5", -1, "5"},
        {"-1", -1, "-1"},
        {"99999999999999999999", -1, "99999999999999999999"},
        {"3x", 3, "3"},
        {"03", 3, "3"},
        {"\xA3\xB2", 2, "2"},      // full-width two
        {"\xA1\xA1\xA3\xB4", 4, "4"},  // ideographic blank, full-width four
        {"1", 1, "1"},
        {"", 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toStdString());
        view.log.clear();
        view.setTextSize(2);
        view.log.clear();
        items[2]->setChecked(true);
        putFile("[SZ]\r\nzt=" + c.stored + "\r\nzy=kept\r\n");
        settings::restoreTextSize(view, items);
        if (c.level < 0) {
            EXPECT_FALSE(textSizeApplied());
            EXPECT_EQ(view.textSize(), 2);
            EXPECT_EQ(checkedItem(), 2);
        } else {
            EXPECT_EQ(view.log, QStringList{QStringLiteral("text size %1").arg(c.level)});
            EXPECT_EQ(checkedItem(), c.level);
        }
        EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=" + c.after + "\r\nzy=kept\r\n");
    }
}

TEST_F(Settings, ApplyTextSizeChecksOneItemAndStoresTheLevelEvenWhenAlreadyChecked)
{
    settings::applyTextSize(3, view, items);
    EXPECT_EQ(view.textSize(), 3);
    EXPECT_EQ(checkedItem(), 3);
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=3\r\n");

    // "大" is checked already; choosing it again still stores "zt".
    putFile("[SZ]\r\nzt=1\r\n");
    settings::applyTextSize(3, view, items);
    EXPECT_EQ(checkedItem(), 3);
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=3\r\n");

    // Items outside an exclusive group: the other four are unchecked too.
    std::vector<std::unique_ptr<QAction>> loose;
    QList<QAction*> looseItems;
    for (int i = 0; i < 5; ++i) {
        loose.push_back(std::make_unique<QAction>());
        loose.back()->setCheckable(true);
        loose.back()->setChecked(true);
        looseItems.append(loose.back().get());
    }
    settings::applyTextSize(0, view, looseItems);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(looseItems[i]->isChecked(), i == 0) << i;
    EXPECT_EQ(fileBytes(), "[SZ]\r\nzt=0\r\n");
}

TEST_F(Settings, OpenHomePageHandsTheStoredValueOverUnchanged)
{
    const QByteArray cases[] = {"", "127.0.0.1:8080/start", "\xD6\xF7\xD2\xB3"};
    for (const QByteArray& stored : cases) {
        view.navigations.clear();
        putFile("[SZ]\r\nzy=" + stored + "\r\n");
        settings::openHomePage(view);
        EXPECT_EQ(view.navigations, QStringList{text::decode(stored)});
    }
}

TEST_F(Settings, HomePageCommandStoresOnlyAConfirmedField)
{
    struct Case {
        QString typed;
        ModalAnswers::Answer close;
        QByteArray after;
    };
    const QString typed = QStringLiteral("127.0.0.1/home");
    const Case cases[] = {
        {typed, typeAndAccept(typed), "[SZ]\r\nzy=127.0.0.1/home\r\n"},
        {QString(), typeAndAccept(QString()), "[SZ]\r\nzy=\r\n"},  // an empty confirmed field stores empty
        {typed, pressEscape(), "[SZ]\r\nzy=before\r\n"},
        {typed, clickButton(QStringLiteral("取消")), "[SZ]\r\nzy=before\r\n"},
        {QString(), clickButton(QStringLiteral("取消")), "[SZ]\r\nzy=before\r\n"},
    };
    for (const Case& c : cases) {
        putFile("[SZ]\r\nzy=before\r\n");
        bool startedEmpty = false;
        ModalAnswers answers({[&](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            startedEmpty = edit->text().isEmpty();
            edit->setText(c.typed);
            c.close(dialog);
        }});
        settings::homePageCommand();
        EXPECT_EQ(answers.answered(), 1);
        EXPECT_TRUE(startedEmpty) << "the field must not start with the stored home page";
        EXPECT_EQ(answers.seen().value(0), QStringLiteral("主页设置："));
        EXPECT_TRUE(answers.seen().contains(QStringLiteral("请输入你的主页地址！")));
        EXPECT_EQ(fileBytes(), c.after);
        EXPECT_TRUE(view.navigations.isEmpty());
    }
}

TEST_F(Settings, MarkShutdownKeepsTheOtherKeys)
{
    putFile("; mine\r\n[SZ]\r\nzt=4\r\nSCJ=1\r\nzy=\r\n");
    settings::markShutdown();
    EXPECT_EQ(fileBytes(), "; mine\r\n[SZ]\r\nzt=4\r\nSCJ=1\r\nzy=\r\ntzs=1\r\n");
}

}  // namespace
