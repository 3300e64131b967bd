// Small owners for the engine's handles: each one releases, deletes or closes
// exactly once, then nulls what it held, so that a second call does nothing.
#pragma once

#include <windows.h>

// A COM reference.
template <class T> inline void ReleaseAndNull(T *&p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

// A GDI object the engine made (font, brush, bitmap).
template <class T> inline void DeleteObjectAndNull(T &object) {
    if (object) {
        DeleteObject(object);
        object = nullptr;
    }
}

// A memory DC the engine made with CreateCompatibleDC.
inline void DeleteDcAndNull(HDC &dc) {
    if (dc) {
        DeleteDC(dc);
        dc = nullptr;
    }
}

// A kernel handle (thread, event).
inline void CloseHandleAndNull(HANDLE &handle) {
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

// A window's DC for one scope: released when the scope ends, whichever way it ends.
class ScopedWindowDc {
  public:
    ScopedWindowDc(HWND window, HDC dc) : window_(window), dc_(dc) {}
    ~ScopedWindowDc() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    ScopedWindowDc(const ScopedWindowDc &) = delete;
    ScopedWindowDc &operator=(const ScopedWindowDc &) = delete;
    HDC Get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};
