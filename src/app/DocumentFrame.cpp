#include "app/DocumentFrame.h"

#include "views/CSortanaMdiView.h"
#include "views/MatrixView.h"
#include "views/ParticipantsView.h"
#include "document/CSortanaMdiDoc.h"

#include <QCloseEvent>

namespace sortana {

namespace {

DocumentWindow *makeView(DocumentFrame::Kind kind, CSortanaMdiDoc *document, Platform &platform)
{
    switch (kind) {
    case DocumentFrame::Kind::SimilarityMatrix: return new MatrixView(document, platform);
    case DocumentFrame::Kind::Participants: return new ParticipantsView(document, platform);
    case DocumentFrame::Kind::Dendrogram: break;
    }
    return new CSortanaMdiView(document, platform);
}

} // namespace

DocumentFrame::DocumentFrame(std::shared_ptr<CSortanaMdiDoc> document, Platform &platform, CloseCheck mayClose,
                             Kind kind)
    : m_document(std::move(document)),
      m_kind(kind),
      m_view(makeView(kind, m_document.get(), platform)),
      m_mayClose(std::move(mayClose))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(m_view);
}

DocumentFrame::~DocumentFrame()
{
    // The view goes first: it unregisters from the document, which may go with this frame.
    delete m_view;
    if (m_document.use_count() == 1)
        m_document->OnCloseDocument();
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
