#pragma once
// What the tool windows may ask of the main window. TfrmMain implements it; tests of the tools
// pass a fake. It depends on nothing of the main window's own, so that the tools need not.

#include "folders.h"
#include "settings_table.h"
#include "warning_flags.h"

#include <QString>

#include <optional>

class TPrompter;

class TMainWindowServices {
public:
    virtual ~TMainWindowServices() = default;

    virtual TSettings& Settings() = 0;
    virtual TWarningFlags& Warnings() = 0;
    virtual TPrompter& Prompter() = 0;
    virtual QString GetFolder(TFolderKind kind) const = 0;
    virtual std::optional<QString> FixPath(const QString& path, bool trailingSeparator) const = 0;

    // Writes the whole settings store.
    virtual void writereg() = 0;
    // Shows a one-time hint; answers whether to remind again.
    virtual bool showwarning(const QString& heading, const QString& text, bool offer) = 0;
    // Shows a file handed over from outside.
    virtual void directshow(const QString& path) = 0;
    // "Reset all Warnings and Tips": the Warning key goes, and is not written back.
    virtual void resetregistry(bool keepMainKey) = 0;
};
