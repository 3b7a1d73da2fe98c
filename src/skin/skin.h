#pragma once
// Installing the skin engine and applying a skin.

#include <QByteArray>
#include <QString>

namespace skin {

// Writes the carried engine to system directory + "SkinH_EL.dll" when nothing of that name exists.
void installLibrary();
// Writes skin N's file to the temporary directory when missing and hands it to the engine.
// A missing engine or entry point is a fatal error.
void apply(int number);
// The exit clean-up: releases the engine library if it was loaded.
void release();

// The skin table and the carried data, for the pieces above and for tests.
inline constexpr int kSkinCount = 23;
inline constexpr const char* kLibraryName = "SkinH_EL.dll";
inline constexpr const char* kEntryPoint = "SkinH_Attach_Ex";

// Numbers outside 1..23 become 1.
int clampNumber(int number);
// The name of row N of the skin table ("aero" .. "xmp"), N clamped as above.
QString name(int number);
// The carried bytes: the engine module, and the skin file of row N. Empty when the
// executable carries no data (then nothing is written).
QByteArray carriedLibrary();
QByteArray carriedSkin(int number);

// Where the two files go.
QString libraryPath();          // system directory + "SkinH_EL.dll"
QString skinPath(int number);   // temporary directory + name + ".she"

// Whether the file is a complete library for this machine: an ELF object of our class
// whose loaded segments all lie within the file.
bool isWholeLibrary(const QString& path);

// Creates the file with the bytes unless some entry of that name exists, and never
// replaces one: the bytes go to a temporary name in the same folder, which is then
// linked into place only while the name is free, so another instance never sees a
// half-written file. Returns whether this call created it.
bool writeIfMissing(const QString& path, const QByteArray& bytes);

}  // namespace skin
