// The ways the program ends: the normal close, the end at once and the fatal error.
#include "window_fixture.h"

#include "browsing/history.h"
#include "settings/settings.h"
#include "support/modal.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gmock/gmock.h>

namespace {

using testing_support::ModalAnswers;
using testing_support::clickButton;

TEST_F(WindowTest, ClosingSavesTheHistoryThenTheShutdownMarker)
{
    window->addressBox->setEditText(QStringLiteral("http://127.0.0.1/a"));
    window->goButton->click();
    window->close();
    EXPECT_EQ(lifecycle::stage(), lifecycle::Stage::Ending);
    QFile history(browsing::history::filePath());
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_EQ(history.readAll(), "http://127.0.0.1/a\r\n");
    EXPECT_EQ(settings::read(QStringLiteral("tzs"), QString()), QStringLiteral("1"));
}

TEST_F(WindowTest, QuitAsksForTheCloseOnceTheLoopGetsThere)
{
    window->show();
    window->item(app::Item::Quit)->trigger();
    EXPECT_TRUE(window->isVisible());  // not yet: the request is posted
    QTRY_VERIFY(!window->isVisible());
    EXPECT_TRUE(QFile::exists(browsing::history::filePath()));
}

TEST_F(WindowTest, EscClosesUnlessTheFocusedControlTakesIt)
{
    window->show();
    QTest::keyClick(window->searchBox, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, AcceleratorsComeBeforeTheFocusedControl)
{
    // A control that would claim every key for itself, as the web view may.
    struct Greedy : QWidget {
        bool event(QEvent* e) override
        {
            if (e->type() == QEvent::ShortcutOverride) {
                e->accept();
                return true;
            }
            return QWidget::event(e);
        }
    };
    window->show();
    QApplication::setActiveWindow(window.get());
    auto* greedy = new Greedy;
    greedy->setParent(window->webViewWidget());
    greedy->setFocusPolicy(Qt::StrongFocus);
    greedy->show();
    greedy->setFocus();
    int refreshed = 0;
    QObject::connect(window->item(app::Item::Refresh), &QAction::triggered, [&] { ++refreshed; });
    QTest::keyClick(greedy, Qt::Key_F5);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(view->commands, std::vector<int>{browsing::Refresh});
}

TEST_F(WindowTest, NoHandlerRunsWhileStartingOrEnding)
{
    for (auto stage : {lifecycle::Stage::Starting, lifecycle::Stage::Ending}) {
        lifecycle::setStage(stage);
        window->goButton->click();
        window->toolbarButton(4)->trigger();
        EXPECT_TRUE(view->commands.empty());
        EXPECT_EQ(window->addressBox->count(), 0);
    }
}

TEST(FatalError, ShowsTheBoxThenExitsWith255WithoutTheCleanUp)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            lifecycle::registerExitCleanup([] { std::fputs("cleanup ran", stderr); });
            ModalAnswers answers({[](QWidget* box) {
                std::fputs(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text().toUtf8().constData(), stderr);
                clickButton(QStringLiteral("确定"))(box);
            }});
            lifecycle::fatalError(QStringLiteral("找不到 SkinH_EL.dll"));
        },
        testing::ExitedWithCode(255), testing::AllOf(testing::HasSubstr("SkinH_EL.dll"), testing::Not(testing::HasSubstr("cleanup ran"))));
}

TEST(EndAtOnce, RunsTheCleanUpAndExitsWith0)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            lifecycle::registerExitCleanup([] { std::fputs("cleanup ran", stderr); });
            lifecycle::endAtOnce();
        },
        testing::ExitedWithCode(0), testing::HasSubstr("cleanup ran"));
}

}  // namespace
