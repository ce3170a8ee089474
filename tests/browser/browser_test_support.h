#pragma once
// The start-up and shutdown tests share a temporary home with its data folder, a store in it,
// a recording frame host and a scripted prompter.

#include "fake_frame_host.h"
#include "platform_test_support.h"
#include "registry.h"
#include "scripted_prompter.h"
#include "settings_store.h"
#include "setup.h"
#include "shutdown.h"

#include <QDir>

#include <gtest/gtest.h>

inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(", ").toStdString() << ']';
}

class TFrameFixture : public ::testing::Test {
protected:
    TFrameFixture() { QDir().mkpath(Data); }

    TSetupContext Context(const QStringList& arguments = {}) const {
        TSetupContext context;
        context.CommandLine = ClassifyCommandLine(arguments);
        context.Folders = {"/opt/glimmet/bin/",
                           Data,
                           Home.Path() + "cache/Corvane/Common/Cache/",
                           Home.Path() + "Pictures/",
                           Home.Path() + "tmp/private/",
                           Home.Path() + "share/glimmet/"};
        context.Executable = "/opt/glimmet/bin/glimmet";
        context.Screen = Screen;
        return context;
    }
    TStoreContext StoreContext() const {
        const TSetupContext context = Context();
        return {context.Folders, context.Executable};
    }
    void RunSetup(const QStringList& arguments = {}) {
        ::Setup(State, Registry, Host, Prompter, Context(arguments));
    }
    void Store(const QString& name, const QString& text) {
        Registry.WriteString(TRegHive::CurrentUser, SettingsKeys::Main, name, text);
    }
    QString Stored(TRegistry& registry, const QString& name) const {
        return registry.ReadString(TRegHive::CurrentUser, SettingsKeys::Main, name)
            .value_or("<missing>");
    }
    QString RegistryPath() const { return Home.Path() + "config/Corvane/registry.reg"; }

    TTempHome Home;
    const QString Data = Home.Path() + "data/Corvane/Glimmet/";
    TScreenMetrics Screen{1280, 1024, 96, 24};
    TRegistry Registry{RegistryPath()};
    TFakeFrameHost Host;
    TScriptedPrompter Prompter;
    TMainState State;
};
