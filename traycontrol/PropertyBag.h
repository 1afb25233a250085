#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace pellimore {

// The property bag a host form keeps for each of its controls: named values
// the control writes when the form is saved and reads back when it loads.
class PropertyBag {
public:
    // The stored value, or defaultValue when the name was never written.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = QVariant()) const
    {
        return values_.value(name, defaultValue);
    }
    void WriteProperty(const QString &name, const QVariant &value) { values_.insert(name, value); }
    bool Contains(const QString &name) const { return values_.contains(name); }

    // The whole bag as bytes, for the form's file, and back; nothing when
    // the bytes are not a bag.
    QByteArray ToBytes() const;
    static std::optional<PropertyBag> FromBytes(const QByteArray &bytes);

private:
    QVariantMap values_;
};

}  // namespace pellimore
