#pragma once

#include "document/DocumentLinks.h"

namespace sortana::test {

// A dialog bar that only remembers which document it was given and how often it loaded.
struct RecordingBar : DocumentBar {
    void setDocument(CSortanaMdiDoc *document) override { shown = document; }
    CSortanaMdiDoc *attachedDocument() const override { return shown; }
    void LoadFromDocument() override { ++loads; }
    CSortanaMdiDoc *shown = nullptr;
    int loads = 0;
};

} // namespace sortana::test
