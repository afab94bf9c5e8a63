#pragma once

#include "analysis/FigureTable.h"
#include "formats/WorkbookSheet.h"
#include "platform/Progress.h"

#include <QString>

#include <functional>

namespace sortana {

class Document;

// The workbook of a document's study, sheet by sheet: Study (what the report's study section
// says, the program's version and when the workbook was made); Cards, Items, Participants,
// Matrix and Weighted Matrix as the five analysis files of the sorts it keeps hold them;
// Categories, Placements, Groups, Participant Checks and Distances as sortana-cli export
// writes them (the checks with a column saying who is left out); then Support (with each
// join's similarity as a percentage), Stability and Adequacy when the document holds those
// figures. Each sheet is
// handed to `take` as soon as it is made, so that only one is in memory at a time.
// Returns false with a message for the user in `error` when the document has no sorts or a
// sheet could not be made, and with `error` empty when `progress` or `take` said to stop.
bool buildWorkbookSheets(const Document &document, const std::function<bool(WorkbookSheet &&)> &take,
                         const Progress &progress, QString &error);

// About how many cells the workbook's largest sheet has.
qint64 largestWorkbookSheet(const Document &document);

// A table of figures as a sheet: its header row, then its rows, each figure a number as
// its column shows it (a percent as a fraction) and each text trimmed.
WorkbookSheet figureSheet(const QString &name, const FigureTable &table);

// A cell of a column of text, or of a column of figures: there a number stays a number
// ("81%" a percent of 0.81) and anything else is text.
SheetCell sheetCell(const QString &text, bool textColumn);

} // namespace sortana
