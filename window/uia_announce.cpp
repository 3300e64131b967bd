#include "window/uia_announce.h"

#include "geometry/captions.h"
#include "geometry/reading_order.h"
#include "state/seams.h"
#include "window/accessibility.h"
#include "window/uia_api.h"
#include "window/uia_provider.h"

namespace {

// Progress is spoken at most every 10 %, and never sooner than 5 s after the
// last announcement: a reader that talks all through an install is as bad as
// one that says nothing.
constexpr int kSpokenStep = 10;
constexpr ULONGLONG kSpokenPauseMs = 5000;

// Activity ids let a reader replace an announcement of the same kind that is
// still waiting to be spoken.
constexpr wchar_t kActivityInstall[] = L"KestoInstall";
constexpr wchar_t kActivityProgress[] = L"KestoInstallProgress";

void Heard(int eventId, int item, int propertyId, const wchar_t *text) {
#ifdef KSUI_TESTING
    if (TestSeams::UiaEventRaised)
        TestSeams::UiaEventRaised(eventId, item, propertyId, text);
#else
    (void)eventId, (void)item, (void)propertyId, (void)text;
#endif
}

// --- Events ---

// The system's functions that may be missing, or the tests' stand-ins for them.
decltype(UiaFunctions::RaiseNotificationEvent) Notifier() {
#ifdef KSUI_TESTING
    if (TestSeams::UiaRaiseNotification)
        return TestSeams::UiaRaiseNotification;
#endif
    return g_State.Uia.RaiseNotificationEvent;
}

decltype(UiaFunctions::RaiseStructureChangedEvent) StructureRaiser() {
#ifdef KSUI_TESTING
    if (TestSeams::UiaRaiseStructureChanged)
        return TestSeams::UiaRaiseStructureChanged;
#endif
    return g_State.Uia.RaiseStructureChangedEvent;
}

void RaiseEvent(int item, EVENTID event) {
    IRawElementProviderSimple *provider = UiaProvider(item);
    if (!provider || !ItemLive(item))
        return;
    Heard(event, item, 0, nullptr);
    g_State.Uia.RaiseAutomationEvent(provider, event);
}

// Raises the change of a live item's property; takes both values.
void RaiseProperty(int item, PROPERTYID property, VARIANT before, VARIANT now) {
    IRawElementProviderSimple *provider = UiaProvider(item);
    if (provider && ItemLive(item)) {
        Heard(kUiaPropertyChangedEvent, item, property, nullptr);
        g_State.Uia.RaisePropertyChangedEvent(provider, property, before, now);
    }
    VariantClear(&before);
    VariantClear(&now);
}

// --- Announcements ---

// Says a text aloud through the system's notification. Where there is none
// (Wine 8, Windows before 10 1709) the status line, a polite live region,
// raises LiveRegionChanged instead, and a reader reads what it shows; on the
// finished page there is no status line, and the page change alone is heard.
void Speak(const std::wstring &text, UiaNotificationKind kind, UiaNotificationProcessing processing,
           const wchar_t *activity) {
    g_State.Spoken.At = NowTick();
    const auto notify = Notifier();
    if (!notify) {
        if (ItemLive(ItemStatusLine) && UiaProvider(ItemStatusLine)) {
            Heard(kUiaLiveRegionChangedEvent, ItemStatusLine, 0, ItemName(ItemStatusLine).c_str());
            g_State.Uia.RaiseAutomationEvent(UiaProvider(ItemStatusLine), kUiaLiveRegionChangedEvent);
        }
        return;
    }
    BSTR said = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    BSTR id = SysAllocString(activity);
    if (said && id) {
        Heard(kUiaNotificationEvent, 0, 0, text.c_str());
        notify(UiaProvider(0), kind, processing, said, id);
    }
    SysFreeString(said);
    SysFreeString(id);
}

// "安装进度 45%": the bar's name and the percentage it shows, in the chosen language.
std::wstring ProgressText(int percent) { return std::wstring(Caption(TextProgressName)) + L' ' + PercentText(percent); }

void AnnounceInstall(const AnnouncedState &before, const AnnouncedState &now) {
    SpokenState &spoken = g_State.Spoken;
    if (now.Page != before.Page) {
        spoken = SpokenState{now.Percent, spoken.At, false};
        if (now.Page == PageInstalling)
            Speak(Caption(TextInstallStarted), UiaNotificationOther, UiaImportantMostRecent, kActivityInstall);
        else if (now.Page == PageFinished)
            Speak(Caption(TextInstallFinished), UiaActionCompleted, UiaImportantAll, kActivityInstall);
        return;
    }
    if (now.Page != PageInstalling)
        return;
    // A host reports a failure by setting the progress back and saying why in
    // the status line: that status is spoken at once, whatever was said last.
    if (now.Percent < before.Percent) {
        spoken.FallBack = true;
        spoken.Percent = now.Percent;
    }
    if (spoken.FallBack && now.Status != before.Status && !now.Status.empty()) {
        spoken.FallBack = false;
        Speak(now.Status, UiaActionAborted, UiaImportantAll, kActivityInstall);
        return;
    }
    if (now.Percent >= spoken.Percent + kSpokenStep && NowTick() - spoken.At >= kSpokenPauseMs) {
        spoken.Percent = now.Percent;
        Speak(ProgressText(now.Percent), UiaNotificationOther, UiaMostRecent, kActivityProgress);
    }
}

} // namespace

void RaiseUiaChanges(const AnnouncedState &before, const AnnouncedState &now) {
    IRawElementProviderSimple *root = UiaProvider(0);
    if (!root)
        return; // no client has asked
    const auto raiseStructure = StructureRaiser();
    if ((now.Page != before.Page || now.PanelOpen != before.PanelOpen) && raiseStructure) {
        Heard(kUiaStructureChangedEvent, 0, 0, nullptr);
        raiseStructure(root, UiaChildrenInvalidated, nullptr, 0);
    }
    if (now.PanelOpen != before.PanelOpen)
        RaiseProperty(ElemCustomToggle, UIA_ExpandCollapseExpandCollapseStatePropertyId,
                      IntValue(before.PanelOpen ? UiaExpanded : UiaCollapsed),
                      IntValue(now.PanelOpen ? UiaExpanded : UiaCollapsed));
    for (int item = ElemMinimize; item <= ElemLaunch; ++item) {
        const int option = ItemOption(item);
        if (option == 0 || now.Options[option - 1] == before.Options[option - 1])
            continue;
        RaiseProperty(item, UIA_ToggleToggleStatePropertyId,
                      IntValue(before.Options[option - 1] ? UiaToggleOn : UiaToggleOff),
                      IntValue(now.Options[option - 1] ? UiaToggleOn : UiaToggleOff));
    }
    // The install button is enabled exactly while the agreement is ticked.
    const int agree = OptionAgree - 1;
    if (now.Options[agree] != before.Options[agree])
        RaiseProperty(ElemInstall, UIA_IsEnabledPropertyId, BoolValue(before.Options[agree] != 0),
                      BoolValue(now.Options[agree] != 0));
    if (now.Status != before.Status)
        RaiseProperty(ItemStatusLine, UIA_NamePropertyId, TextValue(before.Status), TextValue(now.Status));
    // The names before a change of texts are gone: the old value is VT_EMPTY,
    // "unknown". The EDIT box speaks through its own window.
    if (now.Texts != before.Texts) {
        int items[kReadingItemCount];
        const int n = ReadingOrder(items);
        for (int i = 0; i < n; ++i) {
            if (items[i] == ItemStatusLine || items[i] == ItemDirEdit)
                continue;
            VARIANT unknown;
            VariantInit(&unknown);
            RaiseProperty(items[i], UIA_NamePropertyId, unknown, TextValue(ItemName(items[i])));
        }
    }
    if (now.Percent != before.Percent)
        RaiseProperty(ItemProgressBar, UIA_RangeValueValuePropertyId, DoubleValue(before.Percent),
                      DoubleValue(now.Percent));
    AnnounceInstall(before, now);
}

void RaiseUiaFocusChanged(int item) { RaiseEvent(item, kUiaFocusChangedEvent); }
