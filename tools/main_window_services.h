#pragma once
// What the tool windows may ask of the main window. TfrmMain implements it; tests of the tools
// pass a fake. It depends on nothing of the main window's own, so that the tools need not.

#include "folders.h"
#include "settings_table.h"
#include "warning_flags.h"

#include <QString>

#include <functional>
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

    // The number of files a file command acts on: the selected items of the current mode's list,
    // one in full screen.
    virtual int SelectedCount() const = 0;
    // Visits those files in list order, showing the progress text of each while its step runs.
    // An error a step raises ends the run and reaches the caller.
    virtual void RunForSelection(const std::function<QString(const QString& file)>& progress,
                                 const std::function<void(const QString& file)>& step) = 0;
};
