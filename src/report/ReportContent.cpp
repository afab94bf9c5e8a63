#include "report/ReportContent.h"

#include "analysis/CategoryExport.h"
#include "analysis/Cophenetic.h"
#include "analysis/CsvText.h"
#include "analysis/GroupNames.h"
#include "analysis/LeftOut.h"
#include "analysis/ParticipantChecks.h"
#include "analysis/ResamplingExport.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "document/StudyFacts.h"
#include "drawing/PictureExport.h"

#include <algorithm>

namespace sortana {

namespace {

// More categories than this make a table and a picture nobody reads on paper; the rest are
// counted in a note.
constexpr std::size_t reportedCategories = 30;

ReportBlock paragraph(const QString &text)
{
    ReportBlock block;
    block.text = text;
    return block;
}

ReportBlock table(ReportTable rows)
{
    ReportBlock block;
    block.kind = ReportBlock::Kind::Table;
    block.table = std::move(rows);
    return block;
}

// A table of figures under the titles given, one per column; figures set flush right.
ReportTable reportTable(const FigureTable &figures, const QStringList &titles)
{
    ReportTable rows{titles, {}, {}, {}, {}};
    for (const FigureColumn &column : figures.columns)
        rows.numeric.push_back(column.kind != FigureColumn::Kind::Text);
    for (const std::vector<FigureCell> &cells : figures.rows) {
        QStringList row;
        for (std::size_t c = 0; c < cells.size(); ++c)
            row.append(figureText(figures.columns[c], cells[c]));
        rows.rows.push_back(std::move(row));
    }
    return rows;
}

ReportBlock picture(ReportPicture which, const QString &caption)
{
    ReportBlock block;
    block.kind = ReportBlock::Kind::Picture;
    block.picture = which;
    block.text = caption;
    return block;
}

// The bands the dendrogram is cut into: the document's number of groups, unless the tree
// has fewer cards or joins to cut.
QString groupsCut(std::size_t groups)
{
    return groups == 1 ? QStringLiteral("1 group") : QStringLiteral("%1 groups").arg(groups);
}

// Why a section that needs the participants' sorts is not there.
QString withoutSorts(const QString &what)
{
    return what + QStringLiteral(" cannot be shown: ") + QString::fromUtf16(sortsMissingMessage);
}

ReportSection studySection(const Document &document, const QDateTime &created)
{
    ReportTable facts{{QStringLiteral("Study"), QString()}, {}, {false, false}, {}, {}};
    for (const StudyFact &fact : studyFacts(document))
        facts.rows.push_back({fact.label, fact.value});
    facts.rows.push_back({QStringLiteral("Report made"), created.toUTC().toString(Qt::ISODate)});
    return {QStringLiteral("The study"), {table(std::move(facts))}};
}

ReportSection dendrogramSection(const Document &document, std::size_t groups)
{
    QStringList shown{QStringLiteral("the similarity scale below it")};
    if (!document.settings().showSimilarityScale)
        shown.clear();
    if (document.settings().showGroupNames && document.study().sorts)
        shown << QStringLiteral("each group's suggested name at its top right");
    if (document.settings().showJoinSupport && document.treeSupport())
        shown << QStringLiteral("each join's support and each group's stability from %1 replicates (seed %2)")
                     .arg(QString::number(document.treeSupport()->replicates),
                          QString::number(document.treeSupport()->seed));
    QString caption = QStringLiteral("The cards clustered into a tree, cut into %1 (the bands)").arg(groupsCut(groups));
    if (!shown.isEmpty())
        caption += QStringLiteral(", with ") + shown.join(QStringLiteral(", "));
    return {QStringLiteral("The dendrogram"),
            {paragraph(QStringLiteral("Cards that participants often put into one group join near the right; the "
                                      "further left two branches join, the less often their cards were sorted "
                                      "together.")),
             picture(ReportPicture::Dendrogram, caption + u'.')}};
}

// The groups of the cut, named when the categories are known.
ReportSection groupsSection(const Document &document, const std::vector<GroupName> &groups,
                            const std::optional<CategoryTable> &categories)
{
    const std::vector<int> &leaves = document.leafOrder();
    std::vector<double> stability;
    if (document.treeSupport())
        stability = groupStability(*document.treeSupport(), document.study(), document.settings().numberOfGroups);
    const bool named = categories.has_value();
    const bool stable = stability.size() == groups.size();

    // A group's number, name and stability head its cards once.
    ReportTable cards{{QStringLiteral("Card")}, {}, {false}, {}, {}};
    for (std::size_t g = 0; g < groups.size(); ++g) {
        QString heading = QStringLiteral("Group %1").arg(g + 1);
        if (named && !groups[g].candidates.empty())
            heading += QStringLiteral(": ") + suggestedName(groups[g], *categories);
        if (stable)
            heading += QStringLiteral(" (stability %1 %)").arg(fixedText(stability[g], 1));
        cards.headings.insert(cards.rows.size());
        cards.rows.push_back({heading});
        for (int row = groups[g].firstRow; row < groups[g].firstRow + groups[g].rowCount; ++row)
            cards.rows.push_back({document.study().itemNames.value(leaves[std::size_t(row)])});
    }

    ReportSection section{QStringLiteral("The groups"),
                          {paragraph(QStringLiteral("The dendrogram cut into %1, numbered from the top, each card "
                                                    "in the dendrogram's order.")
                                         .arg(groupsCut(groups.size())))}};
    if (named)
        section.blocks.push_back(paragraph(QStringLiteral(
            "A group's suggested name is the name participants most often gave the groups they put its cards in.")));
    else
        section.blocks.push_back(paragraph(withoutSorts(QStringLiteral("The groups' suggested names"))));
    section.blocks.push_back(table(std::move(cards)));
    return section;
}

ReportSection matrixSection(const Document &document)
{
    if (!document.study().similarity)
        return {QStringLiteral("The similarity matrix"), {paragraph(noMatrixMessage)}};
    return {QStringLiteral("The similarity matrix"),
            {paragraph(QStringLiteral("Every pair of cards, in the dendrogram's order both ways: the darker a cell, "
                                      "the more participants put the two cards into one group. The squares on the "
                                      "diagonal are the dendrogram's groups.")),
             picture(ReportPicture::SimilarityMatrix,
                     QStringLiteral("The share of participants who put each pair of cards together."))}};
}

ReportSection categoriesSection(const std::optional<CategoryTable> &categories, std::optional<CategoryTable> &shown)
{
    const QString title = QStringLiteral("What participants called their groups");
    if (!categories)
        return {title, {paragraph(withoutSorts(QStringLiteral("The categories and the placement matrix")))}};
    if (categories->categories.empty())
        return {title, {paragraph(QStringLiteral("No participant gave a group of cards a name."))}};

    shown = *categories;
    const std::size_t more =
        shown->categories.size() > reportedCategories ? shown->categories.size() - reportedCategories : 0;
    shown->categories.resize(shown->categories.size() - more);
    ReportTable rows =
        reportTable(categoriesTable(*shown),
                    {QStringLiteral("Category"), QStringLiteral("Participants"), QStringLiteral("Groups"),
                     QStringLiteral("Cards"), QStringLiteral("Agreement (%)")});
    if (more > 0) {
        rows.note = more == 1 ? QStringLiteral("1 more category is not shown.")
                              : QStringLiteral("%1 more categories are not shown.").arg(more);
    }
    ReportSection section{
        title,
        {paragraph(QStringLiteral("Group names that differ only in capitals or spacing count as one category. "
                                  "Agreement is how much the participants who used a category agreed on its "
                                  "cards, from 0 to 100.")),
         table(std::move(rows))}};
    section.blocks.push_back(
        picture(ReportPicture::PlacementMatrix,
                QStringLiteral("Where the participants placed each card: the darker a cell, the larger the share of "
                               "the card's participants who put it in a group of that category.")));
    return section;
}

ReportSection participantsSection(const Document &document)
{
    const QString title = QStringLiteral("Who sorted how");
    if (!document.study().sorts)
        return {title, {paragraph(withoutSorts(QStringLiteral("The participants' figures")))}};
    const ParticipantChecks &checks = *document.figures().participantChecks();
    ReportTable rows{{QStringLiteral("#"), QStringLiteral("Participant"), QStringLiteral("Groups"),
                      QStringLiteral("Cards"), QStringLiteral("Mean distance (%)"), QStringLiteral("Flags")},
                     {},
                     {true, false, true, true, true, false},
                     {},
                     {}};
    for (const ParticipantCheck &check : checks.rows) {
        QStringList notes;
        if (!document.study().sorts->participants[std::size_t(check.index)].counted)
            notes << QStringLiteral("the expert: not compared");
        else if (!check.checked)
            notes << QStringLiteral("no card placed: not compared");
        notes << flagTexts(check.flags);
        if (std::binary_search(document.study().leftOut.begin(), document.study().leftOut.end(), check.index))
            notes << QStringLiteral("left out");
        rows.rows.push_back({QString::number(check.index + 1), check.id, QString::number(check.groups),
                             QString::number(check.cards), meanDistanceText(check), notes.join(QStringLiteral(", "))});
    }
    const QString leftOut = leftOutText(document.study());
    ReportSection section{
        title,
        {paragraph(QStringLiteral("Each participant's sort compared with the others': the mean distance is the share "
                                  "of their cards they would have to move, on average, to sort as another "
                                  "participant did. Flags mark sorts that may not have been made in earnest.")),
         table(std::move(rows)),
         paragraph(leftOut.isEmpty() ? QStringLiteral("Every participant is counted.")
                                     : QStringLiteral("Left out of the analysis: ") + leftOut)}};

    section.blocks.push_back(paragraph(
        checks.representative.empty()
            ? QStringLiteral("No two participants placed cards to compare, so no sort is the most representative.")
            : QStringLiteral("The most representative sorts, those closest to everybody else's:")));
    int rank = 0;
    for (const int row : checks.representative) {
        const ParticipantCheck &check = checks.rows[std::size_t(row)];
        section.blocks.push_back(paragraph(
            QStringLiteral("%1. %2 (#%3), mean distance %4 %")
                .arg(QString::number(++rank), check.id, QString::number(check.index + 1), meanDistanceText(check))));
        ReportTable groups{{QStringLiteral("Group"), QStringLiteral("Cards")}, {}, {false, false}, {}, {}};
        for (const SortGroup &group : document.study().sorts->participants[std::size_t(check.index)].groups) {
            const QStringList cards = distinctCardNames(group, document.study().itemNames);
            if (!cards.isEmpty())
                groups.rows.push_back({group.name, cards.join(QStringLiteral(", "))});
        }
        section.blocks.push_back(table(std::move(groups)));
    }
    return section;
}

ReportSection adequacySection(const Adequacy &adequacy)
{
    return {QStringLiteral("How many participants are enough"),
            {paragraph(QStringLiteral("Samples of fewer participants, drawn at random (%1 of each size, seed %2), "
                                      "compared with the whole study: the closer their correlation comes to 1, "
                                      "the less more participants would change the result.")
                           .arg(QString::number(adequacy.subsets), QString::number(adequacy.seed))),
             // The chart says how many are enough itself.
             picture(ReportPicture::AdequacyChart,
                     QStringLiteral("The mean correlation of the samples of each size with the whole study."))}};
}

ReportSection copheneticSection(double correlation)
{
    return {QStringLiteral("How well the tree keeps the pair scores"),
            {paragraph(QStringLiteral("The cophenetic correlation is %1. It compares how strongly every two cards "
                                      "were grouped with where the dendrogram joins them; near 1, the tree is a "
                                      "faithful summary of the sorts.")
                           .arg(formatCorrelation(correlation)))}};
}

ReportSection methodSection()
{
    return {QStringLiteral("The method"),
            {paragraph(QStringLiteral(
                 "In a card sort every participant sorts a set of cards, one per item, into groups that make sense "
                 "to them, and names the groups. Sortana counts for every two cards how many participants put them "
                 "into one group (weighted by how well each card fits its group, and by sub-groups, when the study "
                 "asks for them). Cards that are often put together are similar.")),
             paragraph(QStringLiteral(
                 "The dendrogram is built from these counts: the two most similar cards or branches are joined "
                 "first, then the next, until all are joined. Two branches are as similar as their cards are on "
                 "average. On the scale under the tree, 100 % is where a pair that every participant put together "
                 "would join, and 0 % where cards that nobody put together join. Cutting the tree at its loosest "
                 "joins gives the groups.")),
             paragraph(QStringLiteral(
                 "The participants' own names for their groups are gathered into categories. Each sort is also "
                 "compared with every other one by the fewest cards to move to turn one into the other; sorts far "
                 "from all others, or made with little care, are flagged, and can be left out of the analysis.")),
             paragraph(QStringLiteral(
                 "How far to trust the result is checked by analysing the study again many times with participants "
                 "drawn at random: a join or group that comes back in most of these runs does not depend on a few "
                 "participants, and when smaller samples already agree closely with the whole study, more "
                 "participants would change little."))}};
}

} // namespace

ReportContent buildReport(const Document &document, const QDateTime &created)
{
    ReportContent content;
    QString name;
    if (document.hasStudy()) {
        // Documents made on Windows name their input with backslashes.
        name = document.study().summary.fileName;
        name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
        name = name.left(name.lastIndexOf(u'.') > 0 ? name.lastIndexOf(u'.') : name.size());
    }
    content.title = name.isEmpty() ? QStringLiteral("Card sort report") : QStringLiteral("Card sort report: ") + name;
    if (!document.hasStudy() || !document.clusterRoot())
        return content;

    const std::optional<CategoryTable> &categories = documentCategories(document);
    const std::vector<GroupName> &groups = document.figures().cut(document.settings().numberOfGroups);
    content.sections.push_back(studySection(document, created));
    content.sections.push_back(dendrogramSection(document, groups.size()));
    content.sections.push_back(groupsSection(document, groups, categories));
    content.sections.push_back(matrixSection(document));
    content.sections.push_back(categoriesSection(categories, content.placements));
    content.sections.push_back(participantsSection(document));
    if (document.adequacy())
        content.sections.push_back(adequacySection(*document.adequacy()));
    if (const std::optional<double> cophenetic = copheneticCorrelation(document.study()))
        content.sections.push_back(copheneticSection(*cophenetic));
    content.sections.push_back(methodSection());
    return content;
}

} // namespace sortana
