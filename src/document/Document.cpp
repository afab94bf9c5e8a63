#include "document/Document.h"

namespace sortana {

const StudyFigures &Document::figures() const
{
    if (!m_figures)
        m_figures = std::make_unique<StudyFigures>(m_study, m_standardisation);
    return *m_figures;
}

const std::vector<int> &Document::leafOrder() const
{
    static const std::vector<int> none;
    return m_study ? figures().leafOrder() : none;
}

void Document::setStudy(std::shared_ptr<const Study> study, bool followGroups)
{
    m_study = std::move(study);
    m_figures.reset();
    if (followGroups && m_study) {
        if (const std::optional<qint32> groups = m_study->averageGroups())
            m_settings.numberOfGroups = *groups;
    }
    m_treeSupport.reset();
    m_adequacy.reset();
    emit studyChanged();
}

std::unique_ptr<Document> Document::copy() const
{
    auto copy = std::make_unique<Document>();
    copy->m_study = m_study;
    copy->m_settings = m_settings;
    copy->m_standardisation = m_standardisation;
    copy->m_treeSupport = m_treeSupport;
    copy->m_adequacy = m_adequacy;
    copy->title = title;
    copy->pathName = pathName;
    copy->drawingSize = drawingSize;
    copy->analysisFolder = analysisFolder;
    return copy;
}

void Document::setSettings(const Settings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    emit presentationChanged();
}

void Document::setDrawingWidth(qint32 width)
{
    drawingSize.cx = width;
    emit presentationChanged();
}

void Document::setStandardisation(Standardisation standardisation)
{
    m_standardisation = std::move(standardisation);
    m_figures.reset();
    emit presentationChanged();
}

void Document::setTreeSupport(std::optional<TreeSupport> support)
{
    m_treeSupport = std::move(support);
    emit presentationChanged();
}

void Document::setAdequacy(std::optional<Adequacy> adequacy)
{
    m_adequacy = std::move(adequacy);
    emit presentationChanged();
}

} // namespace sortana
