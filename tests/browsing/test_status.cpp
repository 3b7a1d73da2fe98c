#include "browsing/status.h"
#include "support/fakewebview.h"

#include <QComboBox>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace {

using testing_support::FakeWebView;

// What the feedback shows, recorded.
struct Shown {
    Shown() { box.setEditable(true); }
    QStringList statusTexts;
    QString caption = QStringLiteral("Sorvane浏览器");
    QProgressBar bar;
    QComboBox box;
};

class Status : public testing::Test {
protected:
    void SetUp() override
    {
        view.setEvents(&routes);
        view.currentTitleText = QStringLiteral("当前页");
        view.currentUrl = QStringLiteral("http://127.0.0.1/now");
        feedback.bar.setRange(0, 100);
    }
    QString last() const { return feedback.statusTexts.value(feedback.statusTexts.size() - 1); }
    QWidget parent;
    FakeWebView view{&parent};
    Shown feedback;
    browsing::status::Feedback routes{view,
                                      {[this](const QString& t) { feedback.statusTexts.append(t); },
                                       [this](const QString& c) { feedback.caption = c; }, &feedback.bar, &feedback.box}};
};

TEST_F(Status, TextsOfEachEvent)
{
    EXPECT_TRUE(view.raise0(QStringLiteral("http://127.0.0.1/frame")));
    EXPECT_EQ(last(), QStringLiteral("正在行动中“http://127.0.0.1/frame”"));
    view.raise1(QStringLiteral("http://127.0.0.1/frame"));
    EXPECT_EQ(last(), QStringLiteral("行动完毕！"));
    view.raise2();
    EXPECT_EQ(last(), QStringLiteral("正在缓冲中"));
    view.raise4();
    EXPECT_EQ(last(), QStringLiteral("完毕！"));
    view.raise6(QStringLiteral("http://127.0.0.1/hover"));
    EXPECT_EQ(last(), QStringLiteral("http://127.0.0.1/hover"));
    view.raise7(QStringLiteral("新标题"));
    EXPECT_EQ(feedback.caption, QStringLiteral("新标题"));
    EXPECT_EQ(last(), QStringLiteral("http://127.0.0.1/hover"));  // the title leaves the status bar alone
}

TEST_F(Status, DocumentCompletePutsTheEnginesAddressInTheBox)
{
    feedback.box.addItem(QStringLiteral("kept"));
    feedback.box.setEditText(QStringLiteral("typed"));
    // Frames complete one after another; the last one wins.
    view.raise5(QStringLiteral("http://127.0.0.1/frame1"));
    view.raise5(QStringLiteral("http://127.0.0.1/top"));
    EXPECT_EQ(last(), QStringLiteral("就这样吧！"));
    EXPECT_EQ(feedback.box.currentText(), QStringLiteral("http://127.0.0.1/top"));
    EXPECT_EQ(feedback.box.count(), 1);
}

TEST_F(Status, ProgressBar)
{
    struct Step {
        qint64 progress, maximum;
        QString text;
        int position;
        bool visible;
    };
    feedback.bar.setVisible(true);
    feedback.bar.setParent(&parent);
    parent.show();
    // Visible at first; 0 and -1 leave visibility alone; 1..99 show; 100 hides.
    const Step steps[] = {
        {0, 100, QStringLiteral("还有0%"), 0, true},
        {100, 100, QStringLiteral("完毕!(当前页)"), 100, false},
        {0, 100, QStringLiteral("还有0%"), 0, false},
        {-1, 100, QStringLiteral("还有-1%"), 0, false},
        {1, 2, QStringLiteral("还有50%"), 50, true},
        {-1, 100, QStringLiteral("还有-1%"), 0, true},
        {5, 0, QStringLiteral("完毕!(当前页)"), 100, false},  // maximum 0 counts as 100
        {999, 100, QStringLiteral("还有999%"), 100, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text.toStdString());
        const qsizetype before = feedback.statusTexts.size();
        view.raise3(s.progress, s.maximum);
        EXPECT_EQ(last(), s.text);
        EXPECT_EQ(feedback.bar.value(), s.position);
        EXPECT_EQ(!feedback.bar.isHidden(), s.visible);
        if (s.text.startsWith(QStringLiteral("完毕!("))) {
            // The progress text is written first and replaced at once.
            EXPECT_EQ(feedback.statusTexts.at(before), QStringLiteral("还有100%"));
        }
    }
}

TEST(Percent, RoundsToTheNearest)
{
    EXPECT_EQ(browsing::progressPercent(1, 3), 33);
    EXPECT_EQ(browsing::progressPercent(2, 3), 67);
    EXPECT_EQ(browsing::progressPercent(7, 0), 100);
    EXPECT_EQ(browsing::progressPercent(-1, 100), -1);
}

}  // namespace
