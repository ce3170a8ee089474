#pragma once
// The in-memory tree of the settings store: keys holding typed values and subkeys. Key and
// value names compare without case and keep the spelling they were created with.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <variant>
#include <vector>

class ERegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TRegValueType { String, DWord, Binary };

class TRegValue {
public:
    TRegValue() = default;
    static TRegValue String(QString text) {
        return TRegValue(std::in_place_type<QString>, std::move(text));
    }
    static TRegValue DWord(uint32_t number) {
        return TRegValue(std::in_place_type<uint32_t>, number);
    }
    static TRegValue Binary(QByteArray bytes) {
        return TRegValue(std::in_place_type<QByteArray>, std::move(bytes));
    }

    TRegValueType Type() const { return static_cast<TRegValueType>(FData.index()); }
    // Each accessor raises ERegistryError when the value has another type.
    const QString& AsString() const;
    uint32_t AsDWord() const;
    const QByteArray& AsBinary() const;

    bool operator==(const TRegValue&) const = default;

private:
    // Built in place: moving a finished variant into the member trips GCC's uninitialised-use
    // analysis in optimised builds.
    template <class T, class Arg>
    TRegValue(std::in_place_type_t<T> type, Arg&& arg) : FData(type, std::forward<Arg>(arg)) {}
    std::variant<QString, uint32_t, QByteArray> FData;
};

struct TRegNamedValue {
    QString Name; // empty: the key's default value
    TRegValue Value;
};

class TRegKey {
public:
    explicit TRegKey(QString name) : FName(std::move(name)) {}
    const QString& Name() const { return FName; }

    const TRegKey* SubKey(const QString& name) const;
    TRegKey* SubKey(const QString& name);
    // The existing subkey of that name, or a new one; raises ERegistryError for a name the
    // store cannot hold.
    TRegKey& CreateSubKey(const QString& name);
    bool RemoveSubKey(const QString& name);
    const std::vector<std::unique_ptr<TRegKey>>& SubKeys() const { return FSubKeys; }

    const TRegValue* Value(const QString& name) const;
    void SetValue(const QString& name, TRegValue value);
    bool RemoveValue(const QString& name);
    const std::vector<TRegNamedValue>& Values() const { return FValues; }

    bool operator==(const TRegKey& other) const;

private:
    QString FName;
    std::vector<TRegNamedValue> FValues;
    std::vector<std::unique_ptr<TRegKey>> FSubKeys;
};

// Whether a text can stand inside one line of the store's file: no control characters and no
// unpaired surrogates. Names must be; other string values are written in hex when not.
bool IsLineSafe(const QString& text);

// Splits a backslash path into its key names; empty parts (leading, trailing or doubled
// backslashes) are dropped.
QStringList SplitKeyPath(const QString& path);

// Every hive lives in the one per-user store.
enum class TRegHive { ClassesRoot, CurrentUser, LocalMachine };

// The root key of each hive, indexed by TRegHive; a root's name is its hive's name.
using TRegHives = std::array<TRegKey, 3>;
TRegHives NewRegHives();
TRegKey& HiveRoot(TRegHives& hives, TRegHive hive);
const TRegKey& HiveRoot(const TRegHives& hives, TRegHive hive);
// Hive names such as "HKEY_CURRENT_USER", matched without case.
std::optional<TRegHive> HiveByName(const QString& name);
