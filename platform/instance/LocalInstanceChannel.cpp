#include "platform/instance/LocalInstanceChannel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

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

QString DefaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

}  // namespace

LocalInstanceChannel::LocalInstanceChannel(const QString &name, const QString &folder)
{
    const QString base = (folder.isEmpty() ? DefaultFolder() : folder) + "/" + name + "-" +
                         QString::number(getuid());
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
