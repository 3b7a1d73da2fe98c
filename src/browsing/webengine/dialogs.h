#pragma once
// The engine's own dialogs, in the program's language. Every text a page or a server
// supplies is shown as plain text, never as markup.

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>

class QFileDialog;
class QWidget;

namespace browsing::webengine::dialogs {

// A message with one button.
void tell(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon);

// A question with two buttons; Esc and the close box give `no`, as does Enter unless
// `yesByDefault`.
bool ask(QWidget* parent, const QString& caption, const QString& text, const QString& yes, const QString& no,
         QMessageBox::Icon icon, bool yesByDefault = false);

// One line of text; false when cancelled, `value` then unchanged.
bool askText(QWidget* parent, const QString& caption, const QString& prompt, QString& value);

struct Credentials {
    QString user;
    QString password;
};
// Asks for a user name and a password for `server`; empty when cancelled.
std::optional<Credentials> logIn(QWidget* parent, const QString& server, const QString& realm, bool proxy);

// A file dialog of ours: the widget-based one, with its labels in the program's language.
void prepare(QFileDialog& dialog, const QString& caption);

// Asks where to save a file, starting with `suggested` (a full path); confirms replacing
// an existing file. Empty when cancelled. `filters` may be empty; the chosen one is
// returned through `chosenFilter`.
QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested, const QStringList& filters = {},
                     QString* chosenFilter = nullptr);

}  // namespace browsing::webengine::dialogs
