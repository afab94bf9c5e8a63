#pragma once

#include <QString>
#include <QStringView>

namespace sortana {

// What makes two group names one category: the name in NFKC, case-folded, with white space
// trimmed at both ends and every inner run of it made one space.
QString categoryKey(QStringView name);

// What makes two categories worth offering as one: the category key decomposed (NFD), without
// its non-spacing marks and case-folded again, so that spellings apart only in accents meet.
// Letters that are no accented forms of others stay apart ("ß" and "ss", "ı" and "i").
QString suggestionKey(QStringView name);

// A group without a name belongs to no category: the placeholder "-----", a name of nothing
// but white space, or a table's group known only by its category id.
bool isUnnamedGroup(QStringView name, bool idOnly);

} // namespace sortana
