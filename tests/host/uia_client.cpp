#include "tests/host/uia_client.h"

#include <ole2.h>

namespace UiaClient {
namespace {

struct UiaCondition {
    int ConditionType; // 0: true
};

struct UiaCacheRequest {
    UiaCondition *ViewCondition;
    int Scope; // 1: the element only
    int *Properties;
    int PropertyCount;
    int *Patterns;
    int PatternCount;
    int ElementMode; // 1: full
};

struct NodeApi {
    HRESULT(WINAPI *FromHandle)(HWND, Node *) = nullptr;
    BOOL(WINAPI *Release)(Node) = nullptr;
    HRESULT(WINAPI *GetPropertyValue)(Node, int, VARIANT *) = nullptr;
    HRESULT(WINAPI *Navigate)(Node, int, UiaCondition *, UiaCacheRequest *, SAFEARRAY **, BSTR *) = nullptr;
    HRESULT(WINAPI *NodeFromVariant)(VARIANT *, Node *) = nullptr;
};

template <class F> void LookUp(HMODULE module, const char *name, F &function) {
    function = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

const NodeApi &Api() {
    static NodeApi api = [] {
        NodeApi a;
        HMODULE module = LoadLibraryW(L"uiautomationcore.dll");
        if (module) {
            LookUp(module, "UiaNodeFromHandle", a.FromHandle);
            LookUp(module, "UiaNodeRelease", a.Release);
            LookUp(module, "UiaGetPropertyValue", a.GetPropertyValue);
            LookUp(module, "UiaNavigate", a.Navigate);
            LookUp(module, "UiaHUiaNodeFromVariant", a.NodeFromVariant);
        }
        return a;
    }();
    return api;
}

// Wine 8 navigates with a true condition and a cache request for the element
// alone; the first cell of the answer holds the node.
Node Step(Node node, int direction) {
    const NodeApi &api = Api();
    if (!node || !api.Navigate)
        return nullptr;
    UiaCondition all = {0};
    UiaCacheRequest request = {&all, 1, nullptr, 0, nullptr, 0, 1};
    SAFEARRAY *data = nullptr;
    BSTR tree = nullptr;
    Node next = nullptr;
    if (SUCCEEDED(api.Navigate(node, direction, &all, &request, &data, &tree)) && data) {
        LONG at[2] = {0, 0};
        VARIANT cell;
        VariantInit(&cell);
        if (SUCCEEDED(SafeArrayGetElement(data, at, &cell)))
            api.NodeFromVariant(&cell, &next);
        SafeArrayDestroy(data);
    }
    SysFreeString(tree);
    return next;
}

VARIANT Read(Node node, int property, HRESULT *result) {
    VARIANT v;
    VariantInit(&v);
    const HRESULT hr = Api().GetPropertyValue ? Api().GetPropertyValue(node, property, &v) : E_NOTIMPL;
    if (result)
        *result = hr;
    return v;
}

// A thread's entry point: a plain function, for the stdcall convention of 32-bit Windows.
DWORD WINAPI RunWork(void *work) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    (*static_cast<const std::function<void()> *>(work))();
    CoUninitialize();
    return 0;
}

} // namespace

bool Available() {
    const NodeApi &api = Api();
    return api.FromHandle && api.Release && api.GetPropertyValue && api.Navigate && api.NodeFromVariant;
}

void OffThread(const std::function<void()> &work) {
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()> *>(&work), 0, nullptr);
    if (!thread)
        return;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    CloseHandle(thread);
}

Node FromWindow(HWND window, HRESULT *result) {
    Node node = nullptr;
    const HRESULT hr = Available() ? Api().FromHandle(window, &node) : E_NOTIMPL;
    if (result)
        *result = hr;
    return SUCCEEDED(hr) ? node : nullptr;
}

Node FirstChild(Node node) { return Step(node, 3); }
Node NextSibling(Node node) { return Step(node, 1); }

void Release(Node node) {
    if (node && Api().Release)
        Api().Release(node);
}

std::wstring Text(Node node, int property, HRESULT *result) {
    VARIANT v = Read(node, property, result);
    std::wstring text = v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"";
    VariantClear(&v);
    return text;
}

int Int(Node node, int property, HRESULT *result) {
    VARIANT v = Read(node, property, result);
    return v.vt == VT_I4 ? v.lVal : 0;
}

bool Bool(Node node, int property, HRESULT *result) {
    VARIANT v = Read(node, property, result);
    return v.vt == VT_BOOL && v.boolVal != VARIANT_FALSE;
}

} // namespace UiaClient
