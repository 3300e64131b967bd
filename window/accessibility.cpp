#include "window/accessibility.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "geometry/reading_order.h"
#include "render/installing_page.h"
#include "render/resources.h"
#include "window/element_actions.h"
#include "window/keyboard_focus.h"
#include "window/uia_announce.h"

#include <oleacc.h>

// Interface ids come from __uuidof: mingw's liboleacc.a also exports the name
// IID_IAccessible, as an import thunk, and a link that takes that one passes
// the address of code where a GUID belongs.

#include <new>

namespace {

// --- What a reader is told about an item ---

// The text an item is named by; -1 for the items named otherwise.
int ItemText(int item) {
    switch (item) {
    case ElemMinimize:
        return TextMinimize;
    case ElemClose:
        return TextClose;
    case ElemInstall:
        return TextQuickInstall;
    case ElemCustomToggle:
        return TextCustomInstall;
    case ElemChangeDir:
        return TextChangeDir;
    case ElemOptDesktop:
        return TextDesktopShortcut;
    case ElemOptStartMenu:
        return TextStartMenu;
    case ElemOptAutoStart:
        return TextAutoStart;
    case ElemLaunch:
        return TextLaunch;
    case ItemDirEdit:
        return TextInstallLocation; // the label painted before the box
    case ItemProgressBar:
        return TextProgressName;
    default:
        return -1;
    }
}

const wchar_t *DefaultActionName(int item) {
    if (ItemOption(item) != 0)
        return Caption(g_State.Options[ItemOption(item) - 1] ? TextActionUncheck : TextActionCheck);
    if (item == ElemCustomToggle)
        return Caption(g_State.CustomPanelOpen ? TextActionCollapse : TextActionExpand);
    if (item == ElemLicenseLink)
        return Caption(TextActionJump);
    if (item >= ElemMinimize && item <= ElemLaunch)
        return Caption(TextActionPress);
    return nullptr;
}

// --- Child ids: 1..n are the live items in reading order ---

int ItemOfChild(LONG child) {
    int items[kReadingItemCount];
    const int n = ReadingOrder(items);
    return child >= 1 && child <= n ? items[child - 1] : -1;
}

LONG ChildOfItem(int item) {
    int items[kReadingItemCount];
    const int n = ReadingOrder(items);
    for (int i = 0; i < n; ++i)
        if (items[i] == item)
            return i + 1;
    return CHILDID_SELF;
}

HRESULT EditObject(IDispatch **out) {
    return AccessibleObjectFromWindow(g_State.DirEdit, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void **>(out));
}

// A child as a VARIANT: the EDIT box as its own object, the rest by child id.
void ChildVariant(int item, VARIANT *out) {
    VariantInit(out);
    IDispatch *edit = nullptr;
    if (item == ItemDirEdit && SUCCEEDED(EditObject(&edit)) && edit) {
        out->vt = VT_DISPATCH;
        out->pdispVal = edit;
        return;
    }
    out->vt = VT_I4;
    out->lVal = ChildOfItem(item);
}

HRESULT AnswerText(const std::wstring &text, BSTR *out) {
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

// --- The client object ---

class ClientAccessible final : public IAccessible {
  public:
    explicit ClientAccessible(HWND window) : window_(window) {}

    void Disconnect() { window_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible *>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: readers use the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override {
        if (info)
            *info = nullptr;
        return window_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override {
        return window_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override {
        return window_ ? E_NOTIMPL : CO_E_OBJNOTCONNECTED;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch **parent) override {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        return AccessibleObjectFromWindow(window_, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void **>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long *count) override {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!count)
            return E_POINTER;
        int items[kReadingItemCount];
        *count = ReadingOrder(items);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch **out) override {
        int item = 0;
        const HRESULT hr = Prepare(child, out, &item);
        if (FAILED(hr))
            return hr;
        if (item == 0)
            return E_INVALIDARG;
        if (item == ItemDirEdit)
            return EditObject(out);
        return S_FALSE; // a simple element: the client asks this object about it
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR *name) override {
        int item = 0;
        const HRESULT hr = Prepare(child, name, &item);
        if (FAILED(hr))
            return hr;
        if (item == 0) {
            wchar_t title[256] = {};
            GetWindowTextW(window_, title, 256);
            return AnswerText(title, name);
        }
        return AnswerText(ItemName(item), name);
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR *value) override {
        int item = 0;
        const HRESULT hr = Prepare(child, value, &item);
        if (FAILED(hr))
            return hr;
        if (item != ItemProgressBar && item != ItemDirEdit)
            return DISP_E_MEMBERNOTFOUND;
        return AnswerText(ItemValue(item), value);
    }

    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR *text) override {
        int item = 0;
        const HRESULT hr = Prepare(child, text, &item);
        if (FAILED(hr))
            return hr;
        const std::wstring description = ItemDescription(item);
        return description.empty() ? DISP_E_MEMBERNOTFOUND : AnswerText(description, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR *text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR *text) override {
        return NoText(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR *file, VARIANT child, long *topic) override {
        if (topic)
            *topic = 0;
        return NoText(child, file);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT *role) override {
        return Number(child, role, [](int item) { return item == 0 ? ROLE_SYSTEM_CLIENT : ItemRole(item); });
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT *state) override {
        HWND window = window_;
        return Number(child, state, [window](int item) {
            if (item != 0)
                return ItemState(item);
            return static_cast<LONG>(STATE_SYSTEM_FOCUSABLE | (GetFocus() == window ? STATE_SYSTEM_FOCUSED : 0));
        });
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT *focus) override {
        const HRESULT ready = PrepareVariant(focus);
        if (FAILED(ready))
            return ready;
        HWND focused = GetFocus();
        const int item = KeyboardFocusItem();
        if (g_State.DirEdit && focused == g_State.DirEdit) {
            ChildVariant(ItemDirEdit, focus);
        } else if (focused == window_) {
            focus->vt = VT_I4;
            focus->lVal = item != 0 && item != ItemDirEdit ? ChildOfItem(item) : CHILDID_SELF;
        } else {
            return S_FALSE; // the focus is in another window
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT *selection) override {
        const HRESULT ready = PrepareVariant(selection);
        if (FAILED(ready))
            return ready;
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR *action) override {
        int item = 0;
        const HRESULT hr = Prepare(child, action, &item);
        if (FAILED(hr))
            return hr;
        const wchar_t *name = DefaultActionName(item);
        if (!name)
            return DISP_E_MEMBERNOTFOUND;
        return AnswerText(name, action);
    }

    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        int item = 0;
        const HRESULT hr = Resolve(child, &item);
        if (FAILED(hr))
            return hr;
        if (flags != SELFLAG_TAKEFOCUS)
            return DISP_E_MEMBERNOTFOUND; // nothing here is selectable
        if (item == 0) {
            SetFocus(window_);
            return S_OK;
        }
        if (!ItemFocusable(item))
            return DISP_E_MEMBERNOTFOUND;
        MoveKeyboardFocus(item);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long *left, long *top, long *width, long *height, VARIANT child) override {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        int item = 0;
        const HRESULT hr = Resolve(child, &item);
        if (FAILED(hr))
            return hr;
        RECT r = {};
        if (item == 0) {
            GetClientRect(window_, &r);
            MapWindowPoints(window_, nullptr, reinterpret_cast<POINT *>(&r), 2);
        } else {
            r = ItemScreenRect(item);
        }
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT *end) override {
        const HRESULT ready = PrepareVariant(end);
        if (FAILED(ready))
            return ready;
        int item = 0;
        const HRESULT hr = Resolve(start, &item);
        if (FAILED(hr))
            return hr;
        long count = 0;
        get_accChildCount(&count);
        LONG target = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (item != 0)
                return E_INVALIDARG;
            target = direction == NAVDIR_FIRSTCHILD ? 1 : count;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_DOWN:
        case NAVDIR_RIGHT:
        case NAVDIR_PREVIOUS:
        case NAVDIR_UP:
        case NAVDIR_LEFT: {
            if (item == 0)
                return S_FALSE; // the client area's siblings are the window's business
            const bool forward = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT;
            target = ChildOfItem(item) + (forward ? 1 : -1);
            break;
        }
        default:
            return E_INVALIDARG;
        }
        if (target < 1 || target > count)
            return S_FALSE;
        ChildVariant(ItemOfChild(target), end);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT *hit) override {
        const HRESULT ready = PrepareVariant(hit);
        if (FAILED(ready))
            return ready;
        int item = 0;
        if (!ItemAtScreenPoint({x, y}, &item))
            return S_FALSE;
        if (item == 0) {
            hit->vt = VT_I4;
            hit->lVal = CHILDID_SELF;
        } else {
            ChildVariant(item, hit);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        int item = 0;
        const HRESULT hr = Resolve(child, &item);
        if (FAILED(hr))
            return hr;
        if (item < ElemMinimize || item > ElemLaunch)
            return DISP_E_MEMBERNOTFOUND;
        // The same refusal as a click: no install before the agreement is ticked.
        if (!ElementActionable(item))
            return E_ACCESSDENIED;
        const UINT msg = g_State.DefaultActionMessage;
        if (msg == 0 || !PostMessageW(window_, msg, static_cast<WPARAM>(item), 0))
            return E_FAIL;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        return window_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        return window_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

  private:
    // Checks the connection and turns a child id into an item: 0 for the client
    // area itself.
    HRESULT Resolve(const VARIANT &child, int *item) const {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4)
            return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) {
            *item = 0;
            return S_OK;
        }
        *item = ItemOfChild(child.lVal);
        return *item > 0 ? S_OK : E_INVALIDARG;
    }

    // Resolve, for the methods that answer through an out pointer: the pointer
    // is nulled first and must be there.
    template <class T> HRESULT Prepare(const VARIANT &child, T **out, int *item) const {
        if (out)
            *out = nullptr;
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!out)
            return E_POINTER;
        return Resolve(child, item);
    }

    // Checks the connection and the VARIANT an answer goes into, which it empties.
    HRESULT PrepareVariant(VARIANT *out) const {
        if (!window_)
            return CO_E_OBJNOTCONNECTED;
        if (!out)
            return E_POINTER;
        VariantInit(out);
        return S_OK;
    }

    HRESULT NoText(const VARIANT &child, BSTR *text) const {
        int item = 0;
        const HRESULT hr = Prepare(child, text, &item);
        return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
    }

    template <class F> HRESULT Number(const VARIANT &child, VARIANT *out, F value) {
        int item = 0;
        HRESULT hr = PrepareVariant(out);
        if (SUCCEEDED(hr))
            hr = Resolve(child, &item);
        if (FAILED(hr))
            return hr;
        out->vt = VT_I4;
        out->lVal = value(item);
        return S_OK;
    }

    volatile LONG refs_ = 1;
    HWND window_;
};

// --- Items ---

LONG ItemRole(int item) {
    switch (item) {
    case ElemAgree:
    case ElemOptDesktop:
    case ElemOptStartMenu:
    case ElemOptAutoStart:
        return ROLE_SYSTEM_CHECKBUTTON;
    case ElemLicenseLink:
        return ROLE_SYSTEM_LINK;
    case ItemDirEdit:
        return ROLE_SYSTEM_TEXT;
    case ItemStatusLine:
        return ROLE_SYSTEM_STATICTEXT;
    case ItemProgressBar:
        return ROLE_SYSTEM_PROGRESSBAR;
    default:
        return ROLE_SYSTEM_PUSHBUTTON;
    }
}

LONG ItemState(int item) {
    const EngineState &s = g_State;
    LONG state = 0;
    if (ItemFocusable(item)) {
        state |= STATE_SYSTEM_FOCUSABLE;
        if (s.FocusCueShown && KeyboardFocusItem() == item)
            state |= STATE_SYSTEM_FOCUSED;
    } else {
        state |= STATE_SYSTEM_READONLY;
    }
    const int option = ItemOption(item);
    if (option != 0 && s.Options[option - 1] != 0)
        state |= STATE_SYSTEM_CHECKED;
    if (item == ElemInstall && !ElementActionable(item))
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (item == ElemCustomToggle)
        state |= s.CustomPanelOpen ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    if (item == ElemLicenseLink)
        state |= STATE_SYSTEM_LINKED;
    if (item >= ElemMinimize && item <= ElemLaunch && s.HoverElement == item)
        state |= STATE_SYSTEM_HOTTRACKED;
    return state;
}

std::wstring ItemName(int item) {
    const EngineState &s = g_State;
    switch (item) {
    case ElemAgree:
        return std::wstring(Caption(TextAgree)) + LicenseCaption();
    case ElemLicenseLink:
        return LicenseCaption();
    case ItemStatusLine:
        // As much as the status row lays out.
        return s.StatusText.substr(0, LayoutLength(s.StatusText.c_str()));
    default:
        return ItemText(item) >= 0 ? Caption(ItemText(item)) : L"";
    }
}

std::wstring ItemDescription(int item) {
    // Why the install button does nothing yet.
    if (item == ElemInstall && !ElementActionable(item))
        return Caption(TextInstallBlocked);
    return std::wstring();
}

int ItemOption(int item) {
    switch (item) {
    case ElemAgree:
        return OptionAgree;
    case ElemOptDesktop:
        return OptionDesktopShortcut;
    case ElemOptStartMenu:
        return OptionStartMenu;
    case ElemOptAutoStart:
        return OptionAutoStart;
    default:
        return 0;
    }
}

int ItemPercent() { return ProgressPercent(static_cast<float>(g_State.ProgressTarget)); }

RECT ItemScreenRect(int item) {
    RECT px = ClientFromDesign(ItemRect(item));
    MapWindowPoints(g_State.HostWindow, nullptr, reinterpret_cast<POINT *>(&px), 2);
    return px;
}

bool ItemAtScreenPoint(POINT screen, int *item) {
    HWND window = g_State.HostWindow;
    RECT client = {};
    GetClientRect(window, &client);
    ScreenToClient(window, &screen);
    if (!PtInRect(&client, screen))
        return false;
    const D2D1_POINT_2F d = DesignFromClient(screen.x, screen.y);
    *item = ItemAt(d.x, d.y);
    return true;
}

std::wstring ItemValue(int item) {
    if (item == ItemProgressBar)
        return PercentText(ItemPercent());
    if (item == ItemDirEdit && g_State.DirEdit) {
        const int length = GetWindowTextLengthW(g_State.DirEdit);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(g_State.DirEdit, &text[0], length + 1)));
        return text;
    }
    return std::wstring();
}

// --- Handing the object out and taking it back ---

bool AnswerGetObject(HWND window, WPARAM flags, LPARAM objectId, LRESULT *result) {
    EngineState &s = g_State;
    // The id is a 32-bit value; a 64-bit lParam may carry it zero-extended.
    if (static_cast<LONG>(static_cast<DWORD>(objectId)) != OBJID_CLIENT || window != s.HostWindow)
        return false;
    if (!s.Accessible)
        s.Accessible = new (std::nothrow) ClientAccessible(window);
    if (!s.Accessible)
        return false;
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), flags, s.Accessible);
    if (FAILED(static_cast<HRESULT>(answer)))
        return false;
    *result = answer;
    return true;
}

void DisconnectAccessible() {
    EngineState &s = g_State;
    s.Announced = AnnouncedState{};
    if (!s.Accessible)
        return;
    s.Accessible->Disconnect();
    // Readers in other processes hold it through COM: cut them off, so that
    // their references go now and not after the library is gone.
    CoDisconnectObject(s.Accessible, 0);
    ReleaseAndNull(s.Accessible);
}

// --- Events ---

namespace {

void Notify(DWORD event, int item) {
    const LONG child = item == 0 ? CHILDID_SELF : ChildOfItem(item);
    if (item != 0 && child == CHILDID_SELF)
        return; // not on this page
    NotifyWinEvent(event, g_State.HostWindow, OBJID_CLIENT, child);
}

} // namespace

void AnnounceChanges() {
    EngineState &s = g_State;
    if (!s.HostWindow)
        return;
    AnnouncedState now;
    now.Valid = true;
    now.Page = s.CurrentPage;
    now.PanelOpen = s.CustomPanelOpen;
    for (int i = 0; i < 4; ++i)
        now.Options[i] = s.Options[i] != 0;
    now.Status = ItemName(ItemStatusLine);
    now.Percent = ItemPercent();
    now.Texts = s.TextsVersion;
    const AnnouncedState before = s.Announced;
    s.Announced = now;
    // The first look after attach only sets the baseline.
    if (!before.Valid)
        return;

    if (now.Page != before.Page || now.PanelOpen != before.PanelOpen)
        Notify(EVENT_OBJECT_REORDER, 0);
    if (now.PanelOpen != before.PanelOpen)
        Notify(EVENT_OBJECT_STATECHANGE, ElemCustomToggle);
    static const int kBoxes[4] = {ElemAgree, ElemOptDesktop, ElemOptStartMenu, ElemOptAutoStart};
    for (int i = 0; i < 4; ++i)
        if (now.Options[i] != before.Options[i])
            Notify(EVENT_OBJECT_STATECHANGE, kBoxes[i]);
    // The install button becomes available or unavailable with the agreement.
    if (now.Options[OptionAgree - 1] != before.Options[OptionAgree - 1])
        Notify(EVENT_OBJECT_STATECHANGE, ElemInstall);
    if (now.Status != before.Status)
        Notify(EVENT_OBJECT_NAMECHANGE, ItemStatusLine);
    // Another language or text renames the page's elements; the status line
    // is the host's own text.
    if (now.Texts != before.Texts) {
        int items[kReadingItemCount];
        const int n = ReadingOrder(items);
        for (int i = 0; i < n; ++i)
            if (items[i] != ItemStatusLine)
                Notify(EVENT_OBJECT_NAMECHANGE, items[i]);
    }
    if (now.Percent != before.Percent)
        Notify(EVENT_OBJECT_VALUECHANGE, ItemProgressBar);
    RaiseUiaChanges(before, now);
}

void AnnounceFocus(int item) {
    if (!g_State.HostWindow)
        return;
    Notify(EVENT_OBJECT_FOCUS, item);
    RaiseUiaFocusChanged(item);
}

// --- Default action ---

void RunDefaultAction(int element, LPARAM condition) {
    // Checked again: the page may have changed since the reader asked.
    if (element < ElemMinimize || element > ElemLaunch || !ElementActionable(element) || !PanelAsExpected(condition))
        return;
    PerformElementAction(element);
}

bool PanelAsExpected(LPARAM condition) {
    const bool open = g_State.CustomPanelOpen;
    return !(condition == kActionIfCollapsed && open) && !(condition == kActionIfExpanded && !open);
}
