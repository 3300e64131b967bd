#include "engine/texts.h"

#include "geometry/captions.h"
#include "geometry/languages.h"
#include "render/frame_schedule.h"
#include "render/resources.h"
#include "window/scaling.h"

#include <string>
#include <vector>

namespace {

struct TableEntry {
    int Id;
    std::wstring Text;
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trimmed(const std::wstring &text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Puts the texts on screen: the formats measure them again, the rows that
// grow with them are laid out again, and the EDIT box takes the language's
// font and reading order.
void ApplyTexts() {
    EngineState &s = g_State;
    s.RightToLeft = LanguageReadsRightToLeft();
    ++s.TextsVersion; // readers hear the new names at the next tick
    if (!s.HostWindow)
        return; // attach builds the formats from what is set now
    BuildTextFormats();
    LayoutDirEdit();
    RequestFrame();
}

// The table in a file as UTF-16: UTF-16 with its byte-order mark, or UTF-8
// with or without one. False when the file cannot be read or is neither.
bool ReadTableFile(const wchar_t *path, std::wstring &text, const wchar_t **why) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *why = L"cannot open the file";
        return false;
    }
    LARGE_INTEGER size = {};
    std::vector<unsigned char> bytes;
    bool read = GetFileSizeEx(file, &size) && size.QuadPart <= kMaxTableBytes;
    if (read) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() ||
               (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    CloseHandle(file);
    if (!read) {
        *why = size.QuadPart > kMaxTableBytes ? L"file larger than 1 MiB" : L"cannot read the file";
        return false;
    }
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2 != 0) {
            *why = L"UTF-16 file of an odd length";
            return false;
        }
        text.resize((bytes.size() - 2) / 2);
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
        return true;
    }
    size_t start = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    const int length = static_cast<int>(bytes.size() - start);
    if (length == 0) {
        text.clear();
        return true;
    }
    const char *utf8 = reinterpret_cast<const char *>(bytes.data() + start);
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, nullptr, 0);
    if (units <= 0) {
        *why = L"neither UTF-16 with a byte-order mark nor UTF-8";
        return false;
    }
    text.resize(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, &text[0], units);
    return true;
}

// Parses "name = text" lines; blank lines and lines starting with # or ; are
// comments. A text in double quotes keeps its blanks. False, with the line and
// the reason, at the first line that is not right.
bool ParseTable(const std::wstring &table, std::vector<TableEntry> &entries, std::wstring &error) {
    size_t lineStart = 0;
    for (int line = 1; lineStart <= table.size(); ++line) {
        size_t lineEnd = table.find(L'\n', lineStart);
        if (lineEnd == std::wstring::npos)
            lineEnd = table.size();
        std::wstring text = table.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (!text.empty() && text.back() == L'\r')
            text.pop_back();
        text = Trimmed(text);
        if (text.empty() || text[0] == L'#' || text[0] == L';')
            continue;
        const auto fail = [&](const std::wstring &why) {
            error = L"line " + std::to_wstring(line) + L": " + why;
            return false;
        };
        const size_t equals = text.find(L'=');
        if (equals == std::wstring::npos)
            return fail(L"no '='");
        const std::wstring name = Trimmed(text.substr(0, equals));
        const int id = TextIdOf(name.c_str(), name.size());
        if (id < 0)
            return fail(L"unknown text id \"" + name.substr(0, 40) + L"\"");
        std::wstring value = Trimmed(text.substr(equals + 1));
        if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
            value = value.substr(1, value.size() - 2);
        if (const wchar_t *why = TextRefusal(id, value))
            return fail(std::wstring(TextName(id)) + L": " + why);
        entries.push_back({id, value});
    }
    return true;
}

} // namespace

// Why a text cannot stand for id; null when it can. An empty text is always
// fine: it gives the id back to the language.
const wchar_t *TextRefusal(int id, const std::wstring &text) {
    if (text.empty())
        return nullptr;
    if (text.size() > kMaxTextLength)
        return L"text too long";
    for (wchar_t c : text) {
        // A line break or tab would break the single-line rows the texts stand in.
        if (c < L' ' || c == 0x7F)
            return L"control character in text";
    }
    if (id == TextPercent && !ValidPercentFormat(text))
        return L"Percent needs {0} exactly once";
    if (id == TextFontFamily && text.size() >= LF_FACESIZE)
        return L"font family name too long";
    return nullptr;
}

void RecordTextError(const wchar_t *function, const std::wstring &detail) {
    RecordStageError((std::wstring(function) + L"(" + detail + L")").c_str(), E_INVALIDARG);
}

int SetLanguage(const wchar_t *tag) {
    const int language = FindLanguage(tag);
    if (language < 0) {
        const std::wstring given = tag ? std::wstring(tag).substr(0, 40) : L"null";
        RecordTextError(L"KSUiSetLanguage", L"unknown language \"" + given + L"\"");
        return 0;
    }
    g_State.Language = language;
    ApplyTexts();
    return 1;
}

int SetText(const wchar_t *name, const wchar_t *text) {
    const int id = name ? TextIdOf(name, wcsnlen(name, 64)) : -1;
    if (id < 0 || (name && name[wcsnlen(name, 64)] != L'\0')) {
        const std::wstring given = name ? std::wstring(name, wcsnlen(name, 40)) : L"null";
        RecordTextError(L"KSUiSetText", L"unknown text id \"" + given + L"\"");
        return 0;
    }
    // Measured only as far as the limit: a host's megabyte is refused, not copied.
    const size_t length = text ? wcsnlen(text, kMaxTextLength + 1) : 0;
    const std::wstring value(TextOrEmpty(text), length);
    if (const wchar_t *why = TextRefusal(id, value)) {
        RecordTextError(L"KSUiSetText", std::wstring(TextName(id)) + L": " + why);
        return 0;
    }
    g_State.TextOverrides[id] = value;
    ApplyTexts();
    return 1;
}

int LoadTexts(const wchar_t *path) {
    std::wstring table, error;
    const wchar_t *why = nullptr;
    std::vector<TableEntry> entries;
    if (!path || !*path) {
        error = L"no file named";
    } else if (!ReadTableFile(path, table, &why)) {
        error = why;
    } else if (!ParseTable(table, entries, error)) {
        // error says which line
    }
    if (!error.empty()) {
        RecordTextError(L"KSUiLoadTexts", error);
        return 0;
    }
    for (const TableEntry &entry : entries)
        g_State.TextOverrides[entry.Id] = entry.Text;
    ApplyTexts();
    return 1;
}

int GetText(const wchar_t *name, wchar_t *buffer, int capacity) {
    const int id = name ? TextIdOf(name, wcsnlen(name, 64)) : -1;
    if (id < 0 || name[wcsnlen(name, 64)] != L'\0')
        return 0;
    return CopyTextOut(id == TextLicenseLink ? LicenseCaption() : Caption(id), buffer, capacity);
}

int SetReadingOrder(int order) {
    if (order != ReadingOrderOfLanguage && order != ReadingLeftToRight && order != ReadingRightToLeft) {
        RecordTextError(L"KSUiSetReadingOrder", L"unknown reading order " + std::to_wstring(order));
        return 0;
    }
    g_State.ReadingOrder = order;
    ApplyTexts();
    return 1;
}
