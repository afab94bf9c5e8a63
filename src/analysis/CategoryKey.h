#pragma once

#include <QString>
#include <QStringView>

namespace sortana {

// What makes two group names one category: the name in NFKC, case-folded, with white space
// trimmed at both ends and every inner run of it made one space.
QString categoryKey(QStringView name);

// A group without a name belongs to no category: the placeholder "-----", a name of nothing
// but white space, or a table's group known only by its category id.
bool isUnnamedGroup(QStringView name, bool idOnly);

} // namespace sortana
