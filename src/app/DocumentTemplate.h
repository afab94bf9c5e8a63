#pragma once

#include "app/Resources.h"

#include <QString>

namespace sortana {

// Names documents that have no file: "Untitled" and a number that grows with every one.
class DocumentTemplate {
public:
    QString newDocumentTitle()
    {
        return documentTypePart(DocumentTypePart::DocumentName) + QString::number(++m_untitledCount);
    }

private:
    int m_untitledCount = 0;
};

} // namespace sortana
