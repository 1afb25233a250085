#pragma once

#include <QString>

namespace pellimore {

// Opens the program's help: a help file at its contents, a numbered context,
// a keyword or a named page, and closes it again.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual bool ShowContext(const QString &helpFile, int context) = 0;
    virtual bool ShowKeyword(const QString &helpFile, const QString &keyword) = 0;
    // The contents page; by default the help file's context 0.
    virtual bool ShowContents(const QString &helpFile) { return ShowContext(helpFile, 0); }
    // A page of the help file by its file name ("ss-setup.htm").
    virtual bool ShowTopic(const QString &helpFile, const QString &topic)
    {
        return ShowKeyword(helpFile + QStringLiteral("::/") + topic, QString());
    }
    // Closes every help window the service opened.
    virtual void Close() {}
};

}  // namespace pellimore
