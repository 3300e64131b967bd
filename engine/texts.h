// The texts and the language the engine speaks: a built-in language by its
// BCP 47 tag, any single text by its name, a whole table from a file, and the
// canvas's reading order. Each call either takes effect whole or changes
// nothing and says why in LastError.
#pragma once

#include "state/state.h"

#include <string>

// Longest text a host may set, in UTF-16 units: far more than any row shows.
constexpr size_t kMaxTextLength = 256;
// Largest text table read from a file.
constexpr DWORD kMaxTableBytes = 1 << 20;

// Why a text cannot stand for id (any id for the rules all texts share); null when it can.
const wchar_t *TextRefusal(int id, const std::wstring &text);
// Records "<function>(<detail>)" with E_INVALIDARG as the last error.
void RecordTextError(const wchar_t *function, const std::wstring &detail);

int SetLanguage(const wchar_t *tag);
int SetText(const wchar_t *name, const wchar_t *text);
int LoadTexts(const wchar_t *path);
int GetText(const wchar_t *name, wchar_t *buffer, int capacity);
int SetReadingOrder(int order);
