#pragma once

#include "document/Document.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

namespace sortana {

// Changes one setting of the document, as the settings bar does.
template <typename T, typename V> void setSetting(Document &document, T Settings::*field, V &&value)
{
    Settings settings = document.settings();
    settings.*field = std::forward<V>(value);
    document.setSettings(settings);
}

// A copy of the study, its pair matrix cell by cell (a matrix is never copied by accident).
inline std::shared_ptr<Study> copyOf(const Study &study)
{
    auto copy = std::make_shared<Study>();
    copy->clusterTree = study.clusterTree;
    copy->itemNames = study.itemNames;
    copy->summary = study.summary;
    copy->itemAverageFit = study.itemAverageFit;
    if (study.similarity) {
        SimilarityData &similarity = copy->similarity.emplace();
        const int n = study.similarity->itemCount();
        if (n > 0 && similarity.matrix.allocate(n))
            std::copy_n(study.similarity->matrix.data(), std::size_t(n) * std::size_t(n), similarity.matrix.data());
        similarity.countedParticipants = study.similarity->countedParticipants;
        similarity.copies = study.similarity->copies;
    }
    copy->sorts = study.sorts;
    copy->leftOut = study.leftOut;
    copy->itemCount = study.itemCount;
    copy->totalGroups = study.totalGroups;
    copy->participantCount = study.participantCount;
    return copy;
}

// Puts a changed copy of the document's study (an empty one when it has none) in its place,
// keeping the settings and the resampling results: what a damaged or older file could hold.
inline void editStudy(Document &document, const std::function<void(Study &)> &edit)
{
    auto study = document.hasStudy() ? copyOf(document.study()) : std::make_shared<Study>();
    edit(*study);
    auto support = document.treeSupport();
    auto adequacy = document.adequacy();
    document.setStudy(std::move(study), false);
    document.setTreeSupport(std::move(support));
    document.setAdequacy(std::move(adequacy));
}

} // namespace sortana
