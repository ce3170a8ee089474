#include "single_instance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A message is a 32-bit big-endian length, then each argument in UTF-8 ended by a zero byte.
// The answer is one acknowledge byte.
constexpr char Acknowledge = '\x06';
constexpr qsizetype MaxPayload = 1 << 20;
constexpr int RetryDelayMs = 50;
constexpr std::chrono::seconds ReceiveTimeout(10);

QByteArray Frame(const QStringList& arguments) {
    QByteArray payload;
    for (const QString& argument : arguments) payload += argument.toUtf8() + '\0';
    QByteArray length(4, '\0');
    qToBigEndian(static_cast<quint32>(payload.size()), length.data());
    return length + payload;
}

enum class TFrameState { Incomplete, Complete, Invalid };

TFrameState Unframe(const QByteArray& buffer, QStringList& arguments) {
    if (buffer.size() < 4) return TFrameState::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(buffer.constData());
    if (length > MaxPayload) return TFrameState::Invalid;
    const qsizetype total = 4 + static_cast<qsizetype>(length);
    if (buffer.size() < total) return TFrameState::Incomplete;
    const QByteArray payload = buffer.mid(4, length);
    if (buffer.size() > total || (!payload.isEmpty() && !payload.endsWith('\0')))
        return TFrameState::Invalid;
    arguments.clear();
    qsizetype start = 0;
    for (qsizetype end = payload.indexOf('\0'); end >= 0; end = payload.indexOf('\0', start)) {
        arguments << QString::fromUtf8(payload.mid(start, end - start));
        start = end + 1;
    }
    return TFrameState::Complete;
}

int RemainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

} // namespace

TSingleInstance::TSingleInstance(QString runtimeFolder, QString name)
    : FSocketPath(runtimeFolder + name + ".socket"), FLockPath(runtimeFolder + name + ".lock") {}

TSingleInstance::~TSingleInstance() {
    // The socket goes before the lock, so whoever takes the lock next finds no socket of ours.
    FServer.reset();
    ReleaseLock();
}

QStringList TSingleInstance::AbsoluteArguments(const QStringList& arguments,
                                               const QString& currentFolder) {
    QStringList result;
    const QDir folder(currentFolder);
    for (const QString& argument : arguments) {
        const bool keep =
            argument.isEmpty() || argument.startsWith(u'/') || argument.startsWith(u'-');
        result << (keep ? argument : QDir::cleanPath(folder.absoluteFilePath(argument)));
    }
    return result;
}

TInstanceRole TSingleInstance::Start(const QStringList& arguments,
                                     std::chrono::milliseconds timeout) {
    if (!FLockPath.startsWith(u'/')) return TInstanceRole::Alone; // no runtime folder
    FLockFd = ::open(QFile::encodeName(FLockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FLockFd < 0) return TInstanceRole::Alone;
    const QByteArray message = Frame(AbsoluteArguments(arguments, QDir::currentPath()));
    const QDeadlineTimer deadline(timeout);
    // Retried, since the holder of the lock may be just starting (not yet listening) or just
    // ending (lock not yet released).
    for (;;) {
        if (::flock(FLockFd, LOCK_EX | LOCK_NB) == 0)
            return Serve() ? TInstanceRole::First : TInstanceRole::Alone;
        if (Deliver(message, deadline)) {
            ReleaseLock();
            return TInstanceRole::HandedOver;
        }
        if (deadline.hasExpired()) break;
        QThread::msleep(RetryDelayMs);
    }
    ReleaseLock();
    return TInstanceRole::Alone;
}

bool TSingleInstance::Serve() {
    // We hold the lock, so a socket file left here belongs to a crashed instance.
    QLocalServer::removeServer(FSocketPath);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FSocketPath)) {
        FServer.reset();
        ReleaseLock();
        return false;
    }
    QObject::connect(FServer.get(), &QLocalServer::newConnection, FServer.get(),
                     [this] { AcceptConnections(); });
    return true;
}

bool TSingleInstance::Deliver(const QByteArray& message, const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(FSocketPath);
    if (!socket.waitForConnected(RemainingMs(deadline))) return false;
    socket.write(message);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(RemainingMs(deadline))) return false;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(RemainingMs(deadline))) return false;
    char answer = 0;
    return socket.getChar(&answer) && answer == Acknowledge;
}

void TSingleInstance::AcceptConnections() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket, buffer] { Receive(socket, *buffer); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(ReceiveTimeout, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0) Receive(socket, *buffer);
    }
}

void TSingleInstance::Receive(QLocalSocket* socket, QByteArray& buffer) {
    buffer += socket->readAll();
    QStringList arguments;
    switch (Unframe(buffer, arguments)) {
    case TFrameState::Incomplete:
        return;
    case TFrameState::Invalid:
        socket->abort();
        return;
    case TFrameState::Complete:
        break;
    }
    // Written out now: the handler may block the event loop that would send it later.
    socket->write(&Acknowledge, 1);
    socket->flush();
    socket->disconnectFromServer();
    QMetaObject::invokeMethod(
        FServer.get(),
        [this, arguments] {
            if (OnInstanceStarted) OnInstanceStarted(arguments);
        },
        Qt::QueuedConnection);
}

void TSingleInstance::ReleaseLock() {
    // The lock file stays: removing it would let two starts lock two different files.
    if (FLockFd >= 0) ::close(FLockFd);
    FLockFd = -1;
}
