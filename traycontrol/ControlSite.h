#pragma once

#include <QString>

namespace pellimore {

// What a control asks of the form that holds it.
class ControlSite {
public:
    // The host's user mode: true when the form runs, false while it is
    // being designed.
    virtual bool UserMode() const = 0;
    // A property changed, so the form is saved with it.
    virtual void PropertyChanged(const QString &name) = 0;

protected:
    ~ControlSite() = default;
};

}  // namespace pellimore
