#pragma once

#include "platform/Platform.h"

#include <cstdio>

namespace sortana {

// Headless services: every message becomes one line on an error stream, and warnings are
// answered by a fixed policy instead of a person.
class ConsolePlatform : public Platform {
public:
    enum class WarningPolicy { Continue, Cancel };

    explicit ConsolePlatform(WarningPolicy policy = WarningPolicy::Continue, std::FILE *stream = stderr);

    MessageAnswer messageBox(const QString &text, MessageIcon icon, MessageButtons buttons) override;
    bool shellOpen(const QString &pathOrAddress) override;
    void beginBusy() override {}
    void endBusy() override {}

    // "Sortana: " and the text with each line break turned into one space.
    static QString consoleLine(const QString &text);

private:
    WarningPolicy m_policy;
    std::FILE *m_stream;
};

} // namespace sortana
