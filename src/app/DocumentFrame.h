#pragma once

#include <QMdiSubWindow>

#include <functional>
#include <memory>

namespace sortana {

class Document;
class DocumentWindow;
class Platform;

// One window of the main window's document area: a view on a document that other windows
// may show as well. The document lives as long as its last window.
class DocumentFrame : public QMdiSubWindow {
public:
    // Asked before the window closes; false keeps it open.
    using CloseCheck = std::function<bool(DocumentFrame &)>;

    enum class Kind { Dendrogram, SimilarityMatrix, Categories, Placements, EnoughParticipants, Participants };

    DocumentFrame(std::shared_ptr<Document> document, Platform &platform, CloseCheck mayClose,
                  Kind kind = Kind::Dendrogram);
    ~DocumentFrame() override;

    Document &document() const { return *m_document; }
    const std::shared_ptr<Document> &sharedDocument() const { return m_document; }
    DocumentWindow &view() const { return *m_view; }
    Kind kind() const { return m_kind; }
    // Closes without asking: the caller has settled what happens to the document.
    void closeSettled();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::shared_ptr<Document> m_document;
    Kind m_kind;
    DocumentWindow *m_view;
    CloseCheck m_mayClose;
    bool m_settled = false;
};

} // namespace sortana
