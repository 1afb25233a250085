#pragma once

#include <QDir>
#include <QString>

#include "platform/shell/ShellFolders.h"

namespace pellimore::test {

// Shell folders a test chooses. By default they lie in the test's temporary
// HOME: the program folder "$HOME/program" (not created), the documents
// folder "$HOME/Documents" (created when asked for, as the real one is) and
// the autostart folder "$XDG_CONFIG_HOME/autostart" (not created).
class FixedShellFolders final : public ShellFolders {
public:
    FixedShellFolders()
        : program_(QDir::homePath() + QStringLiteral("/program")),
          documents_(QDir::homePath() + QStringLiteral("/Documents")),
          autostart_(ConfigHome() + QStringLiteral("/autostart"))
    {
    }
    explicit FixedShellFolders(QString programFolder) : FixedShellFolders() { program_ = std::move(programFolder); }

    QString ProgramFolder() const override { return program_; }
    QString DocumentsFolder() const override
    {
        QDir().mkpath(documents_);
        return documents_;
    }
    QString AutostartFolder() const override { return autostart_; }

    void SetProgramFolder(QString folder) { program_ = std::move(folder); }
    void SetDocumentsFolder(QString folder) { documents_ = std::move(folder); }
    void SetAutostartFolder(QString folder) { autostart_ = std::move(folder); }

private:
    static QString ConfigHome()
    {
        const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
        return configured.startsWith(QLatin1Char('/')) ? configured : QDir::homePath() + QStringLiteral("/.config");
    }

    QString program_;
    QString documents_;
    QString autostart_;
};

}  // namespace pellimore::test
