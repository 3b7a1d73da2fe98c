#include "common/dialogs.h"
#include "support/modal.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(MessageBox, ReturnsTheButtonPressed)
{
    struct Case {
        unsigned flags;
        ModalAnswers::Answer answer;
        int expected;
    };
    const Case cases[] = {
        {dialogs::MB_OK, clickButton(QStringLiteral("确定")), dialogs::Ok},
        {49, clickButton(QStringLiteral("确定")), dialogs::Ok},
        {49, clickButton(QStringLiteral("取消")), dialogs::Cancel},
        {49, pressEscape(), dialogs::Cancel},
        {dialogs::MB_YESNO, clickButton(QStringLiteral("否(&N)")), dialogs::No},
        {dialogs::MB_YESNOCANCEL, clickButton(QStringLiteral("是(&Y)")), dialogs::Yes},
        {dialogs::MB_ABORTRETRYIGNORE, clickButton(QStringLiteral("忽略(&I)")), dialogs::Ignore},
        {dialogs::MB_RETRYCANCEL, clickButton(QStringLiteral("重试(&R)")), dialogs::Retry},
    };
    for (const Case& c : cases) {
        ModalAnswers answers({c.answer});
        EXPECT_EQ(dialogs::messageBox(QStringLiteral("text"), QStringLiteral("caption"), c.flags), c.expected)
            << "flags " << c.flags;
        EXPECT_EQ(answers.seen().value(0), QStringLiteral("caption"));
    }
}

TEST(InputBox, OkGivesTheFieldAndCancelKeepsTheText)
{
    {
        QString text = QStringLiteral("initial");
        ModalAnswers answers({[](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->selectedText(), QStringLiteral("initial"));  // selected in full
            typeAndAccept(QString())(dialog);
        }});
        EXPECT_TRUE(dialogs::inputBox(QStringLiteral("输入名称！"), QStringLiteral("添加到收藏夹："), text));
        EXPECT_EQ(text, QString());
        EXPECT_TRUE(answers.seen().contains(QStringLiteral("输入名称！")));
        EXPECT_EQ(answers.seen().value(0), QStringLiteral("添加到收藏夹："));
    }
    for (auto answer : {pressEscape(), clickButton(QStringLiteral("取消"))}) {
        QString text = QStringLiteral("kept");
        ModalAnswers answers({[answer](QWidget* dialog) {
            dialog->findChild<QLineEdit*>()->setText(QStringLiteral("typed"));
            answer(dialog);
        }});
        EXPECT_FALSE(dialogs::inputBox(QStringLiteral("p"), QStringLiteral("t"), text));
        EXPECT_EQ(text, QStringLiteral("kept"));
    }
}

}  // namespace
