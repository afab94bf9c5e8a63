#include "analysis/StudyFigures.h"

#include "analysis/LeafOrder.h"
#include "analysis/LeftOut.h"

#include <utility>

namespace sortana {

StudyFigures::StudyFigures(std::shared_ptr<const Study> study, Standardisation standardisation)
    : m_study(std::move(study)),
      m_standardisation(std::move(standardisation))
{
}

const std::vector<int> &StudyFigures::leafOrder() const
{
    if (!m_leafOrder)
        m_leafOrder = LeafOrder(m_study->clusterRoot());
    return *m_leafOrder;
}

const std::optional<CategoryTable> &StudyFigures::categories() const
{
    if (!m_categories) {
        const Study &study = *m_study;
        if (!study.sorts)
            m_categories.emplace();
        // Participants left out of the study are left out of what it says of their groups too.
        else if (!study.leftOut.empty())
            m_categories.emplace(
                computeCategories(keptSorts(*study.sorts, study.leftOut), study.itemCount, m_standardisation));
        else
            m_categories.emplace(computeCategories(*study.sorts, study.itemCount, m_standardisation));
    }
    return *m_categories;
}

const std::optional<ParticipantChecks> &StudyFigures::participantChecks() const
{
    if (!m_checks) {
        if (m_study->sorts)
            m_checks.emplace(checkParticipants(*m_study->sorts));
        else
            m_checks.emplace();
    }
    return *m_checks;
}

const std::vector<GroupName> &StudyFigures::bands(int numberOfGroups) const
{
    auto found = m_bands.find(numberOfGroups);
    if (found == m_bands.end())
        found = m_bands.emplace(numberOfGroups, groupBands(m_study->clusterRoot(), numberOfGroups)).first;
    return found->second;
}

std::vector<int> StudyFigures::groupStarts(int numberOfGroups) const
{
    std::vector<int> starts;
    for (const GroupName &band : bands(numberOfGroups))
        starts.push_back(band.firstRow);
    return starts;
}

const std::vector<GroupName> &StudyFigures::cut(int numberOfGroups) const
{
    const std::optional<CategoryTable> &table = categories();
    if (!table)
        return bands(numberOfGroups);
    auto found = m_cuts.find(numberOfGroups);
    if (found == m_cuts.end())
        found = m_cuts.emplace(numberOfGroups, suggestGroupNames(m_study->clusterRoot(), numberOfGroups, *table)).first;
    return found->second;
}

} // namespace sortana
