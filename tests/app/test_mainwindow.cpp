// The declared window: every control, toolbar button and menu as designed.
#include "window_fixture.h"

#include "app/controls.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

struct ControlRow {
    const char* name;
    const char* kind;
    QRect place;  // designed place; empty for docked bars and invisible parts
    bool visible;
    bool enabled;
    const char* text;
};

// From the front of the stacking order to the back.
const ControlRow kControls[] = {
    {"按钮1", "QPushButton", {984, 8, 64, 24}, true, true, "百度一下"},
    {"编辑框1", "QLineEdit", {856, 8, 128, 24}, true, true, ""},
    {"滑块条1", "QSlider", {400, 8, 288, 32}, true, true, nullptr},
    {"标签2", "QLabel", {688, 9, 168, 23}, true, false, "不是每一款浏览器都是这样！"},
    {"标签1", "QLabel", {12, 54, 50, 11}, true, true, "地址(D)："},
    {"进度条1", "QProgressBar", {208, 429, 711, 14}, true, true, nullptr},
    {"超级按钮2", "QPushButton", {865, 49, 72, 22}, true, true, "转到"},
    {"超级按钮1", "QPushButton", {177, 77, 14, 13}, true, true, "X"},
    {"超级列表框1", "QTreeWidget", {0, 73, 194, 372}, true, true, nullptr},
    {"状态条1", "QStatusBar", {}, true, true, nullptr},
    {"超文本浏览框1", "QWidget", {198, 73, 748, 372}, true, true, nullptr},
    {"组合框1", "QComboBox", {69, 50, 774, 20}, true, true, ""},
    {"工具条2", "QToolBar", {}, true, true, nullptr},
    {"工具条1", "QToolBar", {}, true, true, nullptr},
};

QString textOf(QWidget* w)
{
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return {};
}

TEST_F(WindowTest, EveryControlIsDeclaredAsDesigned)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Sorvane浏览器"));
    EXPECT_EQ(window->size(), QSize(1061, 514));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::white));

    const QList<QWidget*> stacked = window->clientArea->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    int previousIndex = stacked.size();
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        auto* w = window->clientArea->findChild<QWidget*>(QString::fromUtf8(row.name), Qt::FindDirectChildrenOnly);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->inherits(row.kind));
        if (!row.place.isEmpty()) {
            EXPECT_EQ(w->geometry(), row.place);
        }
        EXPECT_EQ(!w->isHidden(), row.visible);
        EXPECT_EQ(w->isEnabled(), row.enabled);
        EXPECT_FALSE(w->accessibleName().isEmpty());
        if (row.text) {
            EXPECT_EQ(textOf(w), QString::fromUtf8(row.text));
        }
        // Later rows lie further back: created earlier, so earlier among the children.
        const int index = static_cast<int>(stacked.indexOf(w));
        EXPECT_LT(index, previousIndex);
        previousIndex = index;
    }
    for (const char* name : {"拖放对象1", "通用对话框1", "时钟1"})
        EXPECT_NE(window->findChild<QObject*>(QString::fromUtf8(name)), nullptr) << name;
}

TEST_F(WindowTest, ControlSettings)
{
    QSlider* s = window->opacitySlider;
    EXPECT_EQ(std::tuple(s->minimum(), s->maximum(), s->value(), s->pageStep(), s->singleStep(), s->tickInterval()),
              std::tuple(50, 255, 255, 5, 1, 1));
    EXPECT_EQ(s->tickPosition(), QSlider::TicksBelow);

    QProgressBar* bar = window->progressBar;
    EXPECT_EQ(std::tuple(bar->minimum(), bar->maximum(), bar->value()), std::tuple(0, 100, 0));

    EXPECT_TRUE(window->addressBox->isEditable());
    EXPECT_EQ(window->addressBox->count(), 0);
    EXPECT_EQ(window->addressBox->insertPolicy(), QComboBox::NoInsert);

    QTreeWidget* list = window->favouritesList;
    EXPECT_EQ(list->columnCount(), 1);
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("收藏夹"));
    EXPECT_EQ(list->columnWidth(0), 190);
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_EQ(list->topLevelItemCount(), 0);

    for (QPushButton* b : {window->searchButton, window->goButton, window->panelCloseButton})
        EXPECT_FALSE(b->isDefault() || b->autoDefault()) << b->objectName().toStdString();
    QFont slogan = window->sloganLabel->font();
    EXPECT_TRUE(slogan.bold());
    EXPECT_EQ(slogan.pixelSize(), 12);
    EXPECT_EQ(window->timer->interval(), 0);
    EXPECT_FALSE(window->timer->isActive());
    EXPECT_EQ(window->statusBar->text(), QString());
    EXPECT_TRUE(window->statusBar->isSizeGripEnabled());
    EXPECT_FALSE(window->saveDialog->isVisible());
}

TEST_F(WindowTest, NavigationToolbarButtons)
{
    struct Row {
        const char* text;
        bool visible;
        bool enabled;
    };
    const Row rows[] = {{"", true, true},       {"后退", true, false}, {"前进", true, false},
                        {"停止", false, false}, {"刷新", true, true},  {"主页", true, true},
                        {"搜索", false, false}, {"收藏", true, true},  {"打印", false, false}};
    QToolBar* bar = window->navigationToolbar;
    EXPECT_EQ(bar->iconSize(), QSize(32, 32));
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(bar->actions().size(), 9);
    EXPECT_TRUE(window->toolbarButton(0)->isSeparator());
    int shown = 0;
    for (int n = 0; n < 9; ++n) {
        SCOPED_TRACE(n);
        QAction* a = window->toolbarButton(n);
        EXPECT_EQ(bar->actions().at(n), a);
        if (n > 0) {
            EXPECT_EQ(a->text(), QString::fromUtf8(rows[n].text));
        }
        EXPECT_EQ(a->isVisible(), rows[n].visible);
        if (rows[n].visible) {
            EXPECT_EQ(a->isEnabled(), rows[n].enabled);
        }
        shown += n > 0 && a->isVisible();
    }
    EXPECT_EQ(shown, 5);
}

// The menu bar as a list of lines: "menu", "  item\tshortcut [disabled] [checked]".
QStringList describe(const QMenu* menu, int depth)
{
    QStringList lines;
    for (const QAction* a : menu->actions()) {
        QString line = QString(depth * 2, u' ');
        if (a->isSeparator()) {
            lines.append(line + u'-');
            continue;
        }
        line += a->text();
        if (!a->shortcut().isEmpty())
            line += u'\t' + a->shortcut().toString();
        if (!a->isEnabled())
            line += QStringLiteral(" [disabled]");
        if (a->isChecked())
            line += QStringLiteral(" [checked]");
        lines.append(line);
        if (a->menu())
            lines += describe(a->menu(), depth + 1);
    }
    return lines;
}

TEST_F(WindowTest, MenuBarInOrder)
{
    QStringList lines;
    for (const QAction* top : window->menuBar->actions()) {
        lines.append(top->text());
        lines += describe(top->menu(), 1);
    }
    const QStringList expected = {
        QStringLiteral("文件(&F)"),       QStringLiteral("  新建(&W)\tCtrl+N"),  QStringLiteral("  另存为(&A)"),
        QStringLiteral("  -"),            QStringLiteral("  打印(&P)\tCtrl+P"),  QStringLiteral("  打印预览(&V)"),
        QStringLiteral("  页面设置(&U)"), QStringLiteral("  -"),                 QStringLiteral("  退出(&Q)\tCtrl+Q"),
        QStringLiteral("查看(&V)"),       QStringLiteral("  前进(&F) [disabled]"), QStringLiteral("  后退(&B) [disabled]"),
        QStringLiteral("  刷新(&R)\tF5"), QStringLiteral("  停止(&P)"),          QStringLiteral("  -"),
        QStringLiteral("  查看网页源码"), QStringLiteral("收藏(&A)"),            QStringLiteral("  添加到收藏夹(&A)"),
        QStringLiteral("设置(&G)"),       QStringLiteral("  主页(&H)"),          QStringLiteral("  字体(&T)"),
        QStringLiteral("    较小"),       QStringLiteral("    小"),              QStringLiteral("    中等 [checked]"),
        QStringLiteral("    大"),         QStringLiteral("    较大"),            QStringLiteral("工具(&T)"),
        QStringLiteral("  截图(&P)"),     QStringLiteral("    开始截图"),        QStringLiteral("帮助(&H)"),
        QStringLiteral("  关于(&G)..."),
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(WindowTest, PopupMenusStayOutOfTheMenuBar)
{
    EXPECT_EQ(window->menuBar->actions().size(), 6);
    for (const QAction* top : window->menuBar->actions())
        for (QMenu* popup : {window->favouritesMenu, window->trayMenu})
            EXPECT_NE(top->menu(), popup);
    EXPECT_EQ(window->favouritesMenu->title(), QStringLiteral("菜单"));
    EXPECT_EQ(describe(window->favouritesMenu, 0),
              (QStringList{QStringLiteral("添加(&A)"), QStringLiteral("删除(&D)"), QStringLiteral("打开收藏夹目录(&F)")}));
    EXPECT_EQ(window->trayMenu->title(), QStringLiteral("托盘菜单"));
    EXPECT_EQ(describe(window->trayMenu, 0), (QStringList{QStringLiteral("显示窗口(&L)"), QStringLiteral("结束(&X)")}));
}

TEST_F(WindowTest, BarsAreDockedAcrossTheClientArea)
{
    window->resize(800, 600);
    const int w = window->clientArea->width();
    const QRect nav = window->navigationToolbar->geometry();
    const QRect address = window->addressToolbar->geometry();
    const QRect status = window->statusBar->geometry();
    EXPECT_EQ(nav.topLeft(), QPoint(0, 0));
    EXPECT_EQ(address.top(), nav.bottom() + 1);
    EXPECT_EQ(status.bottom(), window->clientArea->height() - 1);
    for (const QRect& r : {nav, address, status})
        EXPECT_EQ(r.width(), w);
    EXPECT_EQ(window->clientArea->y(), window->menuBar->height());
}

}  // namespace
