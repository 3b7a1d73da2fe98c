#pragma once
// Installing the skin engine and applying a skin.

namespace skin {

// Writes the carried engine to system directory + "SkinH_EL.dll" when nothing of that name exists.
void installLibrary();
// Writes skin N's file to the temporary directory when missing and hands it to the engine.
// A missing engine or entry point is a fatal error.
void apply(int number);
// The exit clean-up: releases the engine library if it was loaded.
void release();

}  // namespace skin
