#include "render/render_target.h"

#include "state/seams.h"

namespace {

bool CreateWindowTarget(UINT32 width, UINT32 height) {
    EngineState &s = g_State;
    const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_UNKNOWN, D2D1_ALPHA_MODE_UNKNOWN), 96.0f,
        96.0f, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
    const D2D1_HWND_RENDER_TARGET_PROPERTIES hwndProps =
        D2D1::HwndRenderTargetProperties(s.HostWindow, D2D1::SizeU(width, height), D2D1_PRESENT_OPTIONS_NONE);
    ID2D1HwndRenderTarget *target = nullptr;
    if (FAILED(s.D2DFactory->CreateHwndRenderTarget(props, hwndProps, &target)) || !target)
        return false;
    s.RenderTarget = target;
    s.RenderTargetOnDc = false;
    return true;
}

bool CreateDcTarget() {
    EngineState &s = g_State;
    // A DC target takes only 32-bit BGRA; the alpha is ignored, as the window has none.
    const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE),
        96.0f, 96.0f, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
    ID2D1DCRenderTarget *target = nullptr;
    if (FAILED(s.D2DFactory->CreateDCRenderTarget(&props, &target)) || !target)
        return false;
    s.RenderTarget = target;
    s.RenderTargetOnDc = true;
    return true;
}

} // namespace

bool UseDcRenderTarget() {
#ifdef KSUI_TESTING
    if (TestSeams::ForcedDcRenderTarget >= 0)
        return TestSeams::ForcedDcRenderTarget != 0;
#endif
    return g_State.UnderWine;
}

bool CreateRenderTarget() {
    EngineState &s = g_State;
    if (!s.D2DFactory || !s.HostWindow)
        return false;
    RECT client = {};
    GetClientRect(s.HostWindow, &client);
    const UINT32 width = static_cast<UINT32>(client.right - client.left);
    const UINT32 height = static_cast<UINT32>(client.bottom - client.top);
    if (width == 0 || height == 0)
        return false;
    return UseDcRenderTarget() ? CreateDcTarget() : CreateWindowTarget(width, height);
}

void ResizeRenderTarget(UINT32 width, UINT32 height) {
    EngineState &s = g_State;
    if (!s.RenderTarget || s.RenderTargetOnDc)
        return;
    static_cast<ID2D1HwndRenderTarget *>(s.RenderTarget)->Resize(D2D1::SizeU(width, height));
}
