#include "plugin_api.h"

namespace nsis {

namespace {
// The installer allocates every string with this many units; a larger one
// from a broken caller is not trusted.
constexpr int kMaxStringSize = 1 << 16;

bool SaneStringSize(int size) { return size > 0 && size <= kMaxStringSize; }
} // namespace

bool Call::Pop(std::wstring &text) {
    text.clear();
    if (!Stack || !*Stack)
        return false;
    StackEntry *top = *Stack;
    const int limit = SaneStringSize(StringSize) ? StringSize : 1;
    int n = 0;
    while (n < limit && top->Text[n])
        ++n;
    text.assign(top->Text, static_cast<size_t>(n));
    *Stack = top->Next;
    GlobalFree(top);
    return true;
}

void Call::Push(const std::wstring &text) {
    if (!Stack || !SaneStringSize(StringSize))
        return;
    const size_t bytes = sizeof(StackEntry) + static_cast<size_t>(StringSize) * sizeof(wchar_t);
    StackEntry *entry = static_cast<StackEntry *>(GlobalAlloc(GPTR, bytes));
    if (!entry)
        return;
    lstrcpynW(entry->Text, text.c_str(), StringSize);
    entry->Next = *Stack;
    *Stack = entry;
}

std::wstring Call::Variable(int index) const {
    if (!Variables || !SaneStringSize(StringSize) || index < 0)
        return std::wstring();
    const wchar_t *value = Variables + static_cast<size_t>(index) * static_cast<size_t>(StringSize);
    int n = 0;
    while (n < StringSize && value[n])
        ++n;
    return std::wstring(value, static_cast<size_t>(n));
}

void Call::SetVariable(int index, const std::wstring &value) {
    if (!Variables || !SaneStringSize(StringSize) || index < 0)
        return;
    wchar_t *slot = Variables + static_cast<size_t>(index) * static_cast<size_t>(StringSize);
    lstrcpynW(slot, value.c_str(), StringSize);
    if (Extra && Extra->ValidateFilename && index == kVarInstDir)
        Extra->ValidateFilename(slot);
}

} // namespace nsis
