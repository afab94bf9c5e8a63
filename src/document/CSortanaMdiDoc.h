#pragma once

#include "analysis/ClusterNode.h"
#include "import/StudySummary.h"

#include <QString>
#include <QStringList>

#include <memory>
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

// One processed study as the dendrogram needs it, with the dendrogram's presentation
// settings. Either empty, or it holds a tree, the item names, the summary and one mean fit
// per item. Cluster nodes belong to the node registry and are never freed here.
class CSortanaMdiDoc {
public:
    static constexpr quint32 white = 0xFFFFFF;

    CSortanaMdiDoc() = default;
    CSortanaMdiDoc(const CSortanaMdiDoc &) = delete;
    CSortanaMdiDoc &operator=(const CSortanaMdiDoc &) = delete;

    bool hasStudy() const { return summary != nullptr; }

    // Stores the document in the file format, or loads it; a load that returns false has
    // left the document as it was.
    void Serialize(ArchiveWriter &archive) const;
    bool Serialize(ArchiveReader &archive);

    // What the import command does once the wizard closed with OK: the export run, then the
    // results move into the document, which is named after the input file. Returns false
    // (after telling the user) when an analysis file could not be written; the study is
    // taken all the same.
    bool CompleteImport(ImportRun &run);

    void AttachDialogBar();
    void OnCloseDocument();
    void addView(DocumentView *view) { m_views.push_back(view); }
    void removeView(DocumentView *view) { std::erase(m_views, view); }
    void UpdateAllViews(UpdateHint hint);
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    bool IsModified() const { return m_modified; }
    QString title;
    QString pathName;

    DocumentBar *dialogBar = nullptr;
    ClusterNode *clusterRoot = nullptr;
    std::unique_ptr<DocumentLayout> layout;
    std::unique_ptr<QStringList> itemNames;
    std::unique_ptr<StudySummary> summary;
    std::unique_ptr<std::vector<double>> itemAverageFit;
    QString fontName = QStringLiteral("Arial");
    qint32 fontSize = 12;
    qint32 numberOfGroups = 2;
    quint32 colour1 = white;   // 0x00BBGGRR
    quint32 colour2 = white;
    DrawingSize drawingSize;
    qint32 itemCount = 0;
    qint32 totalGroups = 0;
    qint32 participantCount = 0;

private:
    bool m_modified = false;
    std::vector<DocumentView *> m_views;
};

} // namespace sortana
