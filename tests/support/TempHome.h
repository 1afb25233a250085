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

// The third-party test pictures (tests/data of this source tree, see its
// README.md), or the folder PELLIMORE_TESTDATA names.
QString TestDataPath(const QString &relative = QString());
// A file of this source tree.
QString SourcePath(const QString &relative);

}  // namespace pellimore::test
