#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace sortana {

class Document;

// What a report or workbook says of the study it was made from, fact by fact: the input,
// who was counted and who left out (with their ids), the options.
struct StudyFact {
    QString label;
    QString value;
    bool figure = false; // a count, rather than text
};
std::vector<StudyFact> studyFacts(const Document &document);

// When a report or workbook is made: SOURCE_DATE_EPOCH when it is set, so that either can be
// made again byte for byte, otherwise now; in UTC.
QDateTime creationTime();

// A join's similarity as a percentage of the most the counted participants can score
// together, as its tooltip shows it; nothing when the study gives no such most.
std::optional<double> similarityPercent(const Document &document, double similarity);

} // namespace sortana
