#include "settings_store.h"

#include "registry.h"

#include <array>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;

enum class TReadOutcome { Read, Default, WrongType };

struct TNamedColour {
    const char* Name;
    uint32_t Colour;
};

constexpr std::array<TNamedColour, 20> NamedColours{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080},     {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000},       {"clPurple", 0x800080},
    {"clTeal", 0x808000},  {"clGray", 0x808080},       {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},   {"clLime", 0x00FF00},       {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},  {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF}, {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
}};

std::optional<bool> Parse(const QString& text, TSettingForm, const TIntRange&, bool*) {
    return ParseBool(text);
}

std::optional<int32_t> Parse(const QString& text, TSettingForm, const TIntRange& range, int32_t*) {
    std::optional<int32_t> value = ParseInt(text);
    if (value && !range.Contains(*value)) return std::nullopt;
    return value;
}

std::optional<uint32_t> Parse(const QString& text, TSettingForm, const TIntRange&, uint32_t*) {
    return ParseColour(text);
}

std::optional<QString> Parse(const QString& text, TSettingForm form, const TIntRange&, QString*) {
    if (form == TSettingForm::Char && text.size() != 1) return std::nullopt;
    return text;
}

template <class T>
TReadOutcome ReadValue(const TRegistry& registry, const QString& key, const QString& name,
                       TSettingForm form, const TIntRange& range, const T& fallback, T& out) {
    std::optional<QString> text;
    try {
        text = registry.ReadString(User, key, name);
    } catch (const ERegistryError&) {
        out = fallback;
        return TReadOutcome::WrongType;
    }
    std::optional<T> value =
        text ? Parse(*text, form, range, static_cast<T*>(nullptr)) : std::nullopt;
    out = value.value_or(fallback);
    return value ? TReadOutcome::Read : TReadOutcome::Default;
}

QString Format(bool value) {
    return BoolText(value);
}
QString Format(int32_t value) {
    return QString::number(value);
}
QString Format(uint32_t colour) {
    return ColourText(colour);
}
QString Format(const QString& text) {
    return text;
}

// The order in which set-up reads the main key: a value of another type stops the reading, so the
// order decides which values have been read by then.
// clang-format off
constexpr const char* ReadOrder[] = {
    "GMXLayout", "AfterPWApp", "TwainHandle", "CurrentFilter", "bReverseSort", "iCurrentSortField",
    "FullScreenSlideshow", "ExtView", "CameraSource", "OverrideBGColor", "BGColor",
    "DelimitCharacter", "RenameSuffix", "ConvertEmailFiles", "ConvertEmailSizeX",
    "ConvertEmailSizeY", "WatchDirectoryDirectory", "Version", "Options", "LastDir",
    "NewWindowShrink", "NewWindowStretch", "NewWindowFullSize", "ExternalPrintApp",
    "ExternalPrintAppName", "BeepOnError", "Launch16bitNames", "SSMultiHorz", "SSMultiVert",
    "JPEGThumbnails", "DiskCacheMaxCount", "ThumbnailHeight", "ThumbnailWidth",
    "IconInfoColumnWidth", "FilenameColumnWidth", "ThumbQualityHigh", "ThumbnailButtons",
    "HideFileExt", "ThinBorder", "UseThreads", "TipsOnStart", "CurrentBookmark", "Fast",
    "HideAllInFS", "SlideshowViz", "EditingViz", "ToolbarViz", "StatusViz", "MenuViz", "ShowSSName",
    "UsePGtoPrintThumbs", "SupportFalseExt", "AdvancedFunctionsAvailable", "UseMouseWheel",
    "AllowDoubleClick", "MoveToRecycleBin", "ShowDlgProgress", "ShowPreview", "UseWindowsMoveCopy",
    "ConfirmDeleteFile", "ThumbMode", "RememberGIFDelay", "MoveFiles", "ConfirmDragDrop",
    "GetStarted", "Mode3Height", "Mode4Height", "FileGridWidth", "FileGridTop", "AnimGIFDefault",
    "AlwaysUseDefaultJPEGQuality", "DefaultJPEGQuality", "NewWindowHeight", "OpenDlgHeight",
    "NewWindowWidth", "WPLeft", "WPWidth", "WPMax", "WPTop", "WPHeight", "WriteSharedThumbnails"};
// clang-format on

bool ShouldWrite(TSettingWrite when, const TSettingsWriteConditions& c) {
    switch (when) {
    case TSettingWrite::Always:
        return true;
    case TSettingWrite::Never:
        return false;
    case TSettingWrite::BookmarkSelected:
        return c.BookmarkSelected;
    case TSettingWrite::NotFullScreen:
        return !c.FullScreen;
    case TSettingWrite::ModePanelShown:
        return !c.FullScreen && c.ModePanelShown;
    }
    return false;
}

} // namespace

TSettings DefaultSettings(const TScreenMetrics& s) {
    TSettings settings;
#define GLIMMET_SETTING_DEFAULT(Name, Form, Default, Range, Readable, Writing, Group)              \
    settings.Name = Default;
    GLIMMET_SETTINGS(GLIMMET_SETTING_DEFAULT)
#undef GLIMMET_SETTING_DEFAULT
    return settings;
}

bool ReadSettings(const TRegistry& registry, const TScreenMetrics& s, TSettings& settings) {
    const TSettings defaults = DefaultSettings(s);
    std::map<TSettingGroup, bool> groupFailed;
    auto read = [&](const char* name) {
#define GLIMMET_SETTING_READ(Name, Form, Default, Range, Readable, Writing, Group)                 \
    if (Readable && std::strcmp(name, #Name) == 0) {                                               \
        const TReadOutcome outcome =                                                               \
            ReadValue(registry, SettingsKeys::Main, QStringLiteral(#Name), TSettingForm::Form,     \
                      Range, defaults.Name, settings.Name);                                        \
        groupFailed[TSettingGroup::Group] |= outcome != TReadOutcome::Read;                        \
        return outcome;                                                                            \
    }
        GLIMMET_SETTINGS(GLIMMET_SETTING_READ)
#undef GLIMMET_SETTING_READ
        throw std::logic_error(std::string("No readable setting ") + name);
    };
    bool typesAgree = true;
    for (const char* name : ReadOrder) {
        if (read(name) == TReadOutcome::WrongType) {
            typesAgree = false;
            break;
        }
    }
#define GLIMMET_SETTING_GROUP(Name, Form, Default, Range, Readable, Writing, Group)                \
    if (TSettingGroup::Group != TSettingGroup::None && groupFailed[TSettingGroup::Group])          \
        settings.Name = defaults.Name;
    GLIMMET_SETTINGS(GLIMMET_SETTING_GROUP)
#undef GLIMMET_SETTING_GROUP
    return typesAgree;
}

bool ReadLargeToolbarImages(const TRegistry& registry, const TScreenMetrics& s) {
    const bool fallback = DefaultSettings(s).LargeToolbarImages;
    bool large = fallback;
    ReadValue(registry, SettingsKeys::Main, QStringLiteral("LargeToolbarImages"),
              TSettingForm::Bool, AnyInt, fallback, large);
    return large;
}

void WriteSettings(TRegistry& registry, const TSettings& settings,
                   const TSettingsWriteConditions& conditions) {
#define GLIMMET_SETTING_WRITE(Name, Form, Default, Range, Readable, Writing, Group)                \
    if (ShouldWrite(TSettingWrite::Writing, conditions))                                           \
        registry.WriteString(User, SettingsKeys::Main, QStringLiteral(#Name),                      \
                             Format(settings.Name));
    GLIMMET_SETTINGS(GLIMMET_SETTING_WRITE)
#undef GLIMMET_SETTING_WRITE
}

bool ReadWarnings(const TRegistry& registry, TWarningFlags& warnings) {
#define GLIMMET_WARNING_READ(Name, Heading)                                                        \
    if (ReadValue(registry, SettingsKeys::Warning, QStringLiteral(#Name), TSettingForm::Bool,      \
                  AnyInt, true, warnings.Name) == TReadOutcome::WrongType)                         \
        return false;
    GLIMMET_WARNINGS(GLIMMET_WARNING_READ)
#undef GLIMMET_WARNING_READ
    return true;
}

void WriteWarnings(TRegistry& registry, const TWarningFlags& warnings) {
#define GLIMMET_WARNING_WRITE(Name, Heading)                                                       \
    registry.WriteString(User, SettingsKeys::Warning, QStringLiteral(#Name),                       \
                         BoolText(warnings.Name));
    GLIMMET_WARNINGS(GLIMMET_WARNING_WRITE)
#undef GLIMMET_WARNING_WRITE
}

QString BoolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> ParseBool(const QString& text) {
    const QString upper = text.toUpper();
    if (upper == u"TRUE") return true;
    if (upper == u"FALSE") return false;
    return std::nullopt;
}

std::optional<int32_t> ParseInt(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

QString ColourText(uint32_t colour) {
    for (const TNamedColour& named : NamedColours)
        if (named.Colour == colour) return QString::fromLatin1(named.Name);
    return u'$' + QString::number(colour, 16).toUpper().rightJustified(8, u'0');
}

std::optional<uint32_t> ParseColour(const QString& text) {
    for (const TNamedColour& named : NamedColours)
        if (text.compare(QLatin1String(named.Name), Qt::CaseInsensitive) == 0) return named.Colour;
    if (!text.startsWith(u'$') || text.size() < 2 || text.size() > 9) return std::nullopt;
    bool ok = false;
    const uint value = text.mid(1).toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    return value;
}
