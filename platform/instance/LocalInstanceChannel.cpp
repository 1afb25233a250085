#include "platform/instance/LocalInstanceChannel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <cerrno>
#include <cstring>

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace pellimore {

namespace {

constexpr int kTimeoutMs = 3000;

QByteArray RequestName(InstanceChannel::Request request)
{
    switch (request) {
    case InstanceChannel::Request::Raise:
        return "raise";
    case InstanceChannel::Request::NextWallpaper:
        return "next";
    }
    return {};
}

// True when only this user can create or remove entries in the folder: a
// real folder (not a link), owned by the user, writable by no one else.
// Otherwise another local user could take the lock name first or listen on
// the socket name and answer in this program's place.
bool IsPrivateFolder(const QString &folder, QString *why)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
        *why = QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(info.st_mode))
        *why = QStringLiteral("%1 is not a folder").arg(folder);
    else if (info.st_uid != ::getuid())
        *why = QStringLiteral("%1 belongs to another user").arg(folder);
    else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        *why = QStringLiteral("%1 can be written by other users").arg(folder);
    else
        return true;
    return false;
}

// $XDG_RUNTIME_DIR when it is private; else the user's own folder
// "<cache>/Corvane/run", created 0700 and checked the same way. Never a
// fixed name in a shared folder. Empty (with the reason) when neither is safe.
QString PrivateFolder(QString *why)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime, why))
        return runtime;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = cache + QStringLiteral("/Corvane/run");
    QDir().mkpath(cache + QStringLiteral("/Corvane"));
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    return IsPrivateFolder(folder, why) ? folder : QString();
}

}  // namespace

LocalInstanceChannel::LocalInstanceChannel(const QString &name, const QString &folder)
{
    const QString where = folder.isEmpty() ? PrivateFolder(&unavailable_) : folder;
    if (where.isEmpty())
        return;
    unavailable_.clear();
    const QString base = where + "/" + name + "-" + QString::number(getuid());
    lockPath_ = base + ".lock";
    socketPath_ = base + ".socket";
}

LocalInstanceChannel::~LocalInstanceChannel()
{
    if (server_)
        server_->close();
}

bool LocalInstanceChannel::ClaimFirstInstance()
{
    if (lock_)
        return true;
    if (!unavailable_.isEmpty()) {
        // No safe place for the channel: this process runs on its own
        // rather than meet another user's files.
        qWarning("Single-instance channel not used: %s", qPrintable(unavailable_));
        return true;
    }
    auto lock = std::make_unique<QLockFile>(lockPath_);
    // Only a live owner counts: the lock of a process that has died is stale
    // at once, whatever its age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    lock_ = std::move(lock);

    // A socket file left by a killed first instance would refuse the listen.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { AcceptConnections(); });
    // Without the channel this is still the first instance; later starts then
    // only learn that it runs.
    server_->listen(socketPath_);
    return true;
}

void LocalInstanceChannel::AcceptConnections()
{
    while (QLocalSocket *socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                socket->write("ok\n");
                socket->flush();
                if (line == RequestName(Request::Raise))
                    Deliver(Request::Raise);
                else if (line == RequestName(Request::NextWallpaper))
                    Deliver(Request::NextWallpaper);
            }
        });
    }
}

bool LocalInstanceChannel::SendToFirstInstance(Request request)
{
    if (socketPath_.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write(RequestName(request) + "\n");
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kTimeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == "ok";
}

}  // namespace pellimore
