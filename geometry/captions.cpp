#include "geometry/captions.h"

#include "geometry/languages.h"

#include <cwctype>

namespace {

// The names hosts and text tables use, in the order of TextId.
const wchar_t *const kTextNames[kTextCount] = {
    L"Minimize",         L"Close",          L"QuickInstall",       L"Agree",
    L"LicenseLink",      L"CustomInstall",  L"InstallLocation",    L"ChangeDir",
    L"DesktopShortcut",  L"StartMenu",      L"AutoStart",          L"Launch",
    L"Percent",          L"ProgressName",   L"InstallBlocked",     L"LicenseWindowTitle",
    L"LicenseWindowOk",  L"Cancelling",     L"ActionCheck",        L"ActionUncheck",
    L"ActionExpand",     L"ActionCollapse", L"ActionJump",         L"ActionPress",
    L"InstallStarted",   L"InstallFinished", L"FontFamily",
};

constexpr wchar_t kPercentPlaceholder[] = L"{0}";

} // namespace

const wchar_t *Caption(int id) {
    if (id < 0 || id >= kTextCount)
        return L"";
    const EngineState &s = g_State;
    if (!s.TextOverrides[id].empty())
        return s.TextOverrides[id].c_str();
    return kBuiltInLanguages[s.Language].Texts[id];
}

const wchar_t *TextName(int id) { return id >= 0 && id < kTextCount ? kTextNames[id] : nullptr; }

int TextIdOf(const wchar_t *name, size_t length) {
    if (!name)
        return -1;
    for (int id = 0; id < kTextCount; ++id) {
        const wchar_t *known = kTextNames[id];
        size_t i = 0;
        while (i < length && known[i] && std::towlower(known[i]) == std::towlower(name[i]))
            ++i;
        if (i == length && known[i] == L'\0')
            return id;
    }
    return -1;
}

const wchar_t *LicenseCaption() {
    const EngineState &s = g_State;
    return s.LicenseLinkText.empty() ? Caption(TextLicenseLink) : s.LicenseLinkText.c_str();
}

const wchar_t *ProductNameText() {
    const EngineState &s = g_State;
    return s.ProductName.empty() ? s.WindowTitle.c_str() : s.ProductName.c_str();
}

std::wstring PercentText(int percent) {
    std::wstring text = Caption(TextPercent);
    const size_t at = text.find(kPercentPlaceholder);
    if (at != std::wstring::npos)
        text.replace(at, 3, std::to_wstring(percent));
    return text;
}

bool ValidPercentFormat(const std::wstring &format) {
    const size_t at = format.find(kPercentPlaceholder);
    return at != std::wstring::npos && format.find(kPercentPlaceholder, at + 1) == std::wstring::npos;
}
