#pragma once

#include "study/Study.h"

#include <QString>

#include <optional>
#include <vector>

namespace sortana {

// What the windows and commands on group names say of a document saved without the sorts.
inline constexpr char16_t sortsMissingMessage[] =
    u"This document was saved without the participants' sorts. Import the study again to add them.";

// Why the participants (indexes into the study's sorts, in file order) cannot be left
// out of the study: no sorts kept, the expert among them, one out of range, or
// nobody left to count. Nothing when they can.
std::optional<QString> leaveOutError(const Study &study, const std::vector<qint32> &leftOut);

// The sorts without those left out, in file order.
StudySorts keptSorts(const StudySorts &sorts, const std::vector<qint32> &leftOut);

// Who the study leaves out, for Properties: "2 of 20: P3 (#3), P7 (#7)", or
// nothing when everybody counts.
QString leftOutText(const Study &study);

} // namespace sortana
