#pragma once
// The two modal dialogs every part of the program shares.

#include <QString>

namespace dialogs {

// Flags and results of the message box, with the original's values.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

enum Result { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };

// A message box without an owner, modal to the whole program. Esc and the close box give
// Cancel where there is a Cancel button (else the only or the last button).
int messageBox(const QString& text, const QString& caption, unsigned flags);

// Asks for one line of text. The field starts with `text`, selected in full. On OK `text`
// receives the field (possibly empty) and true is returned; on Cancel, Esc or closing the
// dialog `text` keeps its value and false is returned.
bool inputBox(const QString& prompt, const QString& title, QString& text);

}  // namespace dialogs
