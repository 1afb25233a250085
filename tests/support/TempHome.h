#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

namespace pellimore::test {

// A fresh, empty home folder for the life of the object: HOME and the XDG
// variables point into it, and everything is removed afterwards. The previous
// values are put back on destruction.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    QString Path() const;
    QString ConfigHome() const;     // $XDG_CONFIG_HOME
    QString Documents() const;      // the documents folder (created)

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QByteArray savedHome_, savedConfig_, savedData_, savedCache_, savedRuntime_;
};

// The shared third-party test pictures (../shared/testdata), from the
// environment the test runs in.
QString TestDataPath(const QString &relative = QString());
// A file of this source tree.
QString SourcePath(const QString &relative);

}  // namespace pellimore::test
