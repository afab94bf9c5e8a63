#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>

namespace sortana {

// Fills the program's fixed message texts the way printf would: each %d or %s takes the
// next value in order, and %% is one percent sign. Values are never read as formats.
QString formatMessage(QStringView format, std::initializer_list<QString> values);

} // namespace sortana
