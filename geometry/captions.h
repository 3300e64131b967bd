// The texts the canvas paints and a screen reader hears: one lookup for both,
// so a reader is always told what the user sees. A text comes from the host
// (KSUiSetText, KSUiLoadTexts), else from the chosen built-in language, else
// from the default language (geometry/languages.h).
#pragma once

#include "state/state.h"

#include <string>

// The text of id as it shows now; never null.
const wchar_t *Caption(int id);

// The name hosts use for a text ("QuickInstall", ...); null for an unknown id.
const wchar_t *TextName(int id);
// The text id of a name, compared without regard to case; -1 when there is none.
int TextIdOf(const wchar_t *name, size_t length);

// The licence link's caption: the host's branding caption, or the language's.
const wchar_t *LicenseCaption();

// The product's name, shown when a picture is missing under high contrast:
// the host's, else the window's title.
const wchar_t *ProductNameText();

// A whole percent in the language's format ("45%").
std::wstring PercentText(int percent);

// Whether a percent format is usable: it holds the placeholder "{0}" exactly once.
bool ValidPercentFormat(const std::wstring &format);
