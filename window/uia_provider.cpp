#include "window/uia_provider.h"

#include "geometry/pixels.h"
#include "geometry/reading_order.h"
#include "window/accessibility.h"
#include "window/element_actions.h"
#include "window/keyboard_focus.h"
#include "window/uia_api.h"

#include <oleacc.h>

#include <limits>
#include <new>

static_assert(kUiaElementSlots > kReadingItemCount, "a slot for the root and one for every reading item");

namespace {

// --- uiautomationcore, looked up by name ---

template <class F> void LookUp(HMODULE module, const char *name, F &function) {
    function = module ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name))) : nullptr;
}

// Loaded when a client first asks for the root, never from DllMain, and then
// kept: the system's UI Automation keeps threads and references of its own in
// the process, as it would if the engine were linked against it. Whether the
// system has what the root needs.
bool LookUpUiaCore() {
    UiaFunctions &f = g_State.Uia;
    if (!f.LookedUp) {
        f.LookedUp = true;
        HMODULE module = GetModuleHandleW(L"uiautomationcore.dll");
        if (!module)
            module = LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        LookUp(module, "UiaReturnRawElementProvider", f.ReturnRawElementProvider);
        LookUp(module, "UiaHostProviderFromHwnd", f.HostProviderFromHwnd);
        LookUp(module, "UiaRaiseAutomationEvent", f.RaiseAutomationEvent);
        LookUp(module, "UiaRaiseAutomationPropertyChangedEvent", f.RaisePropertyChangedEvent);
        // Wine 8 exports this one as a stub that ends the process when called.
        if (!g_State.UnderWine)
            LookUp(module, "UiaRaiseStructureChangedEvent", f.RaiseStructureChangedEvent);
        LookUp(module, "UiaRaiseNotificationEvent", f.RaiseNotificationEvent);
        LookUp(module, "UiaDisconnectProvider", f.DisconnectProvider);
    }
    return f.ReturnRawElementProvider && f.HostProviderFromHwnd && f.RaiseAutomationEvent &&
           f.RaisePropertyChangedEvent;
}

// --- What each item is to UI Automation ---

struct ItemTraits {
    CONTROLTYPEID ControlType;
    const wchar_t *AutomationId; // stable, for installer test scripts; listed in the README
    PATTERNID Pattern;           // 0 for none
};

// Index: 0 the root (the host window's own provider tells what it is), then ReadingItem.
const ItemTraits kTraits[] = {
    {0, nullptr, 0},
    {kUiaButton, L"Minimize", UIA_InvokePatternId},
    {kUiaButton, L"Close", UIA_InvokePatternId},
    {kUiaButton, L"QuickInstall", UIA_InvokePatternId},
    {kUiaCheckBox, L"Agreement", UIA_TogglePatternId},
    {kUiaHyperlink, L"LicenseLink", UIA_InvokePatternId},
    {kUiaButton, L"CustomInstall", UIA_ExpandCollapsePatternId},
    {kUiaButton, L"ChangeDir", UIA_InvokePatternId},
    {kUiaCheckBox, L"DesktopShortcut", UIA_TogglePatternId},
    {kUiaCheckBox, L"StartMenu", UIA_TogglePatternId},
    {kUiaCheckBox, L"AutoStart", UIA_TogglePatternId},
    {kUiaButton, L"Launch", UIA_InvokePatternId},
    {kUiaEdit, L"InstallDir", 0},
    {kUiaText, L"InstallStatus", 0},
    {kUiaProgressBar, L"InstallProgress", UIA_RangeValuePatternId},
};
static_assert(sizeof kTraits / sizeof kTraits[0] == kReadingItemCount + 1, "every item has its traits");

HRESULT AnswerInt(VARIANT *out, int value) {
    *out = IntValue(value);
    return S_OK;
}

HRESULT AnswerBool(VARIANT *out, bool value) {
    *out = BoolValue(value);
    return S_OK;
}

HRESULT AnswerText(VARIANT *out, const std::wstring &text) {
    *out = TextValue(text);
    return out->vt == VT_BSTR ? S_OK : E_OUTOFMEMORY;
}

UiaElement *ElementOf(int item);

// --- Calls from other threads ---

// A provider method's body, waiting to run on the window's thread.
struct UiaCall {
    HRESULT (*Run)(void *body);
    void *Body;
    HRESULT Result;
};

// UI Automation calls providers from threads of its own (the engine does not
// ask for COM threading: with it, Wine 8 deadlocks when a client navigates).
// The engine's state belongs to the window's thread, so a body runs there: at
// once on that thread, otherwise sent over, one call at a time. A window that
// is gone, or no longer the engine's, leaves UIA_E_ELEMENTNOTAVAILABLE.
template <class F> HRESULT OnWindowThread(F body) {
    EngineState &s = g_State;
    HWND window = s.HostWindow;
    if (!window)
        return kUiaElementNotAvailable;
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        return body();
    UiaCall call = {[](void *b) { return (*static_cast<F *>(b))(); }, &body, kUiaElementNotAvailable};
    AcquireSRWLockExclusive(&s.UiaCallLock);
    s.UiaCallWaiting = &call;
    SendMessageW(window, s.UiaCallMessage, 0, reinterpret_cast<LPARAM>(&call));
    s.UiaCallWaiting = nullptr;
    ReleaseSRWLockExclusive(&s.UiaCallLock);
    return call.Result;
}

} // namespace

// --- The element ---

// One class for the root (item 0) and every item: the root adds the fragment
// root, an item the one control pattern its traits name.
class UiaElement final : public IRawElementProviderSimple,
                         public IRawElementProviderFragment,
                         public IRawElementProviderFragmentRoot,
                         public IInvokeProvider,
                         public IToggleProvider,
                         public IExpandCollapseProvider,
                         public IRangeValueProvider {
  public:
    explicit UiaElement(int item) : item_(item) {}

    void Disconnect() { connected_ = false; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const PATTERNID pattern = kTraits[item_].Pattern;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IRawElementProviderSimple))
            *out = static_cast<IRawElementProviderSimple *>(this);
        else if (iid == __uuidof(IRawElementProviderFragment))
            *out = static_cast<IRawElementProviderFragment *>(this);
        else if (iid == __uuidof(IRawElementProviderFragmentRoot) && item_ == 0)
            *out = static_cast<IRawElementProviderFragmentRoot *>(this);
        else if (iid == __uuidof(IInvokeProvider) && pattern == UIA_InvokePatternId)
            *out = static_cast<IInvokeProvider *>(this);
        else if (iid == __uuidof(IToggleProvider) && pattern == UIA_TogglePatternId)
            *out = static_cast<IToggleProvider *>(this);
        else if (iid == __uuidof(IExpandCollapseProvider) && pattern == UIA_ExpandCollapsePatternId)
            *out = static_cast<IExpandCollapseProvider *>(this);
        else if (iid == __uuidof(IRangeValueProvider) && pattern == UIA_RangeValuePatternId)
            *out = static_cast<IRangeValueProvider *>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // --- IRawElementProviderSimple ---

    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions *options) override {
        if (!options)
            return E_POINTER;
        // Not ProviderOptions_UseComThreading: the bodies below hop to the
        // window's thread themselves (OnWindowThread).
        *options = ProviderOptions_ServerSideProvider;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            if (pattern == 0 || pattern != kTraits[item_].Pattern)
                return S_OK;
            // The pattern's own interface, which also answers for IUnknown.
            const IID &iid = pattern == UIA_InvokePatternId           ? __uuidof(IInvokeProvider)
                             : pattern == UIA_TogglePatternId         ? __uuidof(IToggleProvider)
                             : pattern == UIA_ExpandCollapsePatternId ? __uuidof(IExpandCollapseProvider)
                                                                      : __uuidof(IRangeValueProvider);
            return QueryInterface(iid, reinterpret_cast<void **>(out));
        });
    }

    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT *out) override {
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return WhenReady([&]() -> HRESULT {
            if (item_ == 0)
                return S_OK; // the host window's own provider describes the root
            const ItemTraits &traits = kTraits[item_];
            switch (property) {
            case UIA_ControlTypePropertyId:
                return AnswerInt(out, traits.ControlType);
            case UIA_AutomationIdPropertyId:
                return AnswerText(out, traits.AutomationId);
            case UIA_NamePropertyId:
                return AnswerText(out, ItemName(item_));
            case UIA_IsEnabledPropertyId:
                return AnswerBool(out, (ItemState(item_) & STATE_SYSTEM_UNAVAILABLE) == 0);
            case UIA_IsKeyboardFocusablePropertyId:
                return AnswerBool(out, ItemFocusable(item_));
            case UIA_HasKeyboardFocusPropertyId:
                return AnswerBool(out, HasFocus());
            case UIA_IsOffscreenPropertyId:
                return AnswerBool(out, Offscreen());
            case UIA_LiveSettingPropertyId:
                return AnswerInt(out, item_ == ItemStatusLine ? UiaLivePolite : UiaLiveOff);
            default:
                return S_OK; // VT_EMPTY: the system's default
            }
        });
    }

    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple **host) override {
        if (!Clear(host))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            // The root stands for the host window, and the directory box is the
            // real EDIT: their windows' own providers add what the system knows
            // of them (for the EDIT its value and text).
            if (item_ == 0)
                return g_State.Uia.HostProviderFromHwnd(g_State.HostWindow, host);
            if (item_ == ItemDirEdit)
                return g_State.Uia.HostProviderFromHwnd(g_State.DirEdit, host);
            return S_OK;
        });
    }

    // --- IRawElementProviderFragment ---

    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            int items[kReadingItemCount];
            const int n = ReadingOrder(items);
            int at = 0;
            while (at < n && items[at] != item_)
                ++at;
            int target = -1;
            if (item_ == 0) {
                if (n > 0 && direction == NavigateDirection_FirstChild)
                    target = items[0];
                else if (n > 0 && direction == NavigateDirection_LastChild)
                    target = items[n - 1];
            } else if (direction == NavigateDirection_Parent) {
                target = 0;
            } else if (direction == NavigateDirection_NextSibling && at + 1 < n) {
                target = items[at + 1];
            } else if (direction == NavigateDirection_PreviousSibling && at > 0 && at < n) {
                target = items[at - 1];
            }
            return target < 0 ? S_OK : Hand(target, out);
        });
    }

    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            if (item_ == 0)
                return S_OK; // the root takes the host window's id
            SAFEARRAY *array = SafeArrayCreateVector(VT_I4, 0, 2);
            if (!array)
                return E_OUTOFMEMORY;
            int id[2] = {kUiaAppendRuntimeId, item_};
            for (LONG i = 0; i < 2; ++i)
                SafeArrayPutElement(array, &i, &id[i]);
            *out = array;
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect *out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            if (item_ == 0)
                return S_OK; // the host window's provider gives the root's
            const RECT r = ItemScreenRect(item_);
            *out = {static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.right - r.left),
                    static_cast<double>(r.bottom - r.top)};
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([]() -> HRESULT { return S_OK; });
    }

    HRESULT STDMETHODCALLTYPE SetFocus() override {
        return WhenReady([&]() -> HRESULT {
            if (item_ == 0) {
                ::SetFocus(g_State.HostWindow);
                return S_OK;
            }
            if (!ItemFocusable(item_))
                return kUiaInvalidOperation;
            MoveKeyboardFocus(item_);
            return S_OK;
        });
    }

    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            UiaElement *root = ElementOf(0);
            if (!root)
                return E_OUTOFMEMORY;
            root->AddRef();
            *out = root;
            return S_OK;
        });
    }

    // --- IRawElementProviderFragmentRoot, the root only ---

    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            // NaN and far-away points miss the client area.
            const bool onScreen = x >= -1.0e6 && x <= 1.0e6 && y >= -1.0e6 && y <= 1.0e6;
            int item = 0;
            if (!onScreen || !ItemAtScreenPoint({static_cast<LONG>(x), static_cast<LONG>(y)}, &item))
                return S_OK;
            return Hand(item, out); // the root itself where no item is
        });
    }

    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment **out) override {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            const int item = KeyboardFocusItem();
            UiaElement *focused = item != 0 ? ElementOf(item) : nullptr;
            if (!focused || !focused->HasFocus())
                return S_OK;
            return Hand(item, out);
        });
    }

    // --- Control patterns: what a click does, with the same refusal ---

    HRESULT STDMETHODCALLTYPE Invoke() override { return Act(kActionAlways); }

    HRESULT STDMETHODCALLTYPE Toggle() override { return Act(kActionAlways); }
    HRESULT STDMETHODCALLTYPE get_ToggleState(int *state) override {
        return Read(state, [this] { return (ItemState(item_) & STATE_SYSTEM_CHECKED) ? UiaToggleOn : UiaToggleOff; });
    }

    HRESULT STDMETHODCALLTYPE Expand() override { return Act(kActionIfCollapsed); }
    HRESULT STDMETHODCALLTYPE Collapse() override { return Act(kActionIfExpanded); }
    HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int *state) override {
        return Read(state, [] { return g_State.CustomPanelOpen ? UiaExpanded : UiaCollapsed; });
    }

    // The bar only shows what the host reports: whole percents, read-only.
    HRESULT STDMETHODCALLTYPE SetValue(double) override {
        return WhenReady([]() -> HRESULT { return kUiaInvalidOperation; });
    }
    HRESULT STDMETHODCALLTYPE get_Value(double *value) override {
        return Read(value, [] { return static_cast<double>(ItemPercent()); });
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL *readOnly) override {
        return Read(readOnly, [] { return TRUE; });
    }
    HRESULT STDMETHODCALLTYPE get_Maximum(double *value) override {
        return Read(value, [] { return 100.0; });
    }
    HRESULT STDMETHODCALLTYPE get_Minimum(double *value) override {
        return Read(value, [] { return 0.0; });
    }
    // No steps: nobody moves this bar.
    HRESULT STDMETHODCALLTYPE get_LargeChange(double *value) override {
        return Read(value, [] { return std::numeric_limits<double>::quiet_NaN(); });
    }
    HRESULT STDMETHODCALLTYPE get_SmallChange(double *value) override {
        return Read(value, [] { return std::numeric_limits<double>::quiet_NaN(); });
    }

    // Whether the item has the keyboard focus: the EDIT box while it has the
    // system's, the others while the engine's focus cue is on them.
    bool HasFocus() const {
        if (item_ == ItemDirEdit)
            return g_State.DirEdit && ::GetFocus() == g_State.DirEdit;
        return item_ != 0 && (ItemState(item_) & STATE_SYSTEM_FOCUSED) != 0;
    }

  private:
    // A client may hold an element across a page change, a detach or the
    // window's end: it answers UIA_E_ELEMENTNOTAVAILABLE until it is live again.
    HRESULT Ready() const {
        if (!connected_ || !g_State.HostWindow)
            return kUiaElementNotAvailable;
        if (item_ != 0 && !ItemLive(item_))
            return kUiaElementNotAvailable;
        return S_OK;
    }

    // Runs a body on the window's thread while the element is live.
    template <class F> HRESULT WhenReady(F body) {
        return OnWindowThread([&]() -> HRESULT {
            const HRESULT ready = Ready();
            return FAILED(ready) ? ready : body();
        });
    }

    // An answer is emptied first, so that a call that cannot run leaves none.
    template <class T> static bool Clear(T *out) {
        if (!out)
            return false;
        *out = T{};
        return true;
    }

    // Reads one value of a pattern on the window's thread.
    template <class T, class F> HRESULT Read(T *out, F value) {
        if (!Clear(out))
            return E_POINTER;
        return WhenReady([&]() -> HRESULT {
            *out = static_cast<T>(value());
            return S_OK;
        });
    }

    // Posts the action to the window's message loop, as a reader's default
    // action is: the host's callback never runs inside the client's call.
    HRESULT Act(LPARAM condition) {
        return WhenReady([&]() -> HRESULT {
            if (!ElementActionable(item_))
                return kUiaElementNotEnabled; // no install before the agreement is ticked
            if (!PanelAsExpected(condition))
                return S_OK; // already so
            const UINT msg = g_State.DefaultActionMessage;
            if (msg == 0 || !PostMessageW(g_State.HostWindow, msg, static_cast<WPARAM>(item_), condition))
                return E_FAIL;
            return S_OK;
        });
    }

    bool Offscreen() const {
        HWND window = g_State.HostWindow;
        if (!IsWindowVisible(window) || IsIconic(window))
            return true;
        RECT client = {}, shown = {};
        GetClientRect(window, &client);
        const RECT r = ClientFromDesign(ItemRect(item_));
        return !IntersectRect(&shown, &r, &client);
    }

    static HRESULT Hand(int item, IRawElementProviderFragment **out) {
        UiaElement *element = ElementOf(item);
        if (!element)
            return E_OUTOFMEMORY;
        element->AddRef();
        *out = element;
        return S_OK;
    }

    volatile LONG refs_ = 1;
    const int item_;
    bool connected_ = true;
};

namespace {

// The engine keeps one element per item, so that a client sees the same
// element for an item for as long as the window lives.
UiaElement *ElementOf(int item) {
    UiaElement *&slot = g_State.UiaElements[item];
    if (!slot)
        slot = new (std::nothrow) UiaElement(item);
    return slot;
}

} // namespace

// --- Handing the root out and taking everything back ---

bool AnswerUiaRoot(HWND window, WPARAM flags, LPARAM objectId, LRESULT *result) {
    EngineState &s = g_State;
    // The id is a 32-bit value; a 64-bit lParam may carry it zero-extended.
    if (static_cast<LONG>(static_cast<DWORD>(objectId)) != kUiaRootObjectId || window != s.HostWindow)
        return false;
    if (!LookUpUiaCore())
        return false;
    UiaElement *root = ElementOf(0);
    if (!root)
        return false;
    *result = s.Uia.ReturnRawElementProvider(window, flags, objectId, root);
    return true;
}

void RunUiaCall(LPARAM cookie) {
    // Only the call that another thread of this process is waiting on runs.
    UiaCall *call = static_cast<UiaCall *>(g_State.UiaCallWaiting);
    if (call && reinterpret_cast<LPARAM>(call) == cookie)
        call->Result = call->Run(call->Body);
}

IRawElementProviderSimple *UiaProvider(int item) {
    if (!g_State.UiaElements[0] || item < 0 || item > kReadingItemCount)
        return nullptr;
    return ElementOf(item);
}

void DisconnectUiaProviders(HWND window) {
    EngineState &s = g_State;
    s.Spoken = SpokenState{};
    const bool handedOut = s.UiaElements[0] != nullptr;
    for (UiaElement *&element : s.UiaElements) {
        if (!element)
            continue;
        // The system asks the element for its runtime id while it lets go of it.
        if (s.Uia.DisconnectProvider)
            s.Uia.DisconnectProvider(element);
        element->Disconnect();
        // Clients in other processes hold it through COM: cut them off, so that
        // their references go now and not after the library is gone.
        CoDisconnectObject(static_cast<IRawElementProviderSimple *>(element), 0);
        ReleaseAndNull(element);
    }
    // The system lets go of what it keeps for this window.
    if (handedOut && IsWindow(window))
        s.Uia.ReturnRawElementProvider(window, 0, 0, nullptr);
}
