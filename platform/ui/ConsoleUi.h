#pragma once

#include <cstdio>

#include "platform/ui/NullUi.h"

namespace pellimore {

// The ui of command-line tools: a NullUi that also prints every message box
// to stderr as "title: text".
class ConsoleUi final : public NullUi {
public:
    MessageResult MessageBox(const MessageBoxRequest &request) override
    {
        std::fprintf(stderr, "%s: %s\n", request.title.toLocal8Bit().constData(),
                     request.text.toLocal8Bit().constData());
        return NullUi::MessageBox(request);
    }
};

}  // namespace pellimore
