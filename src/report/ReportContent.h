#pragma once

#include "analysis/Categories.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

namespace sortana {

class Document;

// The pictures a report can show. Each way of writing a report draws them its own way (the
// web page inline, the PDF at real size over pages), from the document it was built from.
enum class ReportPicture { Dendrogram, SimilarityMatrix, PlacementMatrix, AdequacyChart };

struct ReportTable {
    QStringList header;
    std::vector<QStringList> rows;
    // Per column: figures, set flush right.
    std::vector<bool> numeric;
    // The rows that head the rows below them, up to the next such row: their one cell spans
    // the table.
    std::set<std::size_t> headings;
    // A line under the table, on the page of its last row; none when empty.
    QString note;
};

struct ReportBlock {
    enum class Kind { Paragraph, Table, Picture };
    Kind kind = Kind::Paragraph;
    QString text; // the paragraph, or the picture's caption
    ReportTable table;
    ReportPicture picture = ReportPicture::Dendrogram;
};

struct ReportSection {
    QString title;
    std::vector<ReportBlock> blocks;
};

// What a report says, in the order it says it, with all study text as plain text: the
// writers escape or draw it as it stands.
struct ReportContent {
    QString title;
    std::vector<ReportSection> sections;
    // The categories the placement matrix picture shows (the first ones in category order);
    // none when the report has no placement matrix.
    std::optional<CategoryTable> placements;
};

// The report of the document as it stands. The document is not changed, but laying out its
// dendrogram settles its drawing size as showing it on screen does.
ReportContent buildReport(const Document &document, const QDateTime &created);

} // namespace sortana
