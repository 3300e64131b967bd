// Languages and texts: the built-in languages, texts a host sets one by one or
// loads from a table, what bad input leaves in place, texts that do not fit
// their place, and the mirrored canvas of a right-to-left language: its
// rectangles, hit tests, pixels, screen-reader names, locations and Tab order.
#include "tests/paint_support.h"

#include "geometry/captions.h"
#include "geometry/layout.h"
#include "geometry/pixels.h"
#include "geometry/reading_order.h"
#include "render/installing_page.h"
#include "window/accessibility.h"

#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

using namespace TestHost;
using namespace PaintSupport;

namespace {

std::wstring Text(const wchar_t *id) {
    wchar_t buffer[512] = {};
    KSUiGetText(id, buffer, 512);
    return buffer;
}

std::wstring LastError() {
    wchar_t buffer[200] = {};
    KSUiLastError(buffer, 200);
    return buffer;
}

std::string Narrow(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// Writes bytes to a fresh file in the test folder and returns its path.
std::wstring WriteTestFile(const wchar_t *name, const std::string &bytes) {
    const std::wstring path = std::wstring(L"" KSUI_TEST_DIR) + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::string Utf8(const std::wstring &text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string Utf16WithMark(const std::wstring &text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

class LanguagesTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetEngine(); }
    void TearDown() override { ResetEngine(); }
};

// --- Choosing a language ---

TEST_F(LanguagesTest, ATagPicksItsLanguageByItsPrimarySubtag) {
    const struct {
        const wchar_t *Tag;
        const wchar_t *Install;
        bool RightToLeft;
    } cases[] = {
        {L"en-US", L"Quick install", false}, {L"EN", L"Quick install", false},
        {L"en-GB", L"Quick install", false}, {L"en_AU", L"Quick install", false},
        {L"zh-Hans-CN", L"快速安装", false},  {L"ZH", L"快速安装", false},
        {L"ar-EG", L"تثبيت سريع", true},     {L"he", L"התקנה מהירה", true},
        {L"iw-IL", L"התקנה מהירה", true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(1, KSUiSetLanguage(c.Tag)) << Narrow(c.Tag);
        EXPECT_EQ(c.Install, Text(L"QuickInstall")) << Narrow(c.Tag);
        EXPECT_EQ(c.RightToLeft, g_State.RightToLeft) << Narrow(c.Tag);
    }
}

TEST_F(LanguagesTest, TheDefaultIsTheDesignsChineseAndEveryIdHasATextInEveryLanguage) {
    EXPECT_EQ(L"快速安装", Text(L"QuickInstall"));
    EXPECT_EQ(L"我已阅读并同意", Text(L"agree")) << "ids are not case-sensitive";
    EXPECT_EQ(L"《用户许可协议》", Text(L"LicenseLink"));
    EXPECT_EQ(L"45%", PercentText(45));
    for (const wchar_t *tag : {L"zh-CN", L"en-US", L"ar", L"he"}) {
        ASSERT_EQ(1, KSUiSetLanguage(tag));
        for (int id = 0; id < kTextCount; ++id)
            EXPECT_FALSE(Text(TextName(id)).empty()) << Narrow(tag) << " " << Narrow(TextName(id));
        EXPECT_NE(std::wstring::npos, PercentText(7).find(L"7")) << Narrow(tag);
    }
}

TEST_F(LanguagesTest, TheHostsReadingOrderWinsOverTheLanguagesOwn) {
    const struct {
        const wchar_t *Tag;
        int Order;
        bool RightToLeft;
    } cases[] = {
        {L"en-US", KSUI_READING_RTL, true},
        {L"ar", KSUI_READING_LTR, false},
        {L"ar", KSUI_READING_ORDER_OF_LANGUAGE, true},
        {L"en-US", KSUI_READING_ORDER_OF_LANGUAGE, false},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(1, KSUiSetLanguage(c.Tag));
        ASSERT_EQ(1, KSUiSetReadingOrder(c.Order));
        EXPECT_EQ(c.RightToLeft, g_State.RightToLeft) << Narrow(c.Tag) << " " << c.Order;
    }
}

// --- Texts from the host ---

TEST_F(LanguagesTest, AHostTextShowsUntilAnEmptyOneGivesTheIdBackToTheLanguage) {
    ASSERT_EQ(1, KSUiSetLanguage(L"en-US"));
    EXPECT_EQ(1, KSUiSetText(L"QuickInstall", L"Install KestoNotes"));
    EXPECT_EQ(L"Install KestoNotes", Text(L"QuickInstall"));
    ASSERT_EQ(1, KSUiSetLanguage(L"he"));
    EXPECT_EQ(L"Install KestoNotes", Text(L"QuickInstall")) << "a host's text outlives a change of language";
    EXPECT_EQ(1, KSUiSetText(L"QuickInstall", L""));
    EXPECT_EQ(L"התקנה מהירה", Text(L"QuickInstall"));
    EXPECT_EQ(1, KSUiSetText(L"QuickInstall", L"x"));
    EXPECT_EQ(1, KSUiSetText(L"QuickInstall", nullptr));
    EXPECT_EQ(L"התקנה מהירה", Text(L"QuickInstall"));

    // The branding caption, the older way to name the link, wins over the table.
    EXPECT_EQ(1, KSUiSetText(L"LicenseLink", L"Terms"));
    EXPECT_EQ(L"Terms", Text(L"LicenseLink"));
    KSUiSetBranding(L"《协议》", -1, -1);
    EXPECT_EQ(L"《协议》", Text(L"LicenseLink"));
}

TEST_F(LanguagesTest, ATableLoadsFromUtf8OrUtf16AndTheRestComesFromTheLanguage) {
    const std::wstring table = L"# KestoNotes, Deutsch\r\n"
                               L"QuickInstall = Schnellinstallation\r\n"
                               L"\r\n"
                               L"; Leerzeichen am Ende bleiben in Anführungszeichen\r\n"
                               L"  Agree\t=  \"Ich habe die \"  \r\n"
                               L"Percent={0} %\r\n"
                               L"quickinstall = Jetzt installieren\r\n";
    const struct {
        const wchar_t *Name;
        std::string Bytes;
    } files[] = {
        {L"table_utf8.txt", Utf8(table)},
        {L"table_utf8_bom.txt", "\xEF\xBB\xBF" + Utf8(table)},
        {L"table_utf16.txt", Utf16WithMark(table)},
    };
    for (const auto &f : files) {
        ResetEngine();
        ASSERT_EQ(1, KSUiSetLanguage(L"en-US"));
        EXPECT_EQ(1, KSUiLoadTexts(WriteTestFile(f.Name, f.Bytes).c_str())) << Narrow(f.Name) << " " << Narrow(LastError());
        EXPECT_EQ(L"Jetzt installieren", Text(L"QuickInstall")) << Narrow(f.Name) << ": the last line of an id wins";
        EXPECT_EQ(L"Ich habe die ", Text(L"Agree")) << Narrow(f.Name);
        EXPECT_EQ(L"45 %", PercentText(45)) << Narrow(f.Name);
        EXPECT_EQ(L"Custom install", Text(L"CustomInstall")) << Narrow(f.Name) << ": not in the table";
    }
}

// Every refusal names its reason in KSUiLastError and leaves every text,
// the language and the reading order as they were.
TEST_F(LanguagesTest, BadInputIsRefusedWithAReasonAndLosesNothing) {
    const std::wstring overlong(300, L'x');
    const std::wstring megabyte(1 << 20, L'x');
    std::string bigTable = "QuickInstall = x\n";
    bigTable.resize((1 << 20) + 1, '#');
    const struct {
        const char *Name;
        std::function<int()> Call;
        const wchar_t *Reason; // part of the error text
    } cases[] = {
        {"unknown language", [] { return KSUiSetLanguage(L"xx-YY"); }, L"unknown language \"xx-YY\""},
        {"null language", [] { return KSUiSetLanguage(nullptr); }, L"unknown language \"null\""},
        {"empty language", [] { return KSUiSetLanguage(L""); }, L"unknown language"},
        {"unknown id", [] { return KSUiSetText(L"QuickInstal", L"x"); }, L"unknown text id \"QuickInstal\""},
        {"null id", [] { return KSUiSetText(nullptr, L"x"); }, L"unknown text id"},
        {"overlong text", [&overlong] { return KSUiSetText(L"QuickInstall", overlong.c_str()); }, L"too long"},
        {"a megabyte of text", [&megabyte] { return KSUiSetText(L"QuickInstall", megabyte.c_str()); }, L"too long"},
        {"a line break", [] { return KSUiSetText(L"QuickInstall", L"Quick\ninstall"); }, L"control character"},
        {"percent without its number", [] { return KSUiSetText(L"Percent", L"%"); }, L"{0} exactly once"},
        {"percent with two", [] { return KSUiSetText(L"Percent", L"{0}/{0}"); }, L"{0} exactly once"},
        {"unknown reading order", [] { return KSUiSetReadingOrder(3); }, L"unknown reading order 3"},
        {"negative reading order", [] { return KSUiSetReadingOrder(-1); }, L"unknown reading order -1"},
        {"no table file named", [] { return KSUiLoadTexts(nullptr); }, L"no file named"},
        {"a table that is not there",
         [] { return KSUiLoadTexts(L"" KSUI_TEST_DIR L"\\no_such_table.txt"); }, L"cannot open"},
        {"a line without =",
         [] { return KSUiLoadTexts(WriteTestFile(L"bad_equals.txt", "Close = Schliessen\nQuickInstall Go\n").c_str()); },
         L"line 2: no '='"},
        {"an unknown id on line 3",
         [] {
             return KSUiLoadTexts(WriteTestFile(L"bad_id.txt", "Close = Schliessen\n\nBogus = x\n").c_str());
         },
         L"line 3: unknown text id \"Bogus\""},
        {"an overlong line",
         [&overlong] {
             return KSUiLoadTexts(WriteTestFile(L"bad_long.txt", "Launch = " + Utf8(overlong) + "\n").c_str());
         },
         L"line 1: Launch: text too long"},
        {"a table that is not UTF-8", [] { return KSUiLoadTexts(WriteTestFile(L"bad_utf8.txt", "Close = \xC3\x28\n").c_str()); },
         L"neither UTF-16"},
        {"a table over 1 MiB", [&bigTable] { return KSUiLoadTexts(WriteTestFile(L"bad_big.txt", bigTable).c_str()); },
         L"larger than 1 MiB"},
    };
    ASSERT_EQ(1, KSUiSetLanguage(L"en-US"));
    ASSERT_EQ(1, KSUiSetText(L"QuickInstall", L"Install"));
    for (const auto &c : cases) {
        EXPECT_EQ(0, c.Call()) << c.Name;
        const std::wstring error = LastError();
        EXPECT_EQ(0u, error.find(L"阶段=")) << c.Name << ": " << Narrow(error);
        EXPECT_NE(std::wstring::npos, error.find(c.Reason)) << c.Name << ": " << Narrow(error);
        EXPECT_NE(std::wstring::npos, error.find(L" HRESULT=0x80070057")) << c.Name << ": " << Narrow(error);
        EXPECT_LE(error.size(), 159u) << c.Name;
        EXPECT_EQ(L"Install", Text(L"QuickInstall")) << c.Name;
        EXPECT_EQ(L"Close", Text(L"Close")) << c.Name << ": nothing of a refused table is taken";
        EXPECT_EQ(L"{0}%", Text(L"Percent")) << c.Name;
        EXPECT_FALSE(g_State.RightToLeft) << c.Name;
    }
    EXPECT_EQ(0, KSUiGetText(L"Bogus", nullptr, 10));
    wchar_t small[4] = {L'?', L'?', L'?', L'?'};
    EXPECT_EQ(3, KSUiGetText(L"QuickInstall", small, 4));
    EXPECT_EQ(L"Ins", std::wstring(small));
    EXPECT_EQ(0, KSUiGetText(L"QuickInstall", small, -5));
}

// --- Texts that do not fit, and the mirrored canvas, in design units ---

struct Widths {
    float Agree, License, Custom, Install, Launch, Change, Location;
};

void SetWidths(const Widths &w) {
    EngineState &s = g_State;
    s.AgreeTextWidth = w.Agree;
    s.LicenseTextWidth = w.License;
    s.CustomTextWidth = w.Custom;
    s.InstallTextWidth = w.Install;
    s.LaunchTextWidth = w.Launch;
    s.ChangeTextWidth = w.Change;
    s.LocationTextWidth = w.Location;
}

bool Same(const D2D1_RECT_F &a, const D2D1_RECT_F &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(LanguagesTest, LongCaptionsGrowTheirElementsWithinTheRoomTheLayoutGives) {
    g_State.ContentBoost = 1.0f;
    const struct {
        const char *Name;
        Widths W;
        D2D1_RECT_F Install, Toggle, Link, Change, Field;
    } cases[] = {
        // Captions that fit keep the design's own rectangles.
        {"fits", {105, 120, 75, 80, 80, 28, 56},
         {362, 580, 662, 636}, {895, 699, 988, 721}, {169, 699, 289, 721}, {866, 763, 964, 799}, {150, 766, 850, 796}},
        // Wider captions: the button, the toggle and the change button grow,
        // the label column pushes the field, the link keeps what is left.
        {"grow", {300, 180, 200, 400, 80, 120, 150},
         {284, 580, 740, 636}, {770, 699, 988, 721}, {364, 699, 544, 721}, {820, 763, 964, 799}, {220, 766, 804, 796}},
        // Far too wide: each stops at its limit, and the link gives way.
        {"limits", {900, 400, 900, 2000, 80, 900, 900},
         {152, 580, 872, 636}, {692.2f, 699, 988, 721}, {573.3f, 699, 676.2f, 721}, {744, 763, 964, 799},
         {320, 766, 728, 796}},
    };
    for (const auto &c : cases) {
        SetWidths(c.W);
        const auto expect = [&c](const char *what, const D2D1_RECT_F &wanted, const D2D1_RECT_F &seen) {
            EXPECT_NEAR(wanted.left, seen.left, 0.05f) << c.Name << " " << what;
            EXPECT_NEAR(wanted.top, seen.top, 0.05f) << c.Name << " " << what;
            EXPECT_NEAR(wanted.right, seen.right, 0.05f) << c.Name << " " << what;
            EXPECT_NEAR(wanted.bottom, seen.bottom, 0.05f) << c.Name << " " << what;
        };
        expect("install", c.Install, ElementRect(ElemInstall));
        expect("toggle", c.Toggle, ElementRect(ElemCustomToggle));
        expect("link", c.Link, ElementRect(ElemLicenseLink));
        expect("change", c.Change, ElementRect(ElemChangeDir));
        expect("field", c.Field, DirFieldRect());
        // The agreement caption never runs into the link, nor the link into the toggle.
        EXPECT_LE(AgreeCaptionRect().right - 2.0f, ElementRect(ElemLicenseLink).left) << c.Name;
        EXPECT_LE(ElementRect(ElemLicenseLink).right, ElementRect(ElemCustomToggle).left - 16.0f) << c.Name;
    }
}

// Every place on the canvas is the mirror of its left-to-right place, hit
// tests follow, and the reading order stays the logical one.
TEST_F(LanguagesTest, ARightToLeftCanvasIsTheMirrorOfTheLeftToRightOne) {
    const float mirror = kCanvasWidth;
    const auto mirrored = [mirror](const D2D1_RECT_F &r) {
        return D2D1::RectF(mirror - r.right, r.top, mirror - r.left, r.bottom);
    };
    const std::vector<std::pair<const char *, std::function<D2D1_RECT_F()>>> places = {
        {"agree caption", [] { return AgreeCaptionRect(); }},
        {"toggle caption", [] { return ToggleCaptionRect(); }},
        {"licence caption", [] { return LicenseCaptionRect(); }},
        {"location label", [] { return LocationLabelRect(); }},
        {"option caption", [] { return OptionCaptionRect(ElemOptStartMenu); }},
        {"folder field", [] { return DirFieldRect(); }},
        {"edit box", [] { return DirEditRect(); }},
        {"status line", [] { return StatusLineRect(); }},
        {"status text", [] { return StatusTextRect(900.0f); }},
        {"percentage", [] { return PercentRect(); }},
        {"track", [] { return ProgressTrackRect(); }},
        {"bar at 30 %", [] { return ProgressFillRect(0.3f); }},
    };
    for (float boost : {1.0f, 1.4166666f, 2.0f}) {
        g_State.ContentBoost = boost;
        g_State.CustomPanelOpen = true;
        SetWidths({180, 140, 110, 120, 110, 60, 90});
        for (LONG page : {PageWelcome, PageInstalling, PageFinished}) {
            g_State.CurrentPage = page;
            g_State.RightToLeft = false;
            std::vector<D2D1_RECT_F> ltr;
            for (int id = ElemMinimize; id <= ElemLaunch; ++id)
                ltr.push_back(ElementRect(id));
            std::vector<D2D1_RECT_F> ltrPlaces;
            for (const auto &p : places)
                ltrPlaces.push_back(p.second());
            int ltrOrder[kReadingItemCount];
            const int n = ReadingOrder(ltrOrder);
            const D2D1_POINT_2F chevron = ChevronCentre();

            g_State.RightToLeft = true;
            for (int id = ElemMinimize; id <= ElemLaunch; ++id) {
                const D2D1_RECT_F r = ElementRect(id);
                EXPECT_TRUE(Same(mirrored(ltr[id - 1]), r)) << "element " << id << " at boost " << boost;
                if (!ElementLive(id))
                    continue;
                const float x = (r.left + r.right) * 0.5f, y = (r.top + r.bottom) * 0.5f;
                EXPECT_EQ(id, HitTest(x, y)) << "element " << id << " at boost " << boost;
            }
            for (size_t i = 0; i < places.size(); ++i)
                EXPECT_TRUE(Same(mirrored(ltrPlaces[i]), places[i].second())) << places[i].first << " at " << boost;
            EXPECT_FLOAT_EQ(mirror - chevron.x, ChevronCentre().x);
            int rtlOrder[kReadingItemCount];
            ASSERT_EQ(n, ReadingOrder(rtlOrder));
            EXPECT_TRUE(std::equal(ltrOrder, ltrOrder + n, rtlOrder)) << "page " << page;
        }
    }
    // The title buttons stand on the left; the one read first (minimise) right of the other.
    g_State.ContentBoost = 1.0f;
    EXPECT_TRUE(Same(D2D1::RectF(20, 14, 48, 42), ElementRect(ElemClose)));
    EXPECT_TRUE(Same(D2D1::RectF(56, 14, 84, 42), ElementRect(ElemMinimize)));
    EXPECT_EQ(ElemClose, HitTest(30.0f, 20.0f));
    EXPECT_EQ(ElemNone, HitTest(990.0f, 20.0f));
}

// --- The pages on screen, in English and mirrored ---

// What each page must show where, for the language set before attach: in
// English the design's places with grown captions, in Arabic their mirror.
class LanguagePaintTest : public PaintTest {
  protected:
    void AttachIn(const wchar_t *tag) {
        Attach([tag] {
            KSUiSetLanguage(tag);
            KSUiSetDir(L"C:\\Program Files\\Kesto Notes");
        });
    }

    // Pixels of a design box near a colour: text and icons drawn in it over the hero.
    static int InkOf(const Snapshot &shot, const D2D1_RECT_F &r, RgbColor colour) {
        const float scale = g_State.WindowScale;
        int n = 0;
        for (int y = static_cast<int>(r.top * scale); y < static_cast<int>(r.bottom * scale); ++y)
            for (int x = static_cast<int>(r.left * scale); x < static_cast<int>(r.right * scale); ++x)
                n += ColourDistance(shot.At(x, y), colour) < 40;
        return n;
    }

    void ExpectWelcomePage(const char *language) {
        SCOPED_TRACE(language);
        const bool rtl = g_State.RightToLeft;
        const D2D1_RECT_F install = ElementRect(ElemInstall);
        const D2D1_RECT_F agree = ElementRect(ElemAgree);
        const D2D1_RECT_F close = ElementRect(ElemClose);
        const float cy = (install.top + install.bottom) * 0.5f;
        const Snapshot shot(window_);
        // The gradient runs from the reading's start: brand colour 1 at the leading end.
        ExpectPixels(shot, {
            {"install, leading end", rtl ? install.right - 6.0f : install.left + 6.0f, cy, g_State.BrandColor1, 14},
            {"install, trailing end", rtl ? install.left + 6.0f : install.right - 6.0f, cy, g_State.BrandColor2, 14},
            {"agreement box, ticked", (agree.left + agree.right) * 0.5f - 4.0f, agree.top + 2.0f,
             g_State.BrandColor1, 24},
        });
        EXPECT_EQ(rtl, close.right < 100.0f) << "the title buttons stand at the leading end";
        const D2D1_RECT_F elsewhere = D2D1::RectF(kCanvasWidth - close.right, close.top, kCanvasWidth - close.left,
                                                  close.bottom);
        EXPECT_GT(InkOf(shot, close, kColorText), 0) << "the close icon is drawn where its button is";
        EXPECT_EQ(0, InkOf(shot, elsewhere, kColorText)) << "and not at the other end";
        EXPECT_GT(InkOf(shot, AgreeCaptionRect(), kColorText), 20) << "the agreement caption";
        EXPECT_GT(InkOf(shot, ToggleCaptionRect(), kColorSecondary), 10) << "the toggle's caption";
        // The agreement box is on the caption's leading side.
        EXPECT_EQ(rtl, agree.left > AgreeCaptionRect().right);
    }

    void ExpectInstallingPage(const char *language) {
        SCOPED_TRACE(language);
        const bool rtl = g_State.RightToLeft;
        const D2D1_RECT_F track = ProgressTrackRect();
        const float y = (track.top + track.bottom) * 0.5f;
        const Snapshot shot(window_);
        // At 30 % the bar covers the leading 30 % of the track.
        const float filled = rtl ? track.right - 20.0f : track.left + 20.0f;
        const float empty = rtl ? track.left + 20.0f : track.right - 20.0f;
        ExpectPixels(shot, {
            {"bar, where it starts", filled, y, g_State.BrandColor1, 30},
            {"track, not yet filled", empty, y, kColorTrack, 6},
        });
        const D2D1_RECT_F percent = PercentRect();
        EXPECT_GT(shot.Ink(percent), 10) << "the percentage";
        EXPECT_EQ(rtl, percent.right < 300.0f) << "the percentage stands at the track's trailing end";
        const D2D1_RECT_F status = StatusTextRect(g_State.StatusTextWidth);
        EXPECT_GT(shot.Ink(status), 20) << "the status text";
        EXPECT_EQ(rtl, status.left > 300.0f) << "the status starts at the leading end";
    }

    void RunPages(const wchar_t *tag, const char *language, const wchar_t *status) {
        AttachIn(tag);
        ExpectWelcomePage(language);
        const std::wstring dpi = std::to_wstring(WindowDpi(window_));
        SaveForPeople(window_, (L"languages_welcome_" + std::wstring(tag) + L"_" + dpi + L".png").c_str());
        KSUiSetState(KSUI_PAGE_INSTALLING);
        KSUiSetStatus(status);
        g_State.ProgressTarget = 300;
        g_State.ProgressShown = 300.0f;
        Repaint(window_);
        ExpectInstallingPage(language);
        SaveForPeople(window_, (L"languages_installing_" + std::wstring(tag) + L"_" + dpi + L".png").c_str());
    }
};

TEST_F(LanguagePaintTest, EnglishPagesShowTheirCaptionsInTheDesignsPlaces) { RunPages(L"en-US", "English", L"Copying files: KestoNotes.exe"); }

TEST_F(LanguagePaintTest, ArabicPagesAreMirrored) { RunPages(L"ar", "Arabic", L"نسخ الملفات: KestoNotes.exe"); }

// A caption longer than its room ends in an ellipsis inside its box: nothing
// is drawn over its neighbour, and a screen reader still hears all of it.
TEST_F(LanguagePaintTest, AnOverlongCaptionEndsInsideItsBox) {
    const std::wstring overlong = L"Create a shortcut in the Start menu for every user of this computer";
    AttachIn(L"en-US");
    ASSERT_EQ(1, KSUiSetText(L"StartMenu", overlong.c_str()));
    TogglePanel();
    const D2D1_RECT_F caption = OptionCaptionRect(ElemOptStartMenu);
    const D2D1_RECT_F next = ElementRect(ElemOptAutoStart);
    const Snapshot shot(window_);
    const float b = g_State.ContentBoost;
    // Between the shortened caption and the next box, nothing but the page.
    EXPECT_EQ(0, shot.Ink(D2D1::RectF(caption.right + 1.0f, caption.top, next.left - 1.0f, caption.bottom)));
    // The text runs on to the end of its box: shortened there, not cut before it.
    EXPECT_GT(shot.Ink(D2D1::RectF(caption.right - 20.0f * b, caption.top, caption.right, caption.bottom)), 0);
    EXPECT_EQ(overlong, ItemName(ElemOptStartMenu));
    SaveForPeople(window_, L"languages_overlong.png");
}

// The screen reader's names, locations and Tab order in English and mirrored.
TEST_F(LanguagePaintTest, ReadersHearTheLanguageAndFindTheMirroredPlaces) {
    const struct {
        const wchar_t *Tag;
        std::vector<std::pair<int, std::wstring>> Names;
    } cases[] = {
        {L"en-US",
         {{ElemInstall, L"Quick install"},
          {ElemAgree, L"I have read and agree to the License Agreement"},
          {ElemCustomToggle, L"Custom install"},
          {ElemMinimize, L"Minimize"}}},
        {L"he",
         {{ElemInstall, L"התקנה מהירה"}, {ElemAgree, L"קראתי ואני מאשר/ת את הסכם הרישיון"}, {ElemClose, L"סגירה"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(Narrow(c.Tag));
        AttachIn(c.Tag);
        IAccessible *acc = nullptr;
        ASSERT_EQ(S_OK, AccessibleObjectFromWindow(window_, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void **>(&acc)));
        int items[kReadingItemCount];
        const int n = ReadingOrder(items);
        for (const auto &name : c.Names)
            EXPECT_EQ(name.second, ItemName(name.first)) << name.first;
        // Locations: the client pixels of each item's placed rectangle.
        for (int i = 0; i < n; ++i) {
            VARIANT child;
            VariantInit(&child);
            child.vt = VT_I4;
            child.lVal = i + 1;
            long x = 0, y = 0, w = 0, h = 0;
            ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child));
            POINT corner = {x, y};
            ScreenToClient(window_, &corner);
            const RECT expected = ::ClientFromDesign(ItemRect(items[i]));
            EXPECT_EQ(expected.left, corner.x) << "item " << items[i];
            EXPECT_EQ(expected.right - expected.left, w) << "item " << items[i];
        }
        // Tab walks the items in reading order: the title button read first
        // stands at the leading end.
        SetFocus(window_);
        PostMessageW(window_, WM_KEYDOWN, VK_TAB, 1);
        Pump(60);
        EXPECT_EQ(ElemMinimize, g_State.FocusItem);
        PostMessageW(window_, WM_KEYDOWN, VK_TAB, 1);
        Pump(60);
        EXPECT_EQ(ElemClose, g_State.FocusItem);
        const bool rtl = g_State.RightToLeft;
        EXPECT_EQ(rtl, ElementRect(ElemMinimize).left > ElementRect(ElemClose).left);
        ReleaseAndNull(acc);
        KSUiDetach();
        DestroyWindow(window_);
        window_ = nullptr;
        ResetEngine();
    }
}

// The directory box reads from the right in a right-to-left language, stands
// in its mirrored field, and comes back left to right.
TEST_F(LanguagePaintTest, TheDirectoryBoxFollowsTheReadingOrder) {
    AttachIn(L"ar");
    TogglePanel();
    HWND edit = GetDlgItem(window_, kDirEditId);
    ASSERT_TRUE(edit);
    const LONG_PTR rtl = WS_EX_RTLREADING | WS_EX_RIGHT;
    EXPECT_EQ(rtl, GetWindowLongPtrW(edit, GWL_EXSTYLE) & rtl);
    RECT r = {};
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT *>(&r), 2);
    const RECT wanted = ::ClientFromDesign(DirEditRect());
    EXPECT_TRUE(EqualRect(&r, &wanted));
    EXPECT_LT(r.left, static_cast<LONG>(512 * g_State.WindowScale)) << "on the left half, mirrored";
    ASSERT_EQ(1, KSUiSetReadingOrder(KSUI_READING_LTR));
    EXPECT_EQ(0, GetWindowLongPtrW(edit, GWL_EXSTYLE) & rtl);
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT *>(&r), 2);
    EXPECT_GT(r.left, static_cast<LONG>(100 * g_State.WindowScale));
}

// --- The same pages at 144 DPI, in a second process ---

const wchar_t kChildVariable[] = L"KSUI_LANGUAGES_DPI_CHILD";

bool IsDpiChild() { return GetEnvironmentVariableW(kChildVariable, nullptr, 0) != 0; }

TEST_F(LanguagePaintTest, ChildAt144DpiEnglish) {
    if (!IsDpiChild())
        GTEST_SKIP() << "runs in the child started by LanguagesAt144Dpi.PagesAreLaidOutAsAt96";
    RunPages(L"en-US", "English at 144 DPI", L"Copying files: KestoNotes.exe");
    EXPECT_EQ(144u, WindowDpi(window_));
    EXPECT_EQ(2.0f, g_State.ContentBoost);
}

TEST_F(LanguagePaintTest, ChildAt144DpiHebrew) {
    if (!IsDpiChild())
        GTEST_SKIP() << "runs in the child started by LanguagesAt144Dpi.PagesAreLaidOutAsAt96";
    RunPages(L"he", "Hebrew at 144 DPI", L"מעתיק קבצים: KestoNotes.exe");
    EXPECT_EQ(2.0f, g_State.ContentBoost);
}

TEST(LanguagesAt144Dpi, PagesAreLaidOutAsAt96) {
    if (IsDpiChild())
        return;
    ExpectChildPassesAtDpi(144, kChildVariable, "LanguagePaintTest.ChildAt144Dpi*", L"languages_dpi144_child.log", 2);
}

} // namespace
