#pragma once

#include <QString>

namespace sortana {

// How a study is shown: the dendrogram's font, groups and colours, and the view choices the
// document keeps. A plain value: a change is a new value handed to the document.
struct Settings {
    static constexpr quint32 white = 0xFFFFFF;

    QString fontName = QStringLiteral("Arial");
    qint32 fontSize = 12;
    qint32 numberOfGroups = 2;
    quint32 colour1 = white; // 0x00BBGGRR
    quint32 colour2 = white;
    // The scale under the dendrogram.
    bool showSimilarityScale = true;
    // The suggested names of the dendrogram's groups, off unless saved on.
    bool showGroupNames = false;
    // Each join's support drawn beside it, off unless saved on.
    bool showJoinSupport = false;

    bool operator==(const Settings &) const = default;
};

} // namespace sortana
