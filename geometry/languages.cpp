#include "geometry/languages.h"

#include <cwctype>

// Order of every table: the order of TextId.
const BuiltInLanguage kBuiltInLanguages[kBuiltInLanguageCount] = {
    {L"zh-CN",
     L"zh-cn",
     false,
     {
         L"最小化",           // the title buttons paint symbols only: readers hear these
         L"关闭",
         L"快速安装",
         L"我已阅读并同意",
         L"《用户许可协议》",
         L"自定义安装",
         L"安装位置",
         L"更改",
         L"桌面快捷方式",
         L"添加到开始菜单",
         L"开机自动启动",
         L"立即体验",
         L"{0}%",
         L"安装进度",
         L"请先勾选同意用户许可协议",
         L"许可协议",
         L"我知道了",
         L"正在取消安装…",
         L"勾选",
         L"取消勾选",
         L"展开",
         L"折叠",
         L"跳转",
         L"按下",
         L"开始安装",  // spoken aloud, never painted
         L"安装完成",
         L"Microsoft YaHei",
     }},
    {L"en-US",
     L"en-us",
     false,
     {
         L"Minimize",
         L"Close",
         L"Quick install",
         L"I have read and agree to the ", // the link follows after the space
         L"License Agreement",
         L"Custom install",
         L"Install location",
         L"Browse…",
         L"Desktop shortcut",
         L"Add to Start menu",
         L"Start with Windows",
         L"Launch now",
         L"{0}%",
         L"Installation progress",
         L"Accept the License Agreement to install",
         L"License Agreement",
         L"OK",
         L"Canceling installation…",
         L"Check",
         L"Uncheck",
         L"Expand",
         L"Collapse",
         L"Jump",
         L"Press",
         L"Installation started",
         L"Installation complete",
         L"Microsoft YaHei",
     }},
    {L"ar",
     L"ar",
     true,
     {
         L"تصغير",
         L"إغلاق",
         L"تثبيت سريع",
         L"لقد قرأت وأوافق على ",
         L"اتفاقية الترخيص",
         L"تثبيت مخصص",
         L"موقع التثبيت",
         L"استعراض…",
         L"اختصار على سطح المكتب",
         L"إضافة إلى قائمة ابدأ",
         L"التشغيل مع بدء Windows",
         L"تشغيل الآن",
         L"{0}٪",
         L"تقدم التثبيت",
         L"وافق على اتفاقية الترخيص لبدء التثبيت",
         L"اتفاقية الترخيص",
         L"موافق",
         L"جارٍ إلغاء التثبيت…",
         L"تحديد",
         L"إلغاء التحديد",
         L"توسيع",
         L"طي",
         L"انتقال",
         L"ضغط",
         L"بدأ التثبيت",
         L"اكتمل التثبيت",
         L"Segoe UI",
     }},
    {L"he",
     L"he",
     true,
     {
         L"מזעור",
         L"סגירה",
         L"התקנה מהירה",
         L"קראתי ואני מאשר/ת את ",
         L"הסכם הרישיון",
         L"התקנה מותאמת אישית",
         L"מיקום ההתקנה",
         L"עיון…",
         L"קיצור דרך בשולחן העבודה",
         L"הוספה לתפריט התחל",
         L"הפעלה עם הפעלת Windows",
         L"הפעלה עכשיו",
         L"{0}%",
         L"התקדמות ההתקנה",
         L"יש לאשר את הסכם הרישיון כדי להתקין",
         L"הסכם הרישיון",
         L"אישור",
         L"מבטל את ההתקנה…",
         L"סימון",
         L"ביטול סימון",
         L"הרחבה",
         L"כיווץ",
         L"מעבר",
         L"לחיצה",
         L"ההתקנה החלה",
         L"ההתקנה הושלמה",
         L"Segoe UI",
     }},
};

namespace {

// The primary language subtag: the letters before the first '-' or '_'.
bool SamePrimaryTag(const wchar_t *tag, const wchar_t *builtIn) {
    size_t i = 0;
    for (; builtIn[i] && builtIn[i] != L'-'; ++i) {
        if (std::towlower(tag[i]) != builtIn[i])
            return false;
    }
    return tag[i] == L'\0' || tag[i] == L'-' || tag[i] == L'_';
}

} // namespace

int FindLanguage(const wchar_t *tag) {
    if (!tag)
        return -1;
    // Hebrew's withdrawn code is still sent by old systems.
    if (SamePrimaryTag(tag, L"iw"))
        return FindLanguage(L"he");
    for (int i = 0; i < kBuiltInLanguageCount; ++i) {
        // Built-in tags start with a lower-case primary subtag.
        if (SamePrimaryTag(tag, kBuiltInLanguages[i].Tag))
            return i;
    }
    return -1;
}

bool LanguageReadsRightToLeft() {
    const EngineState &s = g_State;
    if (s.ReadingOrder == ReadingRightToLeft)
        return true;
    if (s.ReadingOrder == ReadingLeftToRight)
        return false;
    return kBuiltInLanguages[s.Language].RightToLeft;
}
