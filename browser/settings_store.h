#pragma once
// Reading and writing the settings table and the hint flags in the settings store. Every value
// is a registry string; a missing or malformed value reads as its default.

#include "settings_table.h"
#include "warning_flags.h"

#include <QString>

#include <optional>

class TRegistry;

namespace SettingsKeys {
inline const QString Main = QStringLiteral("SOFTWARE\\Corvane\\Glimmet");
inline const QString Warning = QStringLiteral("SOFTWARE\\Corvane\\Glimmet\\Warning");
inline const QString Toolbars = QStringLiteral("SOFTWARE\\Corvane\\Glimmet\\Toolbars");
inline const QString Common = QStringLiteral("SOFTWARE\\Corvane\\Common");
} // namespace SettingsKeys

struct TSettingsWriteConditions {
    bool FullScreen = false;
    bool ModePanelShown = true;
    bool BookmarkSelected = false;
};

// Reads the values of the main key into settings, in the order set-up reads them. A value stored
// with another registry type than a string stops the reading and makes the answer false: it
// reads as its default, the values read before it stay and the ones after it are left as they
// were.
bool ReadSettings(const TRegistry& registry, const TScreenMetrics& s, TSettings& settings);
// The one value the window reads when it is created, before set-up reads the others.
bool ReadLargeToolbarImages(const TRegistry& registry, const TScreenMetrics& s);
void WriteSettings(TRegistry& registry, const TSettings& settings,
                   const TSettingsWriteConditions& conditions);

// The same for the Warning key, in the order in which it is written.
bool ReadWarnings(const TRegistry& registry, TWarningFlags& warnings);
void WriteWarnings(TRegistry& registry, const TWarningFlags& warnings);

// Value texts.
QString BoolText(bool value);
std::optional<bool> ParseBool(const QString& text);
std::optional<int32_t> ParseInt(const QString& text);
// A colour name such as "clBlack" or "$" and up to eight hexadecimal digits: 0x00BBGGRR, or with
// a high byte, such as 0x80 for a system colour whose number is the low byte.
QString ColourText(uint32_t colour);
std::optional<uint32_t> ParseColour(const QString& text);
