// The layout numbers on the real widgets, and the favourites panel's state in "SCJ".
#include "window_fixture.h"

#include "app/controls.h"
#include "app/layout.h"
#include "settings/settings.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>

namespace {

using app::layout::frameOf;

class LayoutTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();  // a hidden window defers its resize events
    }
    QRect view() const { return window->webViewWidget()->geometry(); }
    // Resizing runs the re-layout; w is the outer width, frame included.
    void resizeTo(int w) { window->resize(std::max(0, w - (window->frameGeometry().width() - window->width())), 480); }
    void expectBarFollowsView()
    {
        const QRect bar = window->progressBar->geometry();
        EXPECT_EQ(bar.left(), view().left());
        EXPECT_EQ(bar.width(), view().width());
        EXPECT_EQ(bar.top(), frameOf(*window).S - bar.height());
    }
};

TEST_F(LayoutTest, PanelShownAtTheDesignedWidth)
{
    app::layout::relayout(*window);
    const auto f = frameOf(*window);
    EXPECT_EQ(f.W, 1061);
    EXPECT_EQ(view().left(), 198);
    EXPECT_EQ(view().width(), 1061 - 194 - 20);
    EXPECT_EQ(view().top(), f.B + 2);
    EXPECT_EQ(view().height(), f.S - (f.B + 2) - 2);
    EXPECT_EQ(window->goButton->x(), 1061 - 72 - 20);
    EXPECT_EQ(window->addressBox->width(), 1061 - 50 - 72 - 40);
    EXPECT_EQ(window->addressBox->x(), 69);
    EXPECT_EQ(window->favouritesList->geometry(), QRect(0, f.B + 2, 194, f.S - (f.B + 2) - 2));
    expectBarFollowsView();
}

TEST_F(LayoutTest, CloseButtonHidesThePanelAndAResizeWidensTheView)
{
    app::layout::relayout(*window);
    window->panelCloseButton->click();
    EXPECT_TRUE(window->favouritesList->isHidden());
    EXPECT_TRUE(window->panelCloseButton->isHidden());
    EXPECT_EQ(window->favouritesList->width(), 0);
    EXPECT_EQ(view().left(), 2);
    EXPECT_EQ(view().width(), 1041);
    expectBarFollowsView();
    resizeTo(1062);
    EXPECT_EQ(view().left(), 2);
    EXPECT_EQ(view().width(), 1062 - 10);
    EXPECT_EQ(settings::read(QStringLiteral("SCJ"), QString()), QStringLiteral("1"));
}

TEST_F(LayoutTest, ToggleTwiceShowsThePanelAgainAtFullWidth)
{
    app::layout::relayout(*window);
    window->toolbarButton(7)->trigger();
    EXPECT_TRUE(window->favouritesList->isHidden());
    EXPECT_EQ(settings::read(QStringLiteral("SCJ"), QString()), QStringLiteral("1"));
    window->toolbarButton(7)->trigger();
    EXPECT_FALSE(window->favouritesList->isHidden());
    EXPECT_FALSE(window->panelCloseButton->isHidden());
    EXPECT_EQ(window->favouritesList->width(), 194);
    EXPECT_EQ(view().left(), 198);
    EXPECT_EQ(view().width(), 1061 - 194 - 20);
    EXPECT_EQ(settings::read(QStringLiteral("SCJ"), QString()), QStringLiteral("2"));
    expectBarFollowsView();
}

TEST_F(LayoutTest, RestoreHidesOnlyForExactlyOne)
{
    struct Case {
        const char* stored;  // nullptr: no key
        bool hidden;
    };
    for (const Case& c : {Case{"1", true}, Case{"01", false}, Case{"2", false}, Case{" 1x", false}, Case{nullptr, false}}) {
        SCOPED_TRACE(c.stored ? c.stored : "(none)");
        QFile::remove(settings::filePath());
        if (c.stored)
            settings::write(QStringLiteral("SCJ"), QString::fromUtf8(c.stored));
        const QByteArray before = QFile::exists(settings::filePath()) ? [] {
            QFile f(settings::filePath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }() : QByteArray();
        TearDown();
        SetUp();
        app::layout::restorePanelState(*window);
        app::layout::relayout(*window);
        EXPECT_EQ(window->favouritesList->isHidden(), c.hidden);
        if (c.hidden) {
            EXPECT_EQ(view().left(), 2);
            EXPECT_EQ(view().width(), 1061 - 10);
            EXPECT_EQ(settings::read(QStringLiteral("SCJ"), QString()), QStringLiteral("1"));
        } else {
            EXPECT_EQ(view().left(), 198);
            QFile f(settings::filePath());
            const QByteArray after = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            EXPECT_EQ(after, before);  // nothing written
        }
    }
}

TEST_F(LayoutTest, NarrowWindowsGiveZeroNotNegativeSizes)
{
    for (int w : {213, 100, 40, 0}) {
        SCOPED_TRACE(w);
        resizeTo(w);
        const int W = frameOf(*window).W;
        EXPECT_EQ(view().width(), std::max(0, W - 194 - 20));
        EXPECT_EQ(window->addressBox->width(), std::max(0, W - 50 - 72 - 40));
        EXPECT_GE(window->progressBar->width(), 0);
    }
    // Back to the real size: nothing is lost.
    resizeTo(1061);
    EXPECT_EQ(view().width(), 847);
    EXPECT_EQ(window->addressBox->width(), 899);
    EXPECT_EQ(window->panelCloseButton->geometry(), QRect(177, 77, 14, 13));
}

}  // namespace
