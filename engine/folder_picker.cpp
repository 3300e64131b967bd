#include "engine/folder_picker.h"

#include <shlobj.h>

#include <algorithm>

void WalkUpToExisting(wchar_t *path) {
    while (path[0]) {
        if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
            return;
        // Only the backslash separates here: a missing path written with forward
        // slashes is emptied in one step.
        wchar_t *separator = wcsrchr(path, L'\\');
        if (!separator) {
            path[0] = L'\0';
            return;
        }
        // "D:" alone names drive D's current folder, not its root: keep "D:\".
        if (separator == path + 2 && path[1] == L':' && separator[1] != L'\0') {
            separator[1] = L'\0';
            continue;
        }
        *separator = L'\0';
    }
}

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

int BrowseDir(const wchar_t *startPath, wchar_t *buffer, int capacity) {
    if (!buffer || capacity <= 0)
        return 0;
    wchar_t start[kPickerPathCapacity] = {};
    if (startPath)
        wcsncpy(start, startPath, kPickerPathCapacity - 1);
    WalkUpToExisting(start);

    BROWSEINFOW info = {};
    info.hwndOwner = g_State.HostWindow;
    info.lpszTitle = L"选择安装目录";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = start[0] ? reinterpret_cast<LPARAM>(start) : 0;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item)
        return 0;

    wchar_t chosen[kPickerPathCapacity] = {};
    const BOOL ok = SHGetPathFromIDListW(item, chosen);
    CoTaskMemFree(item);
    if (!ok || !chosen[0])
        return 0;
    const int length = std::min(static_cast<int>(wcslen(chosen)), capacity - 1);
    std::copy_n(chosen, length, buffer);
    buffer[length] = L'\0';
    return length;
}
