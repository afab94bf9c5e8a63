#pragma once

#include "analysis/Categories.h"
#include "analysis/GroupNames.h"
#include "analysis/ParticipantChecks.h"
#include "study/Standardisation.h"
#include "study/Study.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace sortana {

// The figures derived from one study under one standardisation, each made the first time it
// is asked for and kept while they hold: the windows, the report, the workbook and the
// command line all read them here instead of working them out again. Not for sharing
// between threads: a worker makes its own.
class StudyFigures {
public:
    StudyFigures(std::shared_ptr<const Study> study, Standardisation standardisation);

    // The items in the dendrogram's order, top to bottom.
    const std::vector<int> &leafOrder() const;
    // The categories of the study, without the participants it leaves out, under the
    // standardisation; nothing for a study without the participants' sorts.
    const std::optional<CategoryTable> &categories() const;
    // Every participant's sort checked against the others'; nothing without the sorts.
    const std::optional<ParticipantChecks> &participantChecks() const;
    // The tree cut into that many groups, from the top: each band's rows.
    const std::vector<GroupName> &bands(int numberOfGroups) const;
    // The first row of each of those bands.
    std::vector<int> groupStarts(int numberOfGroups) const;
    // The same bands with their suggested names when the study has categories.
    const std::vector<GroupName> &cut(int numberOfGroups) const;

private:
    std::shared_ptr<const Study> m_study;
    Standardisation m_standardisation;
    mutable std::optional<std::vector<int>> m_leafOrder;
    mutable std::optional<std::optional<CategoryTable>> m_categories;
    mutable std::optional<std::optional<ParticipantChecks>> m_checks;
    mutable std::map<int, std::vector<GroupName>> m_bands;
    mutable std::map<int, std::vector<GroupName>> m_cuts;
};

} // namespace sortana
