// The texts painted on the canvas. A screen reader is told the very same texts,
// so each is written once, here.
#pragma once

#include "state/state.h"

constexpr const wchar_t *kCaptionMinimize = L"最小化"; // the title buttons paint symbols only
constexpr const wchar_t *kCaptionClose = L"关闭";
constexpr const wchar_t *kCaptionInstall = L"快速安装";
constexpr const wchar_t *kCaptionAgree = L"我已阅读并同意";
constexpr const wchar_t *kCaptionCustom = L"自定义安装";
constexpr const wchar_t *kCaptionLocation = L"安装位置";
constexpr const wchar_t *kCaptionChangeDir = L"更改";
constexpr const wchar_t *kCaptionDesktop = L"桌面快捷方式";
constexpr const wchar_t *kCaptionStartMenu = L"添加到开始菜单";
constexpr const wchar_t *kCaptionAutoStart = L"开机自动启动";
constexpr const wchar_t *kCaptionLaunch = L"立即体验";

// The licence link's caption: the host's text, or the built-in one.
inline const wchar_t *LicenseCaption() {
    return g_State.LicenseLinkText.empty() ? L"《用户许可协议》" : g_State.LicenseLinkText.c_str();
}
