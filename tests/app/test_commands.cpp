// The wiring: what each toolbar button, menu item, control and web view event does.
#include "window_fixture.h"

#include "app/controls.h"
#include "app/layout.h"
#include "browsing/history.h"
#include "browsing/site.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "skin/skin.h"

#include <QDir>
#include <QTemporaryDir>

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeWidget>

namespace {

using app::Item;

TEST_F(WindowTest, ToolbarButtonsAndMenuItemsIssueTheirCommands)
{
    const std::pair<int, int> buttons[] = {{1, browsing::Back}, {2, browsing::Forward}, {3, browsing::Stop},
                                           {4, browsing::Refresh}, {5, browsing::EngineHome}, {8, browsing::Print}};
    for (const auto& [number, command] : buttons) {
        view->commands.clear();
        window->toolbarButton(number)->setEnabled(true);  // hidden and disabled buttons are never clicked by a user
        Q_EMIT window->toolbarButtonClicked(number);
        EXPECT_EQ(view->commands, std::vector<int>{command}) << "button " << number;
    }
    const std::pair<Item, int> items[] = {{Item::SaveAs, browsing::SaveAs},   {Item::Print, browsing::Print},
                                          {Item::PrintPreview, browsing::PrintPreview}, {Item::PageSetup, browsing::PageSetup},
                                          {Item::Forward, browsing::Forward}, {Item::Back, browsing::Back},
                                          {Item::Refresh, browsing::Refresh}, {Item::Stop, browsing::Stop}};
    for (const auto& [item, command] : items) {
        view->commands.clear();
        window->item(item)->setEnabled(true);
        window->item(item)->trigger();
        EXPECT_EQ(view->commands, std::vector<int>{command}) << static_cast<int>(item);
    }
}

TEST_F(WindowTest, GoFromTheButtonEnterAndButtonSix)
{
    window->addressBox->setEditText(QStringLiteral("http://127.0.0.1/go"));
    window->goButton->click();
    QTest::keyClick(window->addressBox, Qt::Key_Return);
    Q_EMIT window->toolbarButtonClicked(6);
    EXPECT_EQ(view->navigations.mid(1), QStringList(3, QStringLiteral("http://127.0.0.1/go")));
    EXPECT_EQ(window->addressBox->count(), 3);
    EXPECT_EQ(window->addressBox->currentText(), QStringLiteral("http://127.0.0.1/go"));
}

TEST_F(WindowTest, ChoosingAnEntryFromTheListNavigates)
{
    window->addressBox->addItems({QStringLiteral("http://127.0.0.1/a"), QStringLiteral("http://127.0.0.1/b")});
    window->show();
    window->addressBox->showPopup();
    QAbstractItemView* list = window->addressBox->view();
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_COMPARE(view->navigations.last(), QStringLiteral("http://127.0.0.1/b"));
    EXPECT_EQ(window->addressBox->count(), 2);
    EXPECT_EQ(window->addressBox->currentText(), QStringLiteral("http://127.0.0.1/b"));
    const qsizetype navigated = view->navigations.size();
    // Typing an entry's text and leaving the field is no choice.
    window->addressBox->setEditText(QStringLiteral("http://127.0.0.1/a"));
    Q_EMIT window->addressBox->lineEdit()->editingFinished();
    QApplication::processEvents();
    EXPECT_EQ(view->navigations.size(), navigated) << view->navigations.join(u' ').toStdString();
}

TEST_F(WindowTest, SearchButtonQueriesTheDefaultSite)
{
    window->searchBox->setText(QStringLiteral("a&b"));
    window->searchButton->click();
    EXPECT_EQ(view->navigations.last(), browsing::initialAddress() + QStringLiteral("/s?wd=a%26b"));
    EXPECT_EQ(window->addressBox->count(), 0);
}

TEST_F(WindowTest, BackAndForwardFollowTheEngineInToolbarAndMenu)
{
    view->raise8(browsing::Back, true);
    EXPECT_TRUE(window->toolbarButton(1)->isEnabled());
    EXPECT_TRUE(window->item(Item::Back)->isEnabled());
    EXPECT_FALSE(window->toolbarButton(2)->isEnabled());
    view->raise8(browsing::Forward, true);
    view->raise8(browsing::Back, false);
    EXPECT_FALSE(window->toolbarButton(1)->isEnabled());
    EXPECT_FALSE(window->item(Item::Back)->isEnabled());
    EXPECT_TRUE(window->toolbarButton(2)->isEnabled());
    EXPECT_TRUE(window->item(Item::Forward)->isEnabled());
    view->raise8(4, false);  // other commands are not reported
    EXPECT_TRUE(window->item(Item::Refresh)->isEnabled());
}

TEST_F(WindowTest, EventsFeedTheStatusBarCaptionAndAddressBox)
{
    view->currentTitleText = QStringLiteral("页");
    EXPECT_TRUE(view->raise0(QStringLiteral("http://127.0.0.1/x")));
    EXPECT_EQ(window->statusBar->text(), QStringLiteral("正在行动中“http://127.0.0.1/x”"));
    view->raise3(50, 100);
    EXPECT_EQ(window->progressBar->value(), 50);
    view->raise7(QStringLiteral("标题"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("标题"));
    view->raise5(QStringLiteral("http://127.0.0.1/x/"));
    EXPECT_EQ(window->statusBar->text(), QStringLiteral("就这样吧！"));
    EXPECT_EQ(window->addressBox->currentText(), QStringLiteral("http://127.0.0.1/x/"));
}

TEST_F(WindowTest, NewWindowRequestsStayInTheView)
{
    EXPECT_TRUE(view->raise9());
    view->raise6(QStringLiteral("http://127.0.0.1/popup"));
    EXPECT_FALSE(view->raise9());
    EXPECT_EQ(view->navigations.last(), QStringLiteral("http://127.0.0.1/popup"));
}

// Drops a payload on the address box the way the window system delivers it.
void drop(QWidget* target, const QMimeData& data)
{
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropEvent(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropEvent);
}

TEST_F(WindowTest, DropsRunTheGoActionTextFirst)
{
    QLineEdit* field = window->addressBox->lineEdit();
    QMimeData before;
    before.setText(QStringLiteral("ignored before registration"));
    window->dropTarget->attach(field);

    QMimeData both;
    both.setText(QStringLiteral("words"));
    both.setUrls({QUrl(QStringLiteral("http://127.0.0.1/link"))});
    drop(field, both);
    EXPECT_EQ(view->navigations.mid(1), (QStringList{QStringLiteral("words"), QStringLiteral("http://127.0.0.1/link")}));
    EXPECT_EQ(window->addressBox->itemText(0), QStringLiteral("http://127.0.0.1/link"));
    EXPECT_EQ(window->addressBox->itemText(1), QStringLiteral("words"));

    QMimeData html;
    html.setText(QStringLiteral("t"));
    html.setHtml(QStringLiteral("<b>t</b>"));
    drop(field, html);
    EXPECT_EQ(view->navigations.size(), 3);
}

TEST_F(WindowTest, OpacitySliderSetsAlphaOnceLayered)
{
    app::startupSteps().at(1).run(*window);  // enable opacity
    EXPECT_TRUE(platform::GetWindowLongA(window.get(), platform::GWL_EXSTYLE) & platform::WS_EX_LAYERED);
    EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
    for (int key : {Qt::Key_End, Qt::Key_Home}) {
        QTest::keyClick(window->opacitySlider, static_cast<Qt::Key>(key));
    }
    EXPECT_EQ(window->opacitySlider->value(), 50);
    EXPECT_NEAR(window->windowOpacity(), 50 / 255.0, 0.005);
    QTest::keyClick(window->opacitySlider, Qt::Key_PageUp);
    EXPECT_NEAR(window->windowOpacity(), 55 / 255.0, 0.005);
    window->opacitySlider->setValue(255);
    EXPECT_DOUBLE_EQ(window->windowOpacity(), 1.0);
}

TEST_F(WindowTest, StartUpStepsInTheirOrder)
{
    const char* expected[] = {"apply skin",        "enable opacity",       "offline off",       "restore panel state",
                              "restore text size", "load favourites",      "load address history", "install tray icon",
                              "open home page",    "register drop target"};
    const auto& steps = app::startupSteps();
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_STREQ(steps[i].name, expected[i]);

    // Each step's effect is in place before the home page is opened, the drop target after.
    QFile history(browsing::history::filePath());
    ASSERT_TRUE(history.open(QIODevice::WriteOnly));
    history.write("http://127.0.0.1/1\r\nhttp://127.0.0.1/2\r\nhttp://127.0.0.1/3\r\n");
    history.close();
    bool checked = false;
    view->onNavigate = [&](const QString&) {
        checked = true;
        EXPECT_TRUE(platform::GetWindowLongA(window.get(), platform::GWL_EXSTYLE) & platform::WS_EX_LAYERED);
        EXPECT_FALSE(view->offline());
        EXPECT_EQ(window->addressBox->count(), 3);
        EXPECT_NE(window->findChild<QSystemTrayIcon*>(), nullptr);
        EXPECT_EQ(window->dropTarget->target(), nullptr);
    };
    view->log.clear();
    for (size_t i = 1; i < steps.size(); ++i)  // the skin needs the engine module; its own tests cover it
        steps[i].run(*window);
    EXPECT_TRUE(checked);
    EXPECT_EQ(window->dropTarget->target(), window->addressBox->lineEdit());
    EXPECT_EQ(view->log.first(), QStringLiteral("offline off"));
    EXPECT_TRUE(view->log.last().startsWith(QStringLiteral("navigate ")));
    EXPECT_EQ(window->addressBox->itemText(0), QStringLiteral("http://127.0.0.1/1"));
}

}  // namespace

namespace {

// Sets an environment variable for one test.
struct ScopedEnv {
    ScopedEnv(const char* name, const QByteArray& value) : name(name), old(qgetenv(name)), had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv() { had ? (void)qputenv(name, old) : (void)qunsetenv(name); }
    const char* name;
    QByteArray old;
    bool had;
};

TEST_F(WindowTest, StartRunsTheCreatedHandlerThenOneRelayoutBeforeTheFirstShow)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("runtime")));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ScopedEnv homeEnv("HOME", home.path().toUtf8());
    ScopedEnv runtimeEnv("XDG_RUNTIME_DIR", home.filePath(QStringLiteral("runtime")).toUtf8());
    settings::write(QStringLiteral("SCJ"), QStringLiteral("1"));
    settings::write(QStringLiteral("zy"), QStringLiteral("http://127.0.0.1/home"));

    skin::installLibrary();
    window->raiseStartEvents();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(qApp->styleSheet().isEmpty());  // the skin is in place before the first show
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("runtime/enjoy.she"))));
    EXPECT_EQ(view->navigations.last(), QStringLiteral("http://127.0.0.1/home"));
    // Hide panel left the view 20 short; the re-layout after the handler makes it 10.
    EXPECT_TRUE(window->favouritesList->isHidden());
    EXPECT_EQ(window->webViewWidget()->x(), 2);
    EXPECT_EQ(window->webViewWidget()->width(), window->outerWidth() - 10);
    qApp->setStyleSheet(QString());
}

}  // namespace
