#pragma once
// Starting other programs on a file. Arguments travel as an argument vector: no shell, no
// added quotes, so blanks, quotes and "$" in a path arrive as they are. A browsed file is
// only ever an argument: it is never run itself, whatever its name.

#include <QString>
#include <QStringList>

#include <functional>

// Starts a program with its arguments, detached; true when it started.
using TProcessStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
bool StartDetached(const QString& program, const QStringList& arguments);

// The program and arguments of a desktop entry's Exec for the file: quoting and escapes as the
// desktop entry standard gives them, %f %F %u %U the file (as a URL for %u %U), %c the
// name, %k the entry, %i the icon option, %% a "%", the deprecated codes dropped; an Exec with
// no file code gets the file at the end. Empty without an Exec.
QStringList DesktopEntryCommand(const QString& entryPath, const QString& file);

// Opens the file with the program: a desktop entry runs its Exec, any other program gets the
// file as its one argument. Without a program the file is opened as the desktop opens it.
// shortName passes the file's absolute path (there are no short names).
bool _LaunchFile(const QString& program, const QString& file, bool shortName = false,
                 const TProcessStarter& start = StartDetached);
// Opens a file or address as the desktop does.
bool ShellOpen(const QString& fileOrUrl);
