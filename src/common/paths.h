#pragma once
// The path facts every file name of the program is built from.

#include <QString>

namespace paths {

// Fixes the program directory and the executable name from the executable's full path;
// called once at start (and by tests, with a path inside their own folder). The program
// directory is also the folder whose refused writes go to the user's store.
void fix(const QString& executablePath);

// The folder of the running executable, never with a trailing slash.
QString programDirectory();
// The executable's file name.
QString executableName();
// The program directory + "/" + name: where the program's own files lie.
QString programFile(const QString& name);

// Asked of the platform afresh on each call; always with a trailing slash, or empty when
// the platform cannot give one.
QString systemDirectory();
QString temporaryDirectory();

}  // namespace paths
