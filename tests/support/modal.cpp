#include "support/modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace testing_support {

struct ModalAnswers::State {
    std::vector<Answer> answers;
    size_t next = 0;
    QStringList seen;
    QTimer timer;
    QWidget* last = nullptr;
};

ModalAnswers::ModalAnswers(std::vector<Answer> answers) : m_state(std::make_shared<State>())
{
    m_state->answers = std::move(answers);
    std::weak_ptr<State> weak = m_state;
    m_state->timer.setInterval(10);
    QObject::connect(&m_state->timer, &QTimer::timeout, [weak] {
        auto state = weak.lock();
        if (!state || state->next >= state->answers.size())
            return;
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible() || dialog == state->last)
            return;
        state->last = dialog;
        state->seen.append(dialogTexts(dialog));
        Answer answer = state->answers[state->next++];
        answer(dialog);
        QObject::connect(dialog, &QObject::destroyed, [weak, dialog] {
            if (auto s = weak.lock(); s && s->last == dialog)
                s->last = nullptr;
        });
        QTimer::singleShot(0, [weak, dialog] {
            if (auto s = weak.lock(); s && s->last == dialog && !dialog->isVisible())
                s->last = nullptr;
        });
    });
    m_state->timer.start();
}

ModalAnswers::~ModalAnswers() { m_state->timer.stop(); }

int ModalAnswers::answered() const { return static_cast<int>(m_state->next); }
QStringList ModalAnswers::seen() const { return m_state->seen; }

QStringList dialogTexts(QWidget* dialog)
{
    QStringList texts{dialog->windowTitle()};
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts.append(label->text());
    for (const QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        texts.append(edit->text());
    return texts;
}

ModalAnswers::Answer clickButton(const QString& text)
{
    return [text](QWidget* dialog) {
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE_AT(__FILE__, __LINE__);
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->reject();
    };
}

ModalAnswers::Answer typeAndAccept(const QString& text)
{
    return [text](QWidget* dialog) {
        if (auto* edit = dialog->findChild<QLineEdit*>())
            edit->setText(text);
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->accept();
    };
}

ModalAnswers::Answer pressEscape()
{
    return [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); };
}

}  // namespace testing_support
