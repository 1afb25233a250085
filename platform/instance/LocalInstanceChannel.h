#pragma once

#include <QString>

#include <memory>

#include "platform/instance/InstanceChannel.h"

class QLocalServer;
class QLockFile;

namespace pellimore {

// The single-instance test of one program for one user: a lock file decides
// which process is first (a lock left by a killed process is taken over), and
// a local socket that only this user can reach carries the requests of later
// starts to the first instance.
class LocalInstanceChannel : public InstanceChannel {
public:
    // name: the program's name, used for the lock and socket file names.
    // folder: where they live; empty means $XDG_RUNTIME_DIR when only this
    // user can write it, else "<cache>/Corvane/run" (created 0700; its owner
    // and mode are checked). Without a safe folder the process claims to be
    // first and has no channel.
    explicit LocalInstanceChannel(const QString &name, const QString &folder = QString());
    ~LocalInstanceChannel() override;

    bool ClaimFirstInstance() override;
    bool SendToFirstInstance(Request request) override;

    QString SocketPath() const { return socketPath_; }
    // Why there is no channel (no folder only this user can write); empty when there is one.
    QString Unavailable() const { return unavailable_; }

private:
    void AcceptConnections();

    QString lockPath_;
    QString socketPath_;
    QString unavailable_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace pellimore
