#pragma once
#include <QString>

namespace shell {
// Asks the desktop to open a file or folder with its default action; the outcome is not
// looked at by any caller, but is returned for the tests.
bool open(const QString& path);
}
