#pragma once

#include "platform/ConsolePlatform.h"

namespace sortana {

// The console's services with the workbook reader, which the command line links and the
// core does not.
class CliPlatform final : public ConsolePlatform {
public:
    using ConsolePlatform::ConsolePlatform;

    bool readWorkbook(const QString &path, const QString &sheet, Table &table, QString &error) override;
};

} // namespace sortana
