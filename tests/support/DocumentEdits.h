#pragma once

#include "document/Document.h"

#include <functional>
#include <utility>

namespace sortana {

// Changes one setting of the document, as the settings bar does.
template <typename T, typename V> void setSetting(Document &document, T Settings::*field, V &&value)
{
    Settings settings = document.settings();
    settings.*field = std::forward<V>(value);
    document.setSettings(settings);
}

// Puts a changed copy of the document's study (an empty one when it has none) in its place,
// keeping the settings and the resampling results: what a damaged or older file could hold.
inline void editStudy(Document &document, const std::function<void(Study &)> &edit)
{
    auto study = document.hasStudy() ? std::make_shared<Study>(document.study()) : std::make_shared<Study>();
    edit(*study);
    auto support = document.treeSupport();
    auto adequacy = document.adequacy();
    document.setStudy(std::move(study), false);
    document.setTreeSupport(std::move(support));
    document.setAdequacy(std::move(adequacy));
}

} // namespace sortana
