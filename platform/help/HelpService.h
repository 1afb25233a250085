#pragma once

#include <QString>

namespace pellimore {

// Opens the program's help: a help file at a numbered context or at a keyword.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual bool ShowContext(const QString &helpFile, int context) = 0;
    virtual bool ShowKeyword(const QString &helpFile, const QString &keyword) = 0;
};

}  // namespace pellimore
