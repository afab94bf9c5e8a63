#pragma once

#include "analysis/Adequacy.h"
#include "analysis/StudyFigures.h"
#include "analysis/TreeSupport.h"
#include "study/Settings.h"
#include "study/Standardisation.h"
#include "study/Study.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

namespace sortana {

class ArchiveReader;
class ArchiveWriter;

// 0.01 mm.
struct DrawingSize {
    qint32 cx = 15000;
    qint32 cy = 10000;
    bool operator==(const DrawingSize &) const = default;
};

// One study as a window shows it: the study itself, which never changes (a new analysis
// replaces it whole), the settings it is shown with, the user's standard names and the
// resampling results of the study as it stands. Windows follow it through its signals.
class Document : public QObject {
    Q_OBJECT

public:
    Document() = default;

    bool hasStudy() const { return m_study != nullptr; }
    // Only while hasStudy().
    const Study &study() const { return *m_study; }
    // For work on another thread: the study lives on with it whatever becomes of the document.
    const std::shared_ptr<const Study> &sharedStudy() const { return m_study; }
    // The study's tree; null without a study.
    const ClusterNode *clusterRoot() const { return m_study ? m_study->clusterRoot() : nullptr; }
    // What is worked out from the study and the standard names, kept until either changes.
    // Only while hasStudy().
    const StudyFigures &figures() const;
    // The items in the dendrogram's order; none without a study.
    const std::vector<int> &leafOrder() const;
    // Takes a new study (or none), dropping the resampling results of the one before, which
    // would no longer hold; with `followGroups`, the number of groups becomes the study's
    // average. Emits studyChanged.
    void setStudy(std::shared_ptr<const Study> study, bool followGroups = true);

    // The same study, shown the same way, for work on another thread while this document stays
    // on screen: the worker reads only its copy. The study itself is shared, never copied.
    std::unique_ptr<Document> copy() const;

    const Settings &settings() const { return m_settings; }
    // Emits presentationChanged when anything differs.
    void setSettings(const Settings &settings);

    // The user's standard names for the participants' group names.
    const Standardisation &standardisation() const { return m_standardisation; }
    void setStandardisation(Standardisation standardisation);

    // The resampling results of the study as it stands, kept so that they open without
    // running again.
    const std::optional<TreeSupport> &treeSupport() const { return m_treeSupport; }
    const std::optional<Adequacy> &adequacy() const { return m_adequacy; }
    void setTreeSupport(std::optional<TreeSupport> support);
    void setAdequacy(std::optional<Adequacy> adequacy);

    // Stores the document in the file format, or loads it; a load that returns false has
    // left the document as it was.
    void serialize(ArchiveWriter &archive) const;
    bool serialize(ArchiveReader &archive);

    void setModified(bool modified = true)
    {
        if (std::exchange(m_modified, modified) != modified)
            emit modifiedChanged();
    }
    bool isModified() const { return m_modified; }

    QString title;
    QString pathName;
    // The size the latest drawing of the dendrogram settled, saved with the document. Every
    // drawing settles it, on screen or off, so a const document takes it too: drawing
    // changes neither the study nor how it is shown.
    mutable DrawingSize drawingSize;
    // The user's width for the drawing; emits presentationChanged.
    void setDrawingWidth(qint32 width);
    // The absolute folder the analysis files were last written to, by an import or Analyse
    // Again; empty for a document that never said.
    QString analysisFolder;

signals:
    // A new study (or none): everything shown of it is out of date.
    void studyChanged();
    // The settings, standard names or resampling results changed: draw again.
    void presentationChanged();
    void modifiedChanged();

private:
    std::shared_ptr<const Study> m_study;
    Settings m_settings;
    Standardisation m_standardisation;
    std::optional<TreeSupport> m_treeSupport;
    std::optional<Adequacy> m_adequacy;
    mutable std::unique_ptr<StudyFigures> m_figures;
    bool m_modified = false;
};

} // namespace sortana
