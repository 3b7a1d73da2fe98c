// The engine module itself, loaded from the build tree and called as the program calls it.
#include "skin/engine/skinfile.h"
#include "skin/skin.h"
#include "testfiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <thread>

namespace {

using Attach = int (*)(const char*, const char*);

Attach attach()
{
    static void* module = dlopen(SKIN_ENGINE_MODULE, RTLD_NOW | RTLD_LOCAL);
    static Attach function = module ? reinterpret_cast<Attach>(dlsym(module, "SkinH_Attach_Ex")) : nullptr;
    return function;
}

struct Look {
    QString sheet;
    const QStyle* style;
    QPalette palette;
    bool operator==(const Look& o) const { return sheet == o.sheet && style == o.style && palette == o.palette; }
};

Look look() { return {qApp->styleSheet(), QApplication::style(), QApplication::palette()}; }

QColor varColour(const skinfile::Skin& skin, const char* name)
{
    const skinfile::Var* var = skin.var(QString::fromLatin1(name));
    return var && var->colour ? QColor::fromRgb(*var->colour) : QColor();
}

// Collects Qt's complaints about style sheets while it lives.
class SheetWarnings {
public:
    SheetWarnings() { s_seen.clear(), m_previous = qInstallMessageHandler(&SheetWarnings::handle); }
    ~SheetWarnings() { qInstallMessageHandler(m_previous); }
    QStringList seen() const { return s_seen; }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        if (message.contains(QStringLiteral("style"), Qt::CaseInsensitive) &&
            message.contains(QStringLiteral("parse"), Qt::CaseInsensitive))
            s_seen.append(message);
    }
    static inline QStringList s_seen;
    QtMessageHandler m_previous;
};

// A widget of every kind the program shows, polished so Qt reads every rule that applies.
void polishEveryKindOfWidget()
{
    QWidget window;
    window.setObjectName(QStringLiteral("启动窗口"));
    auto* bar = new QMenuBar(&window);
    QMenu* menu = bar->addMenu(QStringLiteral("文件(&F)"));
    menu->addAction(QStringLiteral("新建(&W)"))->setCheckable(true);
    auto* toolbar = new QToolBar(&window);
    toolbar->addAction(QStringLiteral("后退"))->setEnabled(false);
    auto* combo = new QComboBox(&window);
    combo->setEditable(true);
    auto* list = new QTreeWidget(&window);
    list->setObjectName(QStringLiteral("超级列表框1"));
    list->setHeaderLabels({QStringLiteral("收藏夹")});
    auto* status = new QStatusBar(&window);
    status->addWidget(new QLabel(QStringLiteral("就这样吧！")));
    auto* progress = new QProgressBar(&window);
    progress->setProperty("segmented", true);
    auto* slogan = new QLabel(QStringLiteral("不是每一款浏览器都是这样！"), &window);
    slogan->setObjectName(QStringLiteral("标签2"));
    slogan->setEnabled(false);
    const QList<QWidget*> others = {new QPushButton(QStringLiteral("百度一下"), &window), new QLineEdit(&window),
                                    new QSlider(Qt::Horizontal, &window), new QSpinBox(&window),
                                    new QCheckBox(QStringLiteral("x"), &window)};
    for (QWidget* w : window.findChildren<QWidget*>())
        w->ensurePolished();
    menu->ensurePolished();
    Q_UNUSED(others);
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(attach(), nullptr) << "cannot load " << SKIN_ENGINE_MODULE; }

    QByteArray put(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("skin%1.she").arg(++m_count));
        EXPECT_TRUE(skintest::writeFile(path, bytes));
        return QFile::encodeName(path);
    }

    QTemporaryDir m_dir;
    int m_count = 0;
};

TEST_F(Engine, AttachingEnjoyRestylesTheApplication)
{
    const skinfile::Skin enjoy = skinfile::parse(skin::carriedSkin(8)).skin;
    // Start from another style, to see Fusion come in underneath the sheet.
    qApp->setStyleSheet(QString());
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Windows")));
    ASSERT_EQ(QApplication::style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal), 1);
    ASSERT_EQ(attach()(put(skin::carriedSkin(8)).constData(), ""), 0);

    EXPECT_EQ(QApplication::style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal), 0);  // Fusion's
    EXPECT_EQ(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent), 14);       // Fusion's

    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    EXPECT_EQ(qApp->styleSheet(), enjoy.styleSheet);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), varColour(enjoy, "window"));
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight), varColour(enjoy, "accent"));
    EXPECT_EQ(QApplication::palette().color(QPalette::Disabled, QPalette::Text), varColour(enjoy, "muted"));

    QPushButton button(QStringLiteral("百度一下"));
    button.ensurePolished();
    EXPECT_EQ(button.palette().color(QPalette::ButtonText), varColour(enjoy, "button.text"));
    QMenu menu;
    menu.ensurePolished();
    EXPECT_EQ(menu.palette().color(menu.backgroundRole()), varColour(enjoy, "menu"));
    EXPECT_EQ(menu.palette().color(menu.foregroundRole()), varColour(enjoy, "menu.text"));
}

TEST_F(Engine, EverySkinAttachesAndQtReadsAllOfItsSheet)
{
    {
        // The check below does hear Qt when it cannot read a sheet.
        SheetWarnings warnings;
        qApp->setStyleSheet(QStringLiteral("QPushButton { color: red; } } }"));
        polishEveryKindOfWidget();
        ASSERT_FALSE(warnings.seen().isEmpty());
    }
    for (int number = 1; number <= skin::kSkinCount; ++number) {
        SheetWarnings warnings;
        ASSERT_EQ(attach()(put(skin::carriedSkin(number)).constData(), ""), 0) << number;
        EXPECT_EQ(qApp->styleSheet(), skinfile::parse(skin::carriedSkin(number)).skin.styleSheet) << number;
        polishEveryKindOfWidget();
        EXPECT_EQ(warnings.seen(), QStringList()) << skin::name(number).toStdString();
    }
}

TEST_F(Engine, RefusesWhatItCannotReadAndLeavesTheLookAlone)
{
    ASSERT_EQ(attach()(put(skin::carriedSkin(1)).constData(), ""), 0);
    const Look before = look();

    for (const skintest::BadFile& c : skintest::badFiles()) {
        EXPECT_NE(attach()(put(c.bytes).constData(), ""), 0) << c.what;
        EXPECT_TRUE(look() == before) << c.what;
    }
    const QByteArray fifo = QFile::encodeName(m_dir.filePath(QStringLiteral("fifo.she")));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray missing = QFile::encodeName(m_dir.filePath(QStringLiteral("missing.she")));
    for (const char* path : {fifo.constData(), folder.constData(), missing.constData(), "", "enjoy.she"}) {
        EXPECT_NE(attach()(path, ""), 0) << path;
        EXPECT_TRUE(look() == before) << path;
    }
    EXPECT_NE(attach()(nullptr, ""), 0);
    EXPECT_TRUE(look() == before);
}

TEST_F(Engine, TakesAnyPasswordOurSkinsHaveNone)
{
    const QByteArray path = put(skin::carriedSkin(8));
    EXPECT_EQ(attach()(path.constData(), nullptr), 0);
    EXPECT_EQ(attach()(path.constData(), "secret"), 0);
}

TEST_F(Engine, RefusesToRestyleFromAnotherThread)
{
    ASSERT_EQ(attach()(put(skin::carriedSkin(1)).constData(), ""), 0);
    const Look before = look();
    const QByteArray path = put(skin::carriedSkin(3));
    int result = 0;
    std::thread([&] { result = attach()(path.constData(), ""); }).join();
    EXPECT_NE(result, 0);
    EXPECT_TRUE(look() == before);
}

}  // namespace
