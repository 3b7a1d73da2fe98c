#pragma once
// Skin files for the tests: a small valid one and a table of files the engine must refuse.

#include "skin/engine/skinfile.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace skintest {

// The text of a small skin that uses every part of the format.
QByteArray validPayload();

struct BadFile {
    const char* what;
    QByteArray bytes;
    skinfile::Error error;
};
// Whole files that are not skins we can read, each with the reason the parser gives.
std::vector<BadFile> badFiles();

bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

}  // namespace skintest
