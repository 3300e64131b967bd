// hero_art.exe: paints the demo's five hero pictures and saves them as PNGs.
//
//   hero_art.exe <folder>      writes <folder>\hero1.png .. hero5.png
//
// Picture 1 (1024 x 745) is the still background of the welcome and finished
// pages; pictures 2 to 5 (1024 x 597, the installing page's picture area) are the
// carousel's feature slides. Shapes are drawn from signed distances, so every
// edge is smooth; text comes from GDI as an antialiased coverage mask.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// --- Colours and the canvas ---

struct Rgb {
    float R, G, B;
};

Rgb Hex(unsigned v) {
    return {((v >> 16) & 255) / 255.0f, ((v >> 8) & 255) / 255.0f, (v & 255) / 255.0f};
}

Rgb Mix(Rgb a, Rgb b, float t) { return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t}; }

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float Smooth(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

const Rgb kWhite = Hex(0xFFFFFF);
const Rgb kNavy = Hex(0x1B2640);
const Rgb kBody = Hex(0x4A556B);
const Rgb kBlue = Hex(0x1F6FEB);
const Rgb kTeal = Hex(0x14B8C4);
const Rgb kViolet = Hex(0x8B7CF6);
const Rgb kCoral = Hex(0xFF8A65);
const Rgb kYellow = Hex(0xFFC94D);
const Rgb kMint = Hex(0x3DD68C);
const Rgb kLine = Hex(0xD5DCEA);

struct Canvas {
    int W, H;
    std::vector<Rgb> Px;
    Canvas(int w, int h) : W(w), H(h), Px(static_cast<size_t>(w) * h, kWhite) {}
    void Blend(int x, int y, Rgb c, float a) {
        if (x < 0 || y < 0 || x >= W || y >= H || a <= 0.0f)
            return;
        Rgb &p = Px[static_cast<size_t>(y) * W + x];
        p = Mix(p, c, Clamp01(a));
    }
};

using Paint = std::function<Rgb(float x, float y)>;
using Field = std::function<float(float x, float y)>;

Paint Solid(Rgb c) {
    return [c](float, float) { return c; };
}

// A linear gradient from (x0, y0) to (x1, y1).
Paint Linear(float x0, float y0, float x1, float y1, Rgb a, Rgb b) {
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    return [=](float x, float y) { return Mix(a, b, Clamp01(((x - x0) * dx + (y - y0) * dy) / len2)); };
}

// --- Signed distances (negative inside) ---

float Circle(float x, float y, float cx, float cy, float r) { return std::hypot(x - cx, y - cy) - r; }

float RoundRect(float x, float y, float l, float t, float r, float b, float radius) {
    const float cx = (l + r) * 0.5f, cy = (t + b) * 0.5f;
    const float qx = std::fabs(x - cx) - ((r - l) * 0.5f - radius);
    const float qy = std::fabs(y - cy) - ((b - t) * 0.5f - radius);
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float Capsule(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float h = Clamp01((px * dx + py * dy) / (dx * dx + dy * dy + 1e-6f));
    return std::hypot(px - dx * h, py - dy * h) - r;
}

// An arc of a circle of radius R from angle a0 to a1 (radians, y down), drawn
// with round ends and thickness w.
float Arc(float x, float y, float cx, float cy, float R, float a0, float a1, float w) {
    float a = std::atan2(y - cy, x - cx);
    while (a < a0)
        a += 6.2831853f;
    if (a <= a1)
        return std::fabs(std::hypot(x - cx, y - cy) - R) - w * 0.5f;
    const float e0 = std::hypot(x - (cx + R * std::cos(a0)), y - (cy + R * std::sin(a0)));
    const float e1 = std::hypot(x - (cx + R * std::cos(a1)), y - (cy + R * std::sin(a1)));
    return std::min(e0, e1) - w * 0.5f;
}

// Fills the shape inside the box with an antialiased edge.
void Fill(Canvas &c, float l, float t, float r, float b, const Field &sdf, const Paint &paint, float alpha = 1.0f) {
    for (int y = std::max(0, static_cast<int>(t) - 2); y < std::min(c.H, static_cast<int>(b) + 3); ++y)
        for (int x = std::max(0, static_cast<int>(l) - 2); x < std::min(c.W, static_cast<int>(r) + 3); ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float cover = Clamp01(0.5f - sdf(px, py));
            if (cover > 0.0f)
                c.Blend(x, y, paint(px, py), cover * alpha);
        }
}

// A soft drop shadow under the shape, spreading `blur` pixels.
void Shadow(Canvas &c, float l, float t, float r, float b, const Field &sdf, float dy, float blur, float alpha) {
    const Rgb shade = Hex(0x23355C);
    for (int y = std::max(0, static_cast<int>(t - blur)); y < std::min(c.H, static_cast<int>(b + dy + blur * 2)); ++y)
        for (int x = std::max(0, static_cast<int>(l - blur * 2)); x < std::min(c.W, static_cast<int>(r + blur * 2));
             ++x) {
            const float d = sdf(x + 0.5f, y + 0.5f - dy);
            const float k = d <= 0.0f ? 1.0f : std::exp(-(d * d) / (blur * blur));
            c.Blend(x, y, shade, alpha * k);
        }
}

void Glow(Canvas &c, float cx, float cy, float radius, Rgb color, float alpha) {
    for (int y = std::max(0, static_cast<int>(cy - radius * 2.5f)); y < std::min(c.H, static_cast<int>(cy + radius * 2.5f));
         ++y)
        for (int x = std::max(0, static_cast<int>(cx - radius * 2.5f));
             x < std::min(c.W, static_cast<int>(cx + radius * 2.5f)); ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / radius;
            c.Blend(x, y, color, alpha * std::exp(-d * d));
        }
}

// --- Text ---

HFONT MakeFont(int px, int weight) {
    return CreateFontW(-px, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"Microsoft YaHei");
}

int TextWidth(const std::wstring &text, int px, int weight) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = MakeFont(px, weight);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return size.cx;
}

// Draws white text on black into a DIB and uses its brightness as coverage.
void Text(Canvas &c, float x, float y, const std::wstring &text, int px, int weight, const Paint &paint,
          float alpha = 1.0f) {
    const int w = TextWidth(text, px, weight) + 8;
    const int h = px * 2;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) {
        DeleteDC(dc);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, dib);
    HFONT font = MakeFont(px, weight);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    const unsigned char *p = static_cast<const unsigned char *>(bits);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const unsigned char *q = p + (static_cast<size_t>(j) * w + i) * 4;
            const float cover = std::max(q[0], std::max(q[1], q[2])) / 255.0f;
            if (cover > 0.0f)
                c.Blend(static_cast<int>(x) + i - 2, static_cast<int>(y) + j, paint(x + i, y + j), cover * alpha);
        }
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(dib);
    DeleteDC(dc);
}

// --- Building blocks of the scenes ---

// Light backdrop: two tints across, fading to white towards the bottom edge,
// where the pages draw dark text and the buttons.
void Backdrop(Canvas &c, Rgb left, Rgb right, float fadeFrom, float fadeTo) {
    for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x)
            c.Px[static_cast<size_t>(y) * c.W + x] = Mix(left, right, static_cast<float>(x) / c.W);
    Glow(c, c.W * 0.86f, c.H * 0.2f, 300.0f, kBlue, 0.16f);
    Glow(c, c.W * 0.98f, c.H * 0.6f, 240.0f, kTeal, 0.16f);
    Glow(c, c.W * 0.06f, 0.0f, 260.0f, kViolet, 0.10f);
    for (int y = 0; y < c.H; ++y) {
        const float k = Smooth(fadeFrom, fadeTo, static_cast<float>(y));
        for (int x = 0; x < c.W; ++x)
            c.Blend(x, y, kWhite, k);
    }
}

// A white card with a soft shadow.
void Card(Canvas &c, float l, float t, float r, float b, float radius, const Paint &paint = Solid(kWhite)) {
    const Field f = [=](float x, float y) { return RoundRect(x, y, l, t, r, b, radius); };
    Shadow(c, l, t, r, b, f, 12.0f, 26.0f, 0.13f);
    Fill(c, l, t, r, b, f, paint);
}

void Bar(Canvas &c, float x0, float y, float x1, float thickness, Rgb color, float alpha = 1.0f) {
    const float r = thickness * 0.5f;
    Fill(c, x0 - r, y - r, x1 + r, y + r, [=](float x, float yy) { return Capsule(x, yy, x0, y, x1, y, r); },
         Solid(color), alpha);
}

void Dot(Canvas &c, float cx, float cy, float r, const Paint &paint, float alpha = 1.0f) {
    Fill(c, cx - r, cy - r, cx + r, cy + r, [=](float x, float y) { return Circle(x, y, cx, cy, r); }, paint, alpha);
}

void Tick(Canvas &c, float cx, float cy, float size, Rgb color, float width) {
    const float ax = cx - size * 0.45f, ay = cy + size * 0.02f;
    const float mx = cx - size * 0.12f, my = cy + size * 0.32f;
    const float ex = cx + size * 0.48f, ey = cy - size * 0.3f;
    const float r = width * 0.5f;
    Fill(c, cx - size, cy - size, cx + size, cy + size,
         [=](float x, float y) {
             return std::min(Capsule(x, y, ax, ay, mx, my, r), Capsule(x, y, mx, my, ex, ey, r));
         },
         Solid(color));
}

// A check-list row: a ticked or empty circle and a line of "text".
void CheckRow(Canvas &c, float x, float y, float length, bool done, Rgb accent) {
    if (done) {
        Dot(c, x, y, 12.0f, Solid(accent));
        Tick(c, x, y, 12.0f, kWhite, 3.2f);
        Bar(c, x + 28.0f, y, x + 28.0f + length, 9.0f, kLine);
    } else {
        Fill(c, x - 13, y - 13, x + 13, y + 13,
             [=](float px, float py) { return std::fabs(Circle(px, py, x, y, 10.5f)) - 1.5f; }, Solid(Hex(0xB8C2D6)));
        Bar(c, x + 28.0f, y, x + 28.0f + length, 9.0f, Hex(0xAFBBD1));
    }
}

void Sparkle(Canvas &c, float cx, float cy, float r, Rgb color) {
    Dot(c, cx, cy, r, Solid(color), 0.9f);
    Dot(c, cx, cy, r * 2.6f, Solid(color), 0.12f);
}

// The pictures' words: Chinese, or English for a front end in any other language.
struct PictureWords {
    const wchar_t *Tagline;
    const wchar_t *Chips[3];
    const wchar_t *Synced;
    const wchar_t *Slides[4][4]; // kicker, title, two lines
    const wchar_t *Encrypted;
};

const PictureWords kChinesePictureWords = {
    L"晴空笔记 · 让每一个想法都有归处",
    {L"多端同步", L"全文搜索", L"端到端加密"},
    L"已同步 3 台设备",
    {{L"功能亮点 · 同步", L"多端同步，随时继续", L"电脑上写了一半的笔记，", L"拿起手机就能接着写。"},
     {L"功能亮点 · 搜索", L"全文搜索，一秒找到", L"标题、正文、图片里的文字，", L"输入几个字就能定位。"},
     {L"功能亮点 · 安全", L"端到端加密，只属于你", L"笔记在你的设备上加密，", L"密钥从不离开你的手。"},
     {L"功能亮点 · 清单", L"清单与提醒，井井有条", L"待办、日程和提醒放在一起，", L"到点准时提醒你。"}},
    L"AES-256 加密",
};

const PictureWords kEnglishPictureWords = {
    L"Clear-sky notes · a home for every idea",
    {L"Sync everywhere", L"Full-text search", L"End-to-end encryption"},
    L"On 3 devices",
    {{L"Highlights · Sync", L"Start here, go on there", L"Begin a note on your computer,", L"finish it on your phone."},
     {L"Highlights · Search", L"Found in a second", L"Titles, text, even words in pictures:", L"type a few letters."},
     {L"Highlights · Security", L"Yours, end to end", L"Notes are encrypted on your device;", L"the key never leaves it."},
     {L"Highlights · Lists", L"Lists that remind you", L"To-dos, dates and reminders together,", L"right on time."}},
    L"AES-256 encrypted",
};

const PictureWords *g_Words = &kChinesePictureWords;

// Title and two lines of description on the left of a feature slide.
void Headline(Canvas &c, const wchar_t *kicker, const wchar_t *title, const wchar_t *line1, const wchar_t *line2) {
    const int kw = TextWidth(kicker, 15, FW_BOLD);
    const float l = 92.0f, t = 150.0f;
    Fill(c, l, t, l + kw + 28.0f, t + 30.0f,
         [=](float x, float y) { return RoundRect(x, y, l, t, l + kw + 28.0f, t + 30.0f, 15.0f); }, Solid(kBlue),
         0.10f);
    Text(c, l + 14.0f, t + 4.0f, kicker, 15, FW_BOLD, Solid(kBlue));
    Text(c, 90.0f, 196.0f, title, 42, FW_BOLD, Solid(kNavy));
    Text(c, 92.0f, 270.0f, line1, 19, FW_NORMAL, Solid(kBody));
    Text(c, 92.0f, 302.0f, line2, 19, FW_NORMAL, Solid(kBody));
}

// --- The five pictures ---

void PaintWelcome(Canvas &c) {
    Backdrop(c, Hex(0xE9F1FF), Hex(0xE2F7F9), 430.0f, 640.0f);

    // Product mark, name and promise.
    const Paint brand = Linear(96, 118, 164, 186, kBlue, kTeal);
    Fill(c, 96, 118, 164, 186, [](float x, float y) { return RoundRect(x, y, 96, 118, 164, 186, 20); }, brand);
    Fill(c, 114, 134, 146, 170, [](float x, float y) { return RoundRect(x, y, 114, 134, 146, 170, 6); }, Solid(kWhite));
    Bar(c, 121, 145, 139, 4.0f, kBlue);
    Bar(c, 121, 153, 139, 4.0f, kBlue, 0.6f);
    Bar(c, 121, 161, 132, 4.0f, kBlue, 0.6f);
    Text(c, 92.0f, 204.0f, L"Kesto Notes", 60, FW_BOLD, Linear(92, 0, 460, 0, kNavy, Hex(0x2A3F6E)));
    Text(c, 96.0f, 292.0f, g_Words->Tagline, 24, FW_NORMAL, Solid(kBody));

    float x = 96.0f;
    for (const wchar_t *chip : g_Words->Chips) {
        const float w = TextWidth(chip, 15, FW_NORMAL) + 34.0f;
        const float l = x, t = 350.0f;
        Fill(c, l, t, l + w, t + 34, [=](float px, float py) { return RoundRect(px, py, l, t, l + w, t + 34, 17); },
             Solid(kWhite), 0.9f);
        Fill(c, l, t, l + w, t + 34,
             [=](float px, float py) { return std::fabs(RoundRect(px, py, l, t, l + w, t + 34, 17)) - 0.6f; },
             Solid(kBlue), 0.35f);
        Text(c, l + 17.0f, t + 6.0f, chip, 15, FW_NORMAL, Solid(kBlue));
        x += w + 12.0f;
    }

    // The notes illustration on the right.
    Card(c, 660, 96, 940, 300, 22, Linear(660, 96, 940, 300, Hex(0xDDF4F7), Hex(0xE6EEFF)));
    Bar(c, 700, 140, 800, 12.0f, kTeal, 0.55f);
    Bar(c, 700, 170, 880, 8.0f, kTeal, 0.25f);
    Card(c, 590, 168, 900, 488, 22);
    Bar(c, 626, 214, 770, 14.0f, kNavy, 0.88f);
    Bar(c, 626, 252, 862, 8.0f, kLine);
    Bar(c, 626, 276, 840, 8.0f, kLine);
    Bar(c, 626, 300, 760, 8.0f, kLine);
    CheckRow(c, 638, 356, 170, true, kBlue);
    CheckRow(c, 638, 398, 200, true, kTeal);
    CheckRow(c, 638, 440, 140, false, kBlue);

    // The "synced" badge and a note chip floating over the card.
    Dot(c, 900, 178, 40, Linear(868, 146, 932, 210, kTeal, kBlue));
    Tick(c, 900, 178, 30, kWhite, 6.0f);
    Card(c, 500, 410, 652, 462, 16);
    Dot(c, 526, 436, 8, Solid(kMint));
    Text(c, 542.0f, 424.0f, g_Words->Synced, 15, FW_NORMAL, Solid(kNavy));

    Sparkle(c, 560, 120, 5, kYellow);
    Sparkle(c, 968, 330, 4, kCoral);
    Sparkle(c, 540, 300, 3.5f, kBlue);
}

void PaintSync(Canvas &c) {
    Backdrop(c, Hex(0xEAF1FF), Hex(0xE4F6FB), 470.0f, 597.0f);
    Headline(c, g_Words->Slides[0][0], g_Words->Slides[0][1], g_Words->Slides[0][2], g_Words->Slides[0][3]);

    // Laptop.
    Card(c, 560, 130, 872, 336, 16, Solid(kNavy));
    Fill(c, 574, 144, 858, 322, [](float x, float y) { return RoundRect(x, y, 574, 144, 858, 322, 6); },
         Linear(574, 144, 858, 322, Hex(0xF5F8FF), Hex(0xE8F6F8)));
    Bar(c, 600, 176, 700, 12.0f, kNavy, 0.85f);
    Bar(c, 600, 206, 820, 7.0f, kLine);
    Bar(c, 600, 226, 800, 7.0f, kLine);
    Bar(c, 600, 246, 740, 7.0f, kLine);
    Bar(c, 600, 280, 690, 18.0f, kBlue, 0.9f);
    Fill(c, 528, 336, 904, 356, [](float x, float y) { return RoundRect(x, y, 528, 336, 904, 356, 10); },
         Linear(528, 0, 904, 0, Hex(0xC9D2E3), Hex(0xDCE3EF)));
    // Phone.
    Card(c, 872, 214, 962, 392, 16, Solid(kNavy));
    Fill(c, 880, 232, 954, 376, [](float x, float y) { return RoundRect(x, y, 880, 232, 954, 376, 8); },
         Linear(880, 232, 954, 376, Hex(0xF5F8FF), Hex(0xE8F6F8)));
    Bar(c, 892, 256, 930, 8.0f, kNavy, 0.85f);
    Bar(c, 892, 278, 942, 5.0f, kLine);
    Bar(c, 892, 292, 936, 5.0f, kLine);
    Bar(c, 892, 306, 920, 5.0f, kLine);
    // Sync badge: two arcs chasing each other.
    Dot(c, 872, 130, 36, Linear(840, 98, 904, 162, kBlue, kTeal));
    Fill(c, 848, 106, 896, 154, [](float x, float y) { return Arc(x, y, 872, 130, 15, -2.6f, -0.2f, 5.0f); },
         Solid(kWhite));
    Fill(c, 848, 106, 896, 154, [](float x, float y) { return Arc(x, y, 872, 130, 15, 0.55f, 2.95f, 5.0f); },
         Solid(kWhite));
    Dot(c, 886.5f, 127.0f, 4.5f, Solid(kWhite));
    Dot(c, 857.5f, 133.0f, 4.5f, Solid(kWhite));
    Sparkle(c, 520, 180, 5, kYellow);
    Sparkle(c, 960, 120, 4, kCoral);
}

void PaintSearch(Canvas &c) {
    Backdrop(c, Hex(0xEFEEFF), Hex(0xE6F4FF), 470.0f, 597.0f);
    Headline(c, g_Words->Slides[1][0], g_Words->Slides[1][1], g_Words->Slides[1][2], g_Words->Slides[1][3]);

    Card(c, 640, 96, 930, 240, 18);
    Bar(c, 672, 132, 780, 11.0f, kNavy, 0.8f);
    Bar(c, 672, 162, 890, 7.0f, kLine);
    Bar(c, 672, 182, 850, 7.0f, kLine);
    Card(c, 580, 200, 900, 440, 20);
    Bar(c, 614, 242, 760, 13.0f, kNavy, 0.88f);
    Bar(c, 614, 280, 860, 8.0f, kLine);
    Bar(c, 700, 306, 820, 16.0f, kYellow, 0.55f); // the match, highlighted
    Bar(c, 614, 306, 690, 8.0f, kLine);
    Bar(c, 706, 306, 814, 8.0f, kViolet, 0.9f);
    Bar(c, 830, 306, 866, 8.0f, kLine);
    Bar(c, 614, 332, 840, 8.0f, kLine);
    Bar(c, 614, 358, 780, 8.0f, kLine);
    Bar(c, 614, 396, 700, 18.0f, kViolet, 0.85f);
    // Magnifier.
    Dot(c, 842, 330, 64, Solid(kWhite), 0.35f);
    Fill(c, 760, 248, 924, 412, [](float x, float y) { return std::fabs(Circle(x, y, 842, 330, 64)) - 8.0f; },
         Linear(780, 268, 904, 392, kViolet, kBlue));
    Fill(c, 880, 368, 960, 448, [](float x, float y) { return Capsule(x, y, 892, 380, 936, 424, 12); },
         Solid(kNavy));
    Sparkle(c, 560, 150, 5, kYellow);
    Sparkle(c, 968, 230, 4, kTeal);
}

void PaintSecurity(Canvas &c) {
    Backdrop(c, Hex(0xE6F6F7), Hex(0xEAF0FF), 470.0f, 597.0f);
    Headline(c, g_Words->Slides[2][0], g_Words->Slides[2][1], g_Words->Slides[2][2], g_Words->Slides[2][3]);

    Glow(c, 760, 300, 170, kTeal, 0.20f);
    Fill(c, 682, 120, 840, 280, [](float x, float y) {
        return std::min(Arc(x, y, 761, 200, 60, 3.1416f, 6.2832f, 22),
                        std::min(Capsule(x, y, 701, 200, 701, 250, 11), Capsule(x, y, 821, 200, 821, 250, 11)));
    }, Solid(kNavy));
    Card(c, 650, 236, 872, 440, 28, Linear(650, 236, 872, 440, kBlue, kTeal));
    Dot(c, 761, 318, 20, Solid(kWhite));
    Fill(c, 750, 318, 772, 384, [](float x, float y) { return Capsule(x, y, 761, 318, 761, 372, 8); },
         Solid(kWhite));
    // Little key bits around the lock.
    for (int i = 0; i < 8; ++i) {
        const float a = -1.2f + i * 0.34f;
        Dot(c, 761 + 200 * std::cos(a), 318 + 150 * std::sin(a), i % 2 ? 4.0f : 6.0f, Solid(i % 3 ? kTeal : kBlue),
            0.55f);
    }
    Card(c, 560, 420, 700, 468, 16);
    Dot(c, 584, 444, 8, Solid(kMint));
    Text(c, 600.0f, 433.0f, g_Words->Encrypted, 15, FW_NORMAL, Solid(kNavy));
}

void PaintLists(Canvas &c) {
    Backdrop(c, Hex(0xFFF2EA), Hex(0xEAF3FF), 470.0f, 597.0f);
    Headline(c, g_Words->Slides[3][0], g_Words->Slides[3][1], g_Words->Slides[3][2], g_Words->Slides[3][3]);

    Card(c, 580, 96, 870, 470, 22);
    Bar(c, 614, 140, 740, 14.0f, kNavy, 0.88f);
    CheckRow(c, 626, 196, 170, true, kMint);
    CheckRow(c, 626, 244, 130, true, kMint);
    CheckRow(c, 626, 292, 190, true, kBlue);
    CheckRow(c, 626, 340, 150, false, kBlue);
    CheckRow(c, 626, 388, 120, false, kBlue);
    CheckRow(c, 626, 436, 170, false, kBlue);
    // A small calendar with today's date ringed.
    Card(c, 800, 300, 960, 450, 18);
    Fill(c, 800, 300, 960, 340, [](float x, float y) {
        return std::max(RoundRect(x, y, 800, 300, 960, 450, 18), y - 340.0f);
    }, Linear(800, 0, 960, 0, kCoral, Hex(0xFF6F91)));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 5; ++col) {
            const float x = 826 + col * 27.0f, y = 364 + row * 27.0f;
            if (row == 1 && col == 2) {
                Dot(c, x, y, 11, Solid(kCoral));
                Dot(c, x, y, 4, Solid(kWhite));
            } else {
                Dot(c, x, y, 4, Solid(Hex(0xC3CBDB)));
            }
        }
    // A bell.
    Dot(c, 560, 160, 30, Linear(530, 130, 590, 190, kYellow, kCoral));
    Fill(c, 544, 142, 576, 180, [](float x, float y) {
        return std::min(RoundRect(x, y, 548, 146, 572, 172, 10), RoundRect(x, y, 544, 166, 576, 172, 3));
    }, Solid(kWhite));
    Dot(c, 560, 177, 4, Solid(kWhite));
    Sparkle(c, 960, 150, 5, kYellow);
    Sparkle(c, 530, 420, 4, kTeal);
}

// --- Saving ---

// Rounds to 8 bits with a small ordered dither, so the soft gradients show no bands.
std::vector<BYTE> ToBgr(const Canvas &c) {
    static const float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<BYTE> out(static_cast<size_t>(c.W) * c.H * 3);
    for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x) {
            const Rgb p = c.Px[static_cast<size_t>(y) * c.W + x];
            const float d = (kBayer[y & 3][x & 3] + 0.5f) / 16.0f;
            BYTE *q = &out[(static_cast<size_t>(y) * c.W + x) * 3];
            q[0] = static_cast<BYTE>(std::min(255.0f, p.B * 255.0f + d));
            q[1] = static_cast<BYTE>(std::min(255.0f, p.G * 255.0f + d));
            q[2] = static_cast<BYTE>(std::min(255.0f, p.R * 255.0f + d));
        }
    return out;
}

HRESULT SavePng(IWICImagingFactory *wic, const Canvas &c, const std::wstring &path) {
    std::vector<BYTE> bgr = ToBgr(c);
    IWICStream *stream = nullptr;
    IWICBitmapEncoder *encoder = nullptr;
    IWICBitmapFrameEncode *frame = nullptr;
    HRESULT hr = wic->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(&frame, nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(c.W, c.H);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR)
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(c.H, c.W * 3, static_cast<UINT>(bgr.size()), bgr.data());
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    if (frame)
        frame->Release();
    if (encoder)
        encoder->Release();
    if (stream)
        stream->Release();
    return hr;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: hero_art <folder> [en]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    if (argc > 2 && lstrcmpiW(argv[2], L"en") == 0)
        g_Words = &kEnglishPictureWords;
    CreateDirectoryW(folder.c_str(), nullptr);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    IWICImagingFactory *wic = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void **>(&wic));
    if (FAILED(hr)) {
        fwprintf(stderr, L"hero_art: no imaging component (0x%08lX)\n", static_cast<unsigned long>(hr));
        CoUninitialize();
        return 1;
    }
    struct Picture {
        int Height;
        void (*Paint)(Canvas &);
    };
    const Picture pictures[5] = {
        {745, PaintWelcome}, {597, PaintSync}, {597, PaintSearch}, {597, PaintSecurity}, {597, PaintLists},
    };
    int failures = 0;
    for (int i = 0; i < 5; ++i) {
        Canvas canvas(1024, pictures[i].Height);
        pictures[i].Paint(canvas);
        const std::wstring path = folder + L"\\hero" + std::to_wstring(i + 1) + L".png";
        hr = SavePng(wic, canvas, path);
        if (FAILED(hr)) {
            fwprintf(stderr, L"hero_art: %ls: 0x%08lX\n", path.c_str(), static_cast<unsigned long>(hr));
            ++failures;
        }
    }
    wic->Release();
    CoUninitialize();
    return failures ? 1 : 0;
}
