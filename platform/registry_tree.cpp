#include "registry_tree.h"

#include <algorithm>
#include <utility>

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break in a name would break the file's line structure; a backslash in a key name would
// read back as two keys.
void CheckKeyName(const QString& name) {
    if (name.isEmpty() || name.contains(u'\\') || !IsLineSafe(name))
        throw ERegistryError("Invalid registry key name \"" + name.toStdString() + "\"");
}

void CheckValueName(const QString& name) {
    if (!IsLineSafe(name))
        throw ERegistryError("Invalid registry value name \"" + name.toStdString() + "\"");
}

template <class T>
const T& Expect(const std::variant<QString, uint32_t, QByteArray>& data, const char* what) {
    if (const T* value = std::get_if<T>(&data)) return *value;
    throw ERegistryError(std::string("Registry value is not ") + what);
}

} // namespace

const QString& TRegValue::AsString() const {
    return Expect<QString>(FData, "a string");
}

uint32_t TRegValue::AsDWord() const {
    return Expect<uint32_t>(FData, "an integer");
}

const QByteArray& TRegValue::AsBinary() const {
    return Expect<QByteArray>(FData, "binary");
}

const TRegKey* TRegKey::SubKey(const QString& name) const {
    auto it = std::find_if(FSubKeys.begin(), FSubKeys.end(),
                           [&](const auto& key) { return SameName(key->FName, name); });
    return it == FSubKeys.end() ? nullptr : it->get();
}

TRegKey* TRegKey::SubKey(const QString& name) {
    return const_cast<TRegKey*>(std::as_const(*this).SubKey(name));
}

TRegKey& TRegKey::CreateSubKey(const QString& name) {
    if (TRegKey* existing = SubKey(name)) return *existing;
    CheckKeyName(name);
    FSubKeys.push_back(std::make_unique<TRegKey>(name));
    return *FSubKeys.back();
}

bool TRegKey::RemoveSubKey(const QString& name) {
    return std::erase_if(FSubKeys, [&](const auto& key) { return SameName(key->FName, name); }) > 0;
}

const TRegValue* TRegKey::Value(const QString& name) const {
    auto it = std::find_if(FValues.begin(), FValues.end(),
                           [&](const TRegNamedValue& v) { return SameName(v.Name, name); });
    return it == FValues.end() ? nullptr : &it->Value;
}

void TRegKey::SetValue(const QString& name, TRegValue value) {
    auto it = std::find_if(FValues.begin(), FValues.end(),
                           [&](const TRegNamedValue& v) { return SameName(v.Name, name); });
    if (it != FValues.end()) {
        it->Value = std::move(value);
        return;
    }
    CheckValueName(name);
    FValues.push_back({name, std::move(value)});
}

bool TRegKey::RemoveValue(const QString& name) {
    return std::erase_if(FValues, [&](const TRegNamedValue& v) { return SameName(v.Name, name); }) >
           0;
}

bool TRegKey::operator==(const TRegKey& other) const {
    if (FName != other.FName || FSubKeys.size() != other.FSubKeys.size()) return false;
    auto sameValue = [](const TRegNamedValue& a, const TRegNamedValue& b) {
        return a.Name == b.Name && a.Value == b.Value;
    };
    if (!std::equal(FValues.begin(), FValues.end(), other.FValues.begin(), other.FValues.end(),
                    sameValue))
        return false;
    return std::equal(FSubKeys.begin(), FSubKeys.end(), other.FSubKeys.begin(),
                      [](const auto& a, const auto& b) { return *a == *b; });
}

bool IsLineSafe(const QString& text) {
    return text.isValidUtf16() &&
           std::none_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20; });
}

QStringList SplitKeyPath(const QString& path) {
    return path.split(u'\\', Qt::SkipEmptyParts);
}

TRegHives NewRegHives() {
    return {TRegKey("HKEY_CLASSES_ROOT"), TRegKey("HKEY_CURRENT_USER"),
            TRegKey("HKEY_LOCAL_MACHINE")};
}

TRegKey& HiveRoot(TRegHives& hives, TRegHive hive) {
    return hives[static_cast<size_t>(hive)];
}

const TRegKey& HiveRoot(const TRegHives& hives, TRegHive hive) {
    return hives[static_cast<size_t>(hive)];
}

std::optional<TRegHive> HiveByName(const QString& name) {
    static const TRegHives names = NewRegHives();
    for (size_t i = 0; i < names.size(); ++i)
        if (SameName(names[i].Name(), name)) return static_cast<TRegHive>(i);
    return std::nullopt;
}
