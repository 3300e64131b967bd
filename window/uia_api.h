// What UI Automation's provider side needs and mingw-w64's headers lack: the
// control pattern interfaces, the event and control type ids and the
// enumerations of the pattern values. There is no import library either: the
// engine looks uiautomationcore's functions up by name (UiaFunctions in
// state/state.h, window/uia_provider.cpp). Last, the VARIANTs of the property
// values that the provider answers with and the events carry.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <uiautomationclient.h>

#include <string>

// uiautomationcoreapi.h does not compile as C++ (a parameter is named "new"):
// its few constants are here.
constexpr LPARAM kUiaRootObjectId = -25;
constexpr int kUiaAppendRuntimeId = 3;
constexpr HRESULT kUiaElementNotEnabled = static_cast<HRESULT>(0x80040200);
constexpr HRESULT kUiaElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kUiaInvalidOperation = static_cast<HRESULT>(0x80131509);

// --- Ids ---

constexpr EVENTID kUiaStructureChangedEvent = 20002;
constexpr EVENTID kUiaPropertyChangedEvent = 20004;
constexpr EVENTID kUiaFocusChangedEvent = 20005;
constexpr EVENTID kUiaLiveRegionChangedEvent = 20024;
constexpr EVENTID kUiaNotificationEvent = 20035;

constexpr CONTROLTYPEID kUiaButton = 50000;
constexpr CONTROLTYPEID kUiaCheckBox = 50002;
constexpr CONTROLTYPEID kUiaEdit = 50004;
constexpr CONTROLTYPEID kUiaHyperlink = 50005;
constexpr CONTROLTYPEID kUiaProgressBar = 50012;
constexpr CONTROLTYPEID kUiaText = 50020;

// --- Values of patterns and events ---

enum UiaToggleState : int { UiaToggleOff = 0, UiaToggleOn = 1 };
enum UiaExpandCollapseState : int { UiaCollapsed = 0, UiaExpanded = 1 };
enum UiaLiveSetting : int { UiaLiveOff = 0, UiaLivePolite = 1 };
enum UiaStructureChangeType : int { UiaChildrenInvalidated = 2 };
enum UiaNotificationKind : int { UiaActionCompleted = 2, UiaActionAborted = 3, UiaNotificationOther = 4 };
enum UiaNotificationProcessing : int { UiaImportantAll = 0, UiaImportantMostRecent = 1, UiaMostRecent = 3 };

// --- Control pattern interfaces (uiautomationcore.idl) ---

MIDL_INTERFACE("54fcb24b-e18e-47a2-b4d3-eccbe77599a2")
IInvokeProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
__CRT_UUID_DECL(IInvokeProvider, 0x54fcb24b, 0xe18e, 0x47a2, 0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2)

MIDL_INTERFACE("56d00bd0-c4f4-433c-a836-1a52a57e0892")
IToggleProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToggleState(int *state) = 0;
};
__CRT_UUID_DECL(IToggleProvider, 0x56d00bd0, 0xc4f4, 0x433c, 0xa8, 0x36, 0x1a, 0x52, 0xa5, 0x7e, 0x08, 0x92)

MIDL_INTERFACE("d847d3a5-cab0-4a98-8c32-ecb45c59ad24")
IExpandCollapseProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
    virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int *state) = 0;
};
__CRT_UUID_DECL(IExpandCollapseProvider, 0xd847d3a5, 0xcab0, 0x4a98, 0x8c, 0x32, 0xec, 0xb4, 0x5c, 0x59, 0xad, 0x24)

MIDL_INTERFACE("36dc7aef-33e6-4691-afe1-2be7274b3d33")
IRangeValueProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(double value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(double *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL *readOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Maximum(double *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Minimum(double *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LargeChange(double *value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SmallChange(double *value) = 0;
};
__CRT_UUID_DECL(IRangeValueProvider, 0x36dc7aef, 0x33e6, 0x4691, 0xaf, 0xe1, 0x2b, 0xe7, 0x27, 0x4b, 0x3d, 0x33)

// --- Property values ---

inline VARIANT IntValue(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

inline VARIANT BoolValue(bool value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

inline VARIANT DoubleValue(double value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

// VT_EMPTY, "unknown", when the copy cannot be made.
inline VARIANT TextValue(const std::wstring &text) {
    VARIANT v;
    VariantInit(&v);
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (v.bstrVal)
        v.vt = VT_BSTR;
    return v;
}
