#include "toolbar_state.h"

#include "main_commands.h"
#include "registry.h"
#include "settings_store.h"

#include <array>
#include <optional>

namespace {

constexpr TRegHive User = TRegHive::CurrentUser;
const QString Revision = QStringLiteral("1");

constexpr std::array<const char*, 5> SideNames{"Top", "Bottom", "Left", "Right", "Floating"};

QString SideText(TDockSide side) {
    return QString::fromLatin1(SideNames[static_cast<size_t>(side)]);
}

std::optional<TDockSide> ParseSide(const QString& text) {
    for (size_t i = 0; i < SideNames.size(); ++i)
        if (text == QLatin1String(SideNames[i])) return static_cast<TDockSide>(i);
    return std::nullopt;
}

// Reads the value of one toolbar's subkey; a value of another type counts as missing.
class TDockReader {
public:
    TDockReader(const TRegistry& registry, const QString& key) : FRegistry(registry), FKey(key) {}
    std::optional<QString> Text(const char* name) const {
        try {
            return FRegistry.ReadString(User, FKey, QString::fromLatin1(name));
        } catch (const ERegistryError&) {
            return std::nullopt;
        }
    }
    bool Int(const char* name, int& out) const {
        const std::optional<int32_t> value = ParseInt(Text(name).value_or(QString()));
        if (value) out = *value;
        return value.has_value();
    }
    bool Side(const char* name, TDockSide& out) const {
        const std::optional<TDockSide> side = ParseSide(Text(name).value_or(QString()));
        if (side) out = *side;
        return side.has_value();
    }

private:
    const TRegistry& FRegistry;
    QString FKey;
};

std::optional<TToolbarDock> ReadDock(const TRegistry& registry, const QString& name) {
    const TDockReader reader(registry, SettingsKeys::Toolbars + u'\\' + name);
    if (reader.Text("Rev") != Revision) return std::nullopt;
    TToolbarDock dock;
    dock.Name = name;
    const std::optional<bool> visible = ParseBool(reader.Text("Visible").value_or(QString()));
    const bool complete =
        visible && reader.Side("DockedTo", dock.DockedTo) &&
        reader.Side("LastDock", dock.LastDock) && reader.Int("DockRow", dock.DockRow) &&
        reader.Int("DockPos", dock.DockPos) && reader.Int("FloatLeft", dock.FloatLeft) &&
        reader.Int("FloatTop", dock.FloatTop);
    if (!complete || dock.LastDock == TDockSide::Floating) return std::nullopt;
    dock.Visible = *visible;
    return dock;
}

} // namespace

const QStringList& ToolbarNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const TToolbar& bar : MainToolbars()) list << QString::fromLatin1(bar.Name);
        return list;
    }();
    return names;
}

std::vector<TToolbarDock> ReadToolbarDocks(const TRegistry& registry) {
    std::vector<TToolbarDock> docks;
    for (const QString& name : ToolbarNames())
        if (std::optional<TToolbarDock> dock = ReadDock(registry, name)) docks.push_back(*dock);
    return docks;
}

void WriteToolbarDocks(TRegistry& registry, const std::vector<TToolbarDock>& docks) {
    for (const TToolbarDock& dock : docks) {
        const QString key = SettingsKeys::Toolbars + u'\\' + dock.Name;
        auto write = [&](const char* name, const QString& text) {
            registry.WriteString(User, key, QString::fromLatin1(name), text);
        };
        write("Rev", Revision);
        write("Visible", BoolText(dock.Visible));
        write("DockedTo", SideText(dock.DockedTo));
        write("LastDock", SideText(dock.LastDock));
        write("DockRow", QString::number(dock.DockRow));
        write("DockPos", QString::number(dock.DockPos));
        write("FloatLeft", QString::number(dock.FloatLeft));
        write("FloatTop", QString::number(dock.FloatTop));
    }
}
