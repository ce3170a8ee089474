#include "platform_test_support.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

TTempHome::TTempHome() {
    EXPECT_TRUE(FDir.isValid());
    const QString home = Path();
    for (const char* sub : {"config", "data", "cache", "runtime", "tmp"}) QDir(home).mkdir(sub);
    ::chmod(QFile::encodeName(home + "runtime").constData(), 0700);
    SetVariable("HOME", home);
    SetVariable("XDG_CONFIG_HOME", home + "config");
    SetVariable("XDG_DATA_HOME", home + "data");
    SetVariable("XDG_CACHE_HOME", home + "cache");
    SetVariable("XDG_RUNTIME_DIR", home + "runtime");
    SetVariable("TMPDIR", home + "tmp");
}

TTempHome::~TTempHome() {
    for (const auto& [name, value] : FSaved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

void TTempHome::SetVariable(const char* name, const std::optional<QString>& value) {
    if (!FSaved.contains(name))
        FSaved[name] =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    if (value)
        qputenv(name, QFile::encodeName(*value));
    else
        qunsetenv(name);
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

int FileMode(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}
