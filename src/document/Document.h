#pragma once

#include "analysis/Adequacy.h"
#include "analysis/ClusterTree.h"
#include "analysis/Standardisation.h"
#include "analysis/TreeSupport.h"
#include "import/PairMatrix.h"
#include "import/StudySorts.h"
#include "import/StudySummary.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace sortana {

class ArchiveReader;
class ArchiveWriter;
class DocumentBar;
class DocumentView;
enum class UpdateHint;
class ImportRun;

// The geometry of the last drawing, kept for the view's mouse handling; the drawing code
// defines what it holds.
class DocumentLayout {
public:
    virtual ~DocumentLayout() = default;
};

// 0.01 mm.
struct DrawingSize {
    qint32 cx = 15000;
    qint32 cy = 10000;
    bool operator==(const DrawingSize &) const = default;
};

// The pair matrix of the import, kept with the document for the similarity matrix: counts of
// item indexes i < j in the cell (i, j), weighted scores in the cell (j, i), as the reader
// fills it (the expert's sort is not in it).
struct SimilarityData {
    PairMatrix matrix;
    qint32 countedParticipants = 0;
    qint32 copies = 1;

    int itemCount() const { return matrix.size(); }
    qint32 count(int a, int b) const { return a == b ? 0 : matrix.at(std::min(a, b), std::max(a, b)); }
    qint32 weightedScore(int a, int b) const { return a == b ? 0 : matrix.at(std::max(a, b), std::min(a, b)); }
    // The most a pair can count: every copy of each counted participant with every copy.
    double maxCount() const { return double(countedParticipants) * copies * copies; }
    // The pair's count as a share of that: 0 to 1, unless a card was placed twice in one
    // group; 0 when nobody was counted.
    double share(int a, int b) const { return maxCount() > 0 ? count(a, b) / maxCount() : 0.0; }
};

// One processed study as the dendrogram needs it, with the dendrogram's presentation
// settings. Either empty, or it holds a tree, the item names, the summary and one mean fit
// per item. The tree is shared with whoever still reads or draws it.
class Document {
public:
    static constexpr quint32 white = 0xFFFFFF;

    Document() = default;
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    bool hasStudy() const { return summary != nullptr; }

    // Stores the document in the file format, or loads it; a load that returns false has
    // left the document as it was.
    void serialize(ArchiveWriter &archive) const;
    bool serialize(ArchiveReader &archive);

    // What the import command does once the wizard closed with OK: the export run, then the
    // results move into the document, which is named after the input file. Returns false
    // (after telling the user) when an analysis file could not be written; the study is
    // taken all the same.
    bool completeImport(ImportRun &run);
    // Takes a finished run's study (tree, names, summary, fit, matrix) in place of the
    // document's, keeping its sorts and settings; the number of groups follows the study.
    void takeStudy(ImportRun &run);

    // The study and its settings, without views, bar or layout, for work on another thread
    // while this document stays on screen: the tree is shared, as it never changes, and
    // lives on with the copy whatever becomes of the document. Null when there is not the
    // memory for its matrix.
    std::unique_ptr<Document> studyCopy() const;

    void attachSettingsBar();
    void closeDocument();
    void addView(DocumentView *view) { m_views.push_back(view); }
    void removeView(DocumentView *view) { std::erase(m_views, view); }
    void updateAllViews(UpdateHint hint);
    void setModified(bool modified = true)
    {
        if (std::exchange(m_modified, modified) != modified && modifiedChanged)
            modifiedChanged();
    }
    bool isModified() const { return m_modified; }
    // Told when the modified flag changes, for the windows' titles.
    std::function<void()> modifiedChanged;
    QString title;
    QString pathName;

    DocumentBar *dialogBar = nullptr;
    // Null when there is no tree.
    std::shared_ptr<const ClusterTree> clusterTree;
    const ClusterNode *clusterRoot() const { return clusterTree ? clusterTree->root() : nullptr; }
    std::unique_ptr<DocumentLayout> layout;
    std::unique_ptr<QStringList> itemNames;
    std::unique_ptr<StudySummary> summary;
    std::unique_ptr<std::vector<double>> itemAverageFit;
    // Null for a document that was saved without it (by an older program).
    std::unique_ptr<SimilarityData> similarity;
    QString fontName = QStringLiteral("Arial");
    qint32 fontSize = 12;
    qint32 numberOfGroups = 2;
    quint32 colour1 = white;   // 0x00BBGGRR
    quint32 colour2 = white;
    DrawingSize drawingSize;
    qint32 itemCount = 0;
    qint32 totalGroups = 0;
    qint32 participantCount = 0;
    // A view setting kept in the program's extension block: the scale under the dendrogram.
    bool showSimilarityScale = true;
    // Every participant's sort; null for a document saved without them (by an older
    // program), which the analyses of group names then cannot serve.
    std::unique_ptr<StudySorts> sorts;
    // The user's standard names for the participants' group names.
    Standardisation standardisation;
    // A view setting: the suggested names of the dendrogram's groups, off unless saved on.
    bool showGroupNames = false;
    // The resampling results of the study as it stands, kept so that they open without
    // running again; resamplingParticipants() and dropResamplingResults() go with them.
    std::optional<TreeSupport> treeSupport;
    std::optional<Adequacy> adequacy;
    // A view setting: each join's support drawn beside it, off unless saved on.
    bool showJoinSupport = false;
    // The participants the study leaves out: indexes into the sorts, in file order,
    // ascending; empty when everybody counts.
    std::vector<qint32> leftOut;
    // The absolute folder the analysis files were last written to, by an import or Analyse
    // Again; empty for a document that never said.
    QString analysisFolder;

private:
    bool m_modified = false;
    std::vector<DocumentView *> m_views;
};

} // namespace sortana
