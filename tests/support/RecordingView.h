#pragma once

#include "document/Document.h"

#include <QObject>

#include <vector>

namespace sortana::test {

// What a document told the windows that follow it, in order.
enum class Emitted { Study, Presentation };

// Follows a document as a window does and remembers its signals.
class RecordingView {
public:
    explicit RecordingView(Document &document)
    {
        QObject::connect(&document, &Document::studyChanged, &m_receiver, [this] { hints.push_back(Emitted::Study); });
        QObject::connect(&document, &Document::presentationChanged, &m_receiver,
                         [this] { hints.push_back(Emitted::Presentation); });
    }
    std::vector<Emitted> hints;

private:
    QObject m_receiver;
};

} // namespace sortana::test
