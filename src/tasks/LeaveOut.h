#pragma once

#include "analysis/AnalysisSink.h"
#include "study/StudySorts.h"
#include "study/StudySummary.h"

#include <QString>

#include <optional>
#include <vector>

namespace sortana {

class Document;
struct Study;
class Platform;

// The analysis files of a study with `leftOutCount` participants left out: named after the
// input with "-without-N" added (with nobody left out, the input's own names), in the folder
// the document's analysis files were last written to, or, when it never said or that folder
// is gone, in the input's folder (for an input named relative to where it was imported,
// beside the document).
AnalysisFileNames leftOutFileNames(const Document &document, int leftOutCount);

// How Analyse Again runs, as for an import: whether a study that cannot be a card sort is
// warned of (ImportRun::setCheckStudyShape), and whether the analysis files get their UTF-8
// copies (ImportRun::setUtf8CsvCopies).
struct AnalyseAgainOptions {
    bool checkStudyShape = true;
    bool utf8CsvCopies = false;
};

// Runs the import engine again on the kept sorts without the participants left out (none:
// everybody counts again), writes the five analysis files as a set and takes the new study
// into the document, keeping every participant's sort and noting who was left out. False,
// after telling the user, when it could not: the document is then as it was.
bool analyseAgain(Document &document, std::vector<qint32> leftOut, const AnalysisFileNames &files, Platform &platform,
                  AnalyseAgainOptions options = {});

// Runs the engine analyseAgain() runs on the study as it stands, from the sorts it
// keeps, and hands the rows of its five outputs to the sink; no file is written and the
// document does not change. False, after telling the user, when the run failed.
bool analyseKept(const Study &study, AnalysisSink &sink, Platform &platform);

} // namespace sortana
