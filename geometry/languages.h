// The languages the engine brings with it: each one's BCP 47 tag, reading
// order, font and texts. Simplified Chinese is the default; its texts are the
// design's own.
#pragma once

#include "state/state.h"

struct BuiltInLanguage {
    const wchar_t *Tag;              // BCP 47
    const wchar_t *Locale;           // for DirectWrite's shaping and line breaking
    bool RightToLeft;
    const wchar_t *Texts[kTextCount]; // every one set
};

constexpr int kBuiltInLanguageCount = 4;
extern const BuiltInLanguage kBuiltInLanguages[kBuiltInLanguageCount];

// The built-in language a BCP 47 tag asks for: its primary language subtag
// decides ("en-GB" gets English, "zh-Hans-CN" Chinese), without regard to
// case. -1 when none matches.
int FindLanguage(const wchar_t *tag);

// Whether the canvas is mirrored: the host's choice, else the language's.
bool LanguageReadsRightToLeft();
