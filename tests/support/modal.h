#pragma once
// Answers the modal dialogs a handler opens, as a user would, so the handler's own code
// (the real message box, input box or file dialog) runs under test.

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace testing_support {

// Each time a modal dialog is open, `answer` is called with it once; it must close it.
// The answers are given in order; once they run out, dialogs are left alone (a test
// that opens one more dialog than it answers fails by timing out in the dialog, so keep
// answers complete). Destroying the object stops answering.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget* dialog)>;
    explicit ModalAnswers(std::vector<Answer> answers);
    ~ModalAnswers();
    int answered() const;
    // What the dialogs showed, in order: window title, then the visible texts.
    QStringList seen() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

// Common answers.
ModalAnswers::Answer clickButton(const QString& text);         // a button with that text
ModalAnswers::Answer typeAndAccept(const QString& text);       // input box: text, then OK
ModalAnswers::Answer pressEscape();

// The texts a dialog shows: its title, its labels, its line edit contents.
QStringList dialogTexts(QWidget* dialog);

}  // namespace testing_support
