// What the benchmarks time with: the performance counter, this process's CPU
// time (every thread, Mesa's included) and the frame-timer messages the host's
// thread takes from its queue.
#pragma once

#include "state/state.h"

#include <windows.h>

namespace BenchClock {

inline LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// User plus kernel time of this process, in seconds.
inline double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME &t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

// Each frame-timer message is a wake-up of the host's thread (and a round trip
// to the wineserver under Wine). CountTimerWakes hooks the calling thread.
inline LONG g_TimerWakes = 0;

inline LRESULT CALLBACK TimerWakeHook(int code, WPARAM removal, LPARAM message) {
    const MSG *msg = reinterpret_cast<const MSG *>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == WM_TIMER && msg->wParam == kFrameTimerId)
        ++g_TimerWakes;
    return CallNextHookEx(nullptr, code, removal, message);
}

inline void CountTimerWakes() { SetWindowsHookExW(WH_GETMESSAGE, TimerWakeHook, nullptr, GetCurrentThreadId()); }

} // namespace BenchClock
