#include "app/DocumentFrame.h"

#include "views/AdequacyView.h"
#include "views/DendrogramView.h"
#include "views/CategoriesView.h"
#include "views/MatrixView.h"
#include "views/ParticipantsView.h"
#include "views/PlacementView.h"
#include "document/Document.h"

#include <QCloseEvent>

namespace sortana {

namespace {

DocumentWindow *newWindow(DocumentFrame::Kind kind, Document *document, Platform &platform)
{
    switch (kind) {
    case DocumentFrame::Kind::SimilarityMatrix: return new MatrixView(document, platform);
    case DocumentFrame::Kind::Categories: return new CategoriesView(document, platform);
    case DocumentFrame::Kind::Placements: return new PlacementView(document, platform);
    case DocumentFrame::Kind::EnoughParticipants: return new AdequacyView(document, platform);
    case DocumentFrame::Kind::Participants: return new ParticipantsView(document, platform);
    case DocumentFrame::Kind::Dendrogram: break;
    }
    return new DendrogramView(document, platform);
}

} // namespace

DocumentFrame::DocumentFrame(std::shared_ptr<Document> document, Platform &platform, CloseCheck mayClose,
                             Kind kind)
    : m_document(std::move(document)),
      m_kind(kind),
      m_view(newWindow(kind, m_document.get(), platform)),
      m_mayClose(std::move(mayClose))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(m_view);
}

DocumentFrame::~DocumentFrame()
{
    // The view goes first: it still shows the document, which may go with this frame.
    delete m_view;
}

void DocumentFrame::closeSettled()
{
    m_settled = true;
    close();
}

void DocumentFrame::closeEvent(QCloseEvent *event)
{
    if (!m_settled && m_mayClose && !m_mayClose(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace sortana
