#include "browsing/webengine/findbar.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>

namespace browsing::webengine {

FindBar::FindBar(QWebEnginePage* page, std::function<void()> closed, QWidget* parent)
    : QWidget(parent), m_page(page), m_closed(std::move(closed))
{
    setObjectName(QStringLiteral("findBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* label = new QLabel(QStringLiteral("查找(&F)："), this);
    m_field = new QLineEdit(this);
    m_field->setMaximumWidth(260);
    label->setBuddy(m_field);
    auto* previous = new QPushButton(QStringLiteral("上一个(&P)"), this);
    auto* next = new QPushButton(QStringLiteral("下一个(&N)"), this);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    m_count = new QLabel(this);
    for (QPushButton* button : {previous, next, close}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
    }
    layout->addWidget(label);
    layout->addWidget(m_field);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_count);
    layout->addStretch();
    layout->addWidget(close);

    QObject::connect(m_field, &QLineEdit::textEdited, this, [this] { find(false); });
    QObject::connect(m_field, &QLineEdit::returnPressed, this, [this] {
        find(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier));
    });
    QObject::connect(previous, &QPushButton::clicked, this, [this] { find(true); });
    QObject::connect(next, &QPushButton::clicked, this, [this] { find(false); });
    QObject::connect(close, &QPushButton::clicked, this, [this] { closeBar(); });
    hide();
}

void FindBar::open()
{
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::showResult(const QWebEngineFindTextResult& result)
{
    if (isVisible())
        m_count->setText(matchText(!m_field->text().isEmpty(), result.activeMatch(), result.numberOfMatches()));
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        closeBar();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FindBar::find(bool backward)
{
    const QString text = m_field->text();
    if (text.isEmpty()) {
        m_page->findText(QString());
        m_count->clear();
        return;
    }
    m_page->findText(text, backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void FindBar::closeBar()
{
    m_page->findText(QString());
    m_count->clear();
    hide();
    if (m_closed)
        m_closed();
}

QString matchText(bool searched, int active, int total)
{
    if (!searched)
        return {};
    if (total <= 0)
        return QStringLiteral("找不到");
    return QStringLiteral("第 %1 个，共 %2 个").arg(active).arg(total);
}

}  // namespace browsing::webengine
