#include "common/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

namespace dialogs {
namespace {

struct ButtonSpec {
    QString text;
    int result;
};

std::vector<ButtonSpec> buttonsFor(unsigned flags)
{
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {{QStringLiteral("确定"), Ok}, {QStringLiteral("取消"), Cancel}};
    case MB_ABORTRETRYIGNORE:
        return {{QStringLiteral("中止(&A)"), Abort}, {QStringLiteral("重试(&R)"), Retry}, {QStringLiteral("忽略(&I)"), Ignore}};
    case MB_YESNOCANCEL:
        return {{QStringLiteral("是(&Y)"), Yes}, {QStringLiteral("否(&N)"), No}, {QStringLiteral("取消"), Cancel}};
    case MB_YESNO: return {{QStringLiteral("是(&Y)"), Yes}, {QStringLiteral("否(&N)"), No}};
    case MB_RETRYCANCEL: return {{QStringLiteral("重试(&R)"), Retry}, {QStringLiteral("取消"), Cancel}};
    default: return {{QStringLiteral("确定"), Ok}};
    }
}

QMessageBox::Icon iconFor(unsigned flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int messageBox(const QString& text, const QString& caption, unsigned flags)
{
    QMessageBox box(iconFor(flags), caption, text);
    box.setWindowModality(Qt::ApplicationModal);
    const std::vector<ButtonSpec> specs = buttonsFor(flags);
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (const ButtonSpec& spec : specs)
        buttons.emplace_back(box.addButton(spec.text, QMessageBox::ActionRole), spec.result);
    // Esc and the close box give Cancel where there is one, else the last button.
    auto escape = buttons.back();
    for (const auto& entry : buttons)
        if (entry.second == Cancel)
            escape = entry;
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
    box.setEscapeButton(escape.first);
    box.exec();
    for (const auto& [button, result] : buttons)
        if (button == box.clickedButton())
            return result;
    return escape.second;
}

bool inputBox(const QString& prompt, const QString& title, QString& text)
{
    QInputDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(text);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}

}  // namespace dialogs
