#pragma once


namespace sortana::test {

// A dialog bar that only remembers which document it was given and how often it loaded.
struct RecordingBar : DocumentBar {
    void setDocument(Document *document) override { shown = document; }
    Document *attachedDocument() const override { return shown; }
    void loadFromDocument() override { ++loads; }
    Document *shown = nullptr;
    int loads = 0;
};

} // namespace sortana::test
