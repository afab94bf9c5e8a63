#include "document/Document.h"

#include "analysis/Resampling.h"
#include "document/DocumentLinks.h"
#include "document/ImportRun.h"
#include "platform/PathParts.h"

#include <QFileInfo>

namespace sortana {

bool Document::completeImport(ImportRun &run)
{
    const bool exported = run.exportAnalysisFiles();
    takeStudy(run);
    sorts = std::make_unique<StudySorts>(std::move(run.analysis().sorts));
    leftOut.clear();
    setModified(true);
    attachSettingsBar();

    // Named after the input as it is stored, beside the analysis files, but not written until
    // the user saves.
    const PathParts input = splitPathAsStored(run.fileNames().inputPath);
    title = input.baseName;
    pathName = run.outputFolder() + input.baseName + QStringLiteral(".klus");
    updateAllViews(UpdateHint::NewStudy);
    return exported;
}

void Document::takeStudy(ImportRun &run)
{
    clusterTree = run.clusterAnalysis().takeTree();
    itemNames = std::make_unique<QStringList>(run.analysis().takeItemNames());
    // A copy: the run's engine goes on reading its own summary until the run is destroyed.
    summary = std::make_unique<StudySummary>(run.summary());
    itemAverageFit = std::make_unique<std::vector<double>>(run.analysis().itemMeanScores());
    // The matrix is the import's own, moved rather than copied: at 2,000 items it is 16 MB.
    similarity = std::make_unique<SimilarityData>();
    similarity->matrix = std::move(run.analysis().pairMatrix);
    similarity->countedParticipants = summary->countedParticipants();
    similarity->copies = summary->copiesPerParticipant;
    itemCount = run.itemCount();
    analysisFolder = QFileInfo(run.fileNames().cardsPath).absolutePath();
    totalGroups = summary->groupCount;
    participantCount = summary->participantCount;
    // The average number of groups per participant, rounded half up.
    if (participantCount > 0)
        numberOfGroups = static_cast<qint32>(double(totalGroups) / participantCount + 0.5);
    // Figures resampled from another study would no longer hold.
    dropResamplingResults(*this);
}

namespace {

template <typename T> std::unique_ptr<T> copyOf(const std::unique_ptr<T> &from)
{
    return from ? std::make_unique<T>(*from) : nullptr;
}

} // namespace

std::unique_ptr<Document> Document::studyCopy() const
{
    auto copy = std::make_unique<Document>();
    if (similarity) {
        copy->similarity = std::make_unique<SimilarityData>();
        const int n = similarity->itemCount();
        if (!copy->similarity->matrix.allocate(n))
            return nullptr;
        std::copy_n(similarity->matrix.data(), std::size_t(n) * std::size_t(n), copy->similarity->matrix.data());
        copy->similarity->countedParticipants = similarity->countedParticipants;
        copy->similarity->copies = similarity->copies;
    }
    copy->title = title;
    copy->pathName = pathName;
    copy->clusterTree = clusterTree;
    copy->itemNames = copyOf(itemNames);
    copy->summary = copyOf(summary);
    copy->itemAverageFit = copyOf(itemAverageFit);
    copy->fontName = fontName;
    copy->fontSize = fontSize;
    copy->numberOfGroups = numberOfGroups;
    copy->colour1 = colour1;
    copy->colour2 = colour2;
    copy->drawingSize = drawingSize;
    copy->itemCount = itemCount;
    copy->totalGroups = totalGroups;
    copy->participantCount = participantCount;
    copy->showSimilarityScale = showSimilarityScale;
    copy->sorts = copyOf(sorts);
    copy->standardisation = standardisation;
    copy->showGroupNames = showGroupNames;
    copy->treeSupport = treeSupport;
    copy->adequacy = adequacy;
    copy->showJoinSupport = showJoinSupport;
    copy->leftOut = leftOut;
    copy->analysisFolder = analysisFolder;
    return copy;
}

void Document::attachSettingsBar()
{
    dialogBar = CurrentDialogBar;
    if (dialogBar) {
        dialogBar->setDocument(this);
        dialogBar->loadFromDocument();
    }
}

void Document::closeDocument()
{
    // The bar may show another document by now; only this one leaves it.
    if (dialogBar && dialogBar->attachedDocument() == this)
        dialogBar->setDocument(nullptr);
    dialogBar = nullptr;
}

void Document::updateAllViews(UpdateHint hint)
{
    for (DocumentView *view : m_views)
        view->documentUpdated(hint);
}

} // namespace sortana
