#pragma once
// One running program per user. The first start holds a lock file in the runtime folder and
// listens on a local socket beside it; a later start hands its command line over the socket
// and ends once the running program has acknowledged it. The lock is the kernel's (flock), so
// it goes with its process: after a crash the next start takes it and replaces the stale
// socket.

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

enum class TInstanceRole {
    First,      // this process serves: OnInstanceStarted gets the command lines of later starts
    HandedOver, // the running program has the command line; this process should end
    Alone       // the running program could not be reached in time: run without serving
};

class TSingleInstance {
public:
    // The lock is runtimeFolder + name + ".lock", the socket runtimeFolder + name + ".socket".
    explicit TSingleInstance(QString runtimeFolder, QString name = QStringLiteral("glimmet"));
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Needs a QCoreApplication. Sends the arguments with relative paths made absolute. Gives up
    // after the timeout when another process holds the lock but does not answer.
    TInstanceRole Start(const QStringList& arguments,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // Called from the event loop with a later start's arguments, after that start has been
    // told they arrived, so a slow or modal handler never keeps it waiting.
    std::function<void(const QStringList& arguments)> OnInstanceStarted;

    // Relative arguments made absolute against the folder; absolute paths, options ("-x") and
    // empty arguments stay as they are.
    static QStringList AbsoluteArguments(const QStringList& arguments,
                                         const QString& currentFolder);

private:
    bool Serve();
    bool Deliver(const QByteArray& message, const QDeadlineTimer& deadline);
    void AcceptConnections();
    void Receive(QLocalSocket* socket, QByteArray& buffer);
    void ReleaseLock();

    QString FSocketPath;
    QString FLockPath;
    int FLockFd = -1;
    std::unique_ptr<QLocalServer> FServer;
};
