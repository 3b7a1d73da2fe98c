#include "app/controls.h"

#include "app/pictures.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QAbstractItemView>
#include <QLabel>
#include <QTimer>

#include <utility>

namespace app {

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    auto* part = new QWidget(this);
    auto* row = new QHBoxLayout(part);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(4);
    auto* icon = new QLabel(part);
    icon->setPixmap(pictures::webPageIcon().pixmap(16, 15));
    m_text = new QLabel(part);
    m_text->setObjectName(QStringLiteral("状态条1.部分0"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(0);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(icon);
    row->addWidget(m_text, 1);
    addWidget(part, 1);
    setSizeGripEnabled(true);
}

void StatusBar::setText(const QString& text) { m_text->setText(text); }
QString StatusBar::text() const { return m_text->text(); }

AddressBox::AddressBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::textActivated, this, [this] {
        if (std::exchange(m_popupOpen, false))
            Q_EMIT chosenFromList();
    });
}

void AddressBox::showPopup()
{
    m_popupOpen = true;
    QComboBox::showPopup();
}

void AddressBox::hidePopup()
{
    QComboBox::hidePopup();
    // The choice is reported right after the list closes.
    QTimer::singleShot(0, this, [this] { m_popupOpen = m_popupOpen && view()->isVisible(); });
}

DropTarget::DropTarget(QObject* parent) : QObject(parent) {}

void DropTarget::attach(QWidget* target)
{
    if (m_target || !target)
        return;
    m_target = target;
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_target)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QMimeData* data = drag->mimeData();
        if (data && (data->hasText() || data->hasUrls() || data->hasFormat(QStringLiteral("text/x-moz-url"))))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->acceptProposedAction();
        if (drop->mimeData())
            Q_EMIT dropped(*drop->mimeData());
        return true;
    }
    default:
        return false;
    }
}

}  // namespace app
