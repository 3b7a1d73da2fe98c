#include "browsing/navigation.h"
#include "browsing/site.h"
#include "common/paths.h"
#include "support/fakewebview.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeWebView;

class Navigation : public testing::Test {
protected:
    void SetUp() override
    {
        paths::fix(dir.filePath(QStringLiteral("sorvane")));
        box.setEditable(true);
    }
    QTemporaryDir dir;
    QWidget parent;
    FakeWebView view{&parent};
    QComboBox box;
};

TEST(Toolbar, EachButtonToItsAction)
{
    using browsing::ToolbarAction;
    struct Row {
        int button;
        ToolbarAction::Kind kind;
        int command;
    };
    const Row rows[] = {{0, ToolbarAction::Nothing, 0},           {1, ToolbarAction::Command, browsing::Back},
                        {2, ToolbarAction::Command, browsing::Forward}, {3, ToolbarAction::Command, browsing::Stop},
                        {4, ToolbarAction::Command, browsing::Refresh}, {5, ToolbarAction::Command, browsing::EngineHome},
                        {6, ToolbarAction::GoAction, 0},          {7, ToolbarAction::TogglePanel, 0},
                        {8, ToolbarAction::Command, browsing::Print},   {9, ToolbarAction::Nothing, 0},
                        {-1, ToolbarAction::Nothing, 0}};
    for (const Row& r : rows) {
        const ToolbarAction a = browsing::toolbarAction(r.button);
        EXPECT_EQ(a.kind, r.kind) << r.button;
        if (a.kind == ToolbarAction::Command) {
            EXPECT_EQ(a.command, r.command) << r.button;
        }
    }
}

TEST_F(Navigation, GoNavigatesAndInsertsEvenEmptyOrTwice)
{
    browsing::goAction(box, view);
    EXPECT_EQ(view.navigations, QStringList{QString()});
    EXPECT_EQ(box.count(), 1);
    EXPECT_EQ(box.itemText(0), QString());

    box.setEditText(QStringLiteral("127.0.0.1/a"));
    browsing::goAction(box, view);
    browsing::goAction(box, view);
    EXPECT_EQ(view.navigations.mid(1), (QStringList{QStringLiteral("127.0.0.1/a"), QStringLiteral("127.0.0.1/a")}));
    EXPECT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(0), QStringLiteral("127.0.0.1/a"));
    EXPECT_EQ(box.itemText(1), QStringLiteral("127.0.0.1/a"));
}

TEST_F(Navigation, ChoosingFromTheListNavigatesAndLeavesTheListAlone)
{
    box.addItems({QStringLiteral("http://a/"), QStringLiteral("http://b/")});
    box.setCurrentIndex(1);
    browsing::chooseFromList(box, view);
    EXPECT_EQ(view.navigations, QStringList{QStringLiteral("http://b/")});
    EXPECT_EQ(box.count(), 2);
}

TEST(Search, TheSiteReceivesExactlyWhatWasTyped)
{
    const QString base = browsing::initialAddress() + QStringLiteral("/s?wd=");
    EXPECT_EQ(browsing::searchAddress(QString()), base);
    for (const QString& typed : {QStringLiteral("a&b"), QStringLiteral("c#"), QStringLiteral("50%"), QStringLiteral("1+1"),
                                 QStringLiteral("two words"), QStringLiteral("中文 搜索"), QStringLiteral("x=y?z")}) {
        const QString address = browsing::searchAddress(typed);
        ASSERT_TRUE(address.startsWith(base));
        const QUrl url(address);
        EXPECT_FALSE(url.hasFragment()) << typed.toStdString();
        const QString query = url.query(QUrl::FullyEncoded);
        ASSERT_TRUE(query.startsWith(QStringLiteral("wd="))) << query.toStdString();
        EXPECT_FALSE(query.mid(3).contains(u'&'));
        EXPECT_EQ(QUrl::fromPercentEncoding(query.mid(3).toLatin1()), typed);
    }
}

TEST_F(Navigation, SearchGoesToTheQueryWithoutTouchingTheHistory)
{
    QLineEdit searchBox(QStringLiteral("hello"));
    browsing::search(searchBox, view);
    EXPECT_EQ(view.navigations, QStringList{browsing::searchAddress(QStringLiteral("hello"))});
    EXPECT_EQ(box.count(), 0);
}

TEST(Drops, TextOnlyWithoutHtmlThenTheLink)
{
    struct Case {
        const char* name;
        std::function<void(QMimeData&)> fill;
        QStringList texts;
    };
    auto mozUrl = [](const QString& link) {
        const QString value = link + QStringLiteral("\nTitle");
        return QByteArray(reinterpret_cast<const char*>(value.utf16()), value.size() * 2);
    };
    const Case cases[] = {
        {"text", [](QMimeData& d) { d.setText(QStringLiteral("http://a/")); }, {QStringLiteral("http://a/")}},
        {"text_and_html", [](QMimeData& d) { d.setText(QStringLiteral("t")); d.setHtml(QStringLiteral("<b>t</b>")); }, {}},
        {"url_only", [](QMimeData& d) { d.setUrls({QUrl(QStringLiteral("http://u/"))}); }, {QStringLiteral("http://u/")}},
        {"text_and_url", [](QMimeData& d) {
             d.setText(QStringLiteral("words"));
             d.setUrls({QUrl(QStringLiteral("http://u/"))});
         }, {QStringLiteral("words"), QStringLiteral("http://u/")}},
        {"moz_url", [&](QMimeData& d) { d.setData(QStringLiteral("text/x-moz-url"), mozUrl(QStringLiteral("http://m/"))); },
         {QStringLiteral("http://m/")}},
        {"files_are_refused", [](QMimeData& d) { d.setUrls({QUrl::fromLocalFile(QStringLiteral("/etc/passwd"))}); }, {}},
    };
    for (const Case& c : cases) {
        QMimeData data;
        c.fill(data);
        EXPECT_EQ(browsing::droppedTexts(data), c.texts) << c.name;
    }
}

TEST_F(Navigation, NewWindowRedirect)
{
    struct Case {
        QString status;
        bool engineOpens;
        QStringList navigations;
    };
    const Case cases[] = {
        {QString(), true, {}},
        {QStringLiteral("http://127.0.0.1/x"), false, {QStringLiteral("http://127.0.0.1/x")}},
        // Secure links stay in this view too.
        {QStringLiteral("https://127.0.0.1/y"), false, {QStringLiteral("https://127.0.0.1/y")}},
        {QStringLiteral("HTTP://127.0.0.1/z"), false, {}},
        {QStringLiteral("javascript:void(0)"), false, {}},
    };
    for (const Case& c : cases) {
        FakeWebView v(&parent);
        v.raise6(c.status);
        EXPECT_EQ(browsing::newWindowRedirect(v), c.engineOpens) << c.status.toStdString();
        EXPECT_EQ(v.navigations, c.navigations);
    }
}

}  // namespace
