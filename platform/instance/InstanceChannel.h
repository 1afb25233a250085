#pragma once

#include <QString>

#include <functional>

namespace pellimore {

// The per-user single-instance test, and the channel through which a second
// start asks the first to act.
class InstanceChannel {
public:
    // Raise: bring the settings window forward. NextWallpaper: change to the
    // next picture (`WallPaper --next`).
    enum class Request { Raise, NextWallpaper };

    virtual ~InstanceChannel() = default;

    // True when this process is the first instance (it now answers requests);
    // false when another instance of the program is running.
    virtual bool ClaimFirstInstance() = 0;
    // Sends a request to the first instance; false when none answered.
    virtual bool SendToFirstInstance(Request request) = 0;
    // Called in the first instance, on its event loop, for every request.
    void SetRequestHandler(std::function<void(Request)> handler) { handler_ = std::move(handler); }

protected:
    void Deliver(Request request)
    {
        if (handler_)
            handler_(request);
    }

private:
    std::function<void(Request)> handler_;
};

}  // namespace pellimore
