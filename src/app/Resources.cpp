#include "app/Resources.h"

#include "import/StudySummary.h"
#include "platform/MessageText.h"

#include <QWidget>

#include <algorithm>

namespace sortana {

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/sortana.svg"));
}

QString loadString(int id)
{
    switch (id) {
    case ControlId::inputFile:
        return QStringLiteral("Enter the name of a Sortana or USort text input file (or click Browse...)");
    case ControlId::browse: return QStringLiteral("Browse for input file");
    case ControlId::copies: return QStringLiteral("Number of item card sets per participant");
    case ControlId::useFit:
        return QStringLiteral("Calculate scores assuming fit data present (ignore fit data if not checked)");
    case ControlId::useSubGroups:
        return QStringLiteral("Calculate scores assuming sub-groups present (ignore sub-groups if not checked)");
    case ControlId::useExpert: return QStringLiteral("Treat first participant as expert for comparison?");
    case ControlId::exportList:
        return QStringLiteral("These files will be written to the same folder as your input file");
    case ControlId::openCsv:
        return QStringLiteral("Open csv files in associated application (usually Microsoft Excel)");
    case ControlId::outputFolder:
        return QStringLiteral("The folder the five analysis files are written to: the input file's folder unless "
                              "you choose another");
    case ControlId::chooseFolder: return QStringLiteral("Choose another folder for the analysis files");
    case ControlId::tableLayout:
        return QStringLiteral("One row per card placement, or one row per participant with a column per card");
    case ControlId::tableHeader: return QStringLiteral("The first row names the columns");
    case ControlId::participantColumn: return QStringLiteral("The column of the participant");
    case ControlId::cardColumn: return QStringLiteral("The column of the card's label");
    case ControlId::cardIdColumn: return QStringLiteral("The column of the card's id, if any");
    case ControlId::categoryColumn: return QStringLiteral("The column of the category's label");
    case ControlId::categoryIdColumn: return QStringLiteral("The column of the category's id, if any");
    case StringId::documentType:
        return QStringLiteral("\nUntitled\nSortana Dendogram\nSortana Files (*.klus)\n.klus\n"
                              "SortanaMdi.Document\nSortana Dendogram");
    case StringId::subGroups: return QStringLiteral("Sub-groups");
    case StringId::qualityOfFit: return QStringLiteral("Quality of fit");
    case StringId::noFileName:
        return QStringLiteral("(Full properties not available for files prior to Sortana V1.1)");
    case StringId::sortanaFileType: return QStringLiteral("Sortana");
    case StringId::otherFileType: return QStringLiteral("EZSort");
    case StringId::longTableFileType: return QStringLiteral("Card-sort table, one row per card");
    case StringId::wideTableFileType: return QStringLiteral("Card-sort table, one row per participant");
    case CommandId::importExport: return QStringLiteral("Import raw data and export analysis files\nImport and Export");
    case CommandId::properties: return QStringLiteral("Properties of the processed file\nProperties");
    case CommandId::fileNew: return QStringLiteral("Create a new document\nNew");
    case CommandId::fileOpen: return QStringLiteral("Open an existing document\nOpen");
    case CommandId::fileClose: return QStringLiteral("Close the active document\nClose");
    case CommandId::fileSave: return QStringLiteral("Save the active document\nSave");
    case CommandId::fileSaveAs: return QStringLiteral("Save the active document with a new name\nSave As");
    case CommandId::printSetup: return QStringLiteral("Change the printer and printing options\nPrint Setup");
    case CommandId::print: return QStringLiteral("Print the active document\nPrint");
    case CommandId::printPreview: return QStringLiteral("Display full pages\nPrint Preview");
    case CommandId::recentFile: return QStringLiteral("Open this document");
    case CommandId::copy: return QStringLiteral("Copy the selection and put it on the Clipboard\nCopy");
    case CommandId::cut: return QStringLiteral("Cut the selection and put it on the Clipboard\nCut");
    case CommandId::paste: return QStringLiteral("Insert Clipboard contents\nPaste");
    case CommandId::similarityMatrix:
        return QStringLiteral("Open a window on the similarity matrix of the active document\nSimilarity Matrix");
    case CommandId::exportPicture:
        return QStringLiteral("Save the dendrogram or matrix of the active window as an SVG, PNG or PDF picture\n"
                              "Export Picture");
    case CommandId::exportReport:
        return QStringLiteral("Save a report of the active document for readers without Sortana, as a web page or "
                              "PDF\nExport Report");
    case CommandId::exportWorkbook:
        return QStringLiteral("Save the analysis files and the figures of the active document as one Excel "
                              "workbook\nExport Workbook");
    case CommandId::participants:
        return QStringLiteral("Open a window on the participants of the active document: their sorts compared, "
                              "flagged and left out\nParticipants");
    case CommandId::similarityScale:
        return QStringLiteral("Show or hide the similarity scale under the dendrogram\nSimilarity Scale");
    case CommandId::categoriesWindow:
        return QStringLiteral("Open a window on the categories the participants named, to merge and rename them\n"
                              "Categories");
    case CommandId::placementsWindow:
        return QStringLiteral("Open a window on where the participants placed each card\nPlacements");
    case CommandId::groupNames:
        return QStringLiteral("Show or hide the groups' suggested names on the dendrogram\nGroup Names");
    case CommandId::joinSupport:
        return QStringLiteral("Show or hide each join's support and each group's stability in the dendrogram\n"
                              "Join Support");
    case CommandId::checkStability:
        return QStringLiteral("Cluster resampled participants to tell how far each join and group holds\n"
                              "Check Stability");
    case CommandId::enoughParticipants:
        return QStringLiteral("Chart how close smaller samples of the participants come to the whole study\n"
                              "Enough Participants");
    case CommandId::copyGroups:
        return QStringLiteral("Copy the groups of the current cut as text, one card a line\nCopy Groups");
    case CommandId::copyMatrixText:
        return QStringLiteral("Copy the whole similarity matrix as tab-separated text\nCopy Matrix as Text");
    case CommandId::find: return QStringLiteral("Find a card by a part of its name\nFind");
    case CommandId::findNext: return QStringLiteral("Find the next card whose name holds the same text\nFind Next");
    case CommandId::printRealSize:
        return QStringLiteral("Print at real size, on as many pages as the rows need\nReal Size");
    case CommandId::printFitToPageWidth:
        return QStringLiteral("Print as wide as the page, on as many pages as the rows need\nFit to Page Width");
    case CommandId::printFitToOnePage: return QStringLiteral("Print the whole of it on one page\nFit to One Page");
    case CommandId::newWindow: return QStringLiteral("Open another window for the active document\nNew Window");
    case CommandId::arrangeIcons: return QStringLiteral("Arrange icons at the bottom of the window\nArrange Icons");
    case CommandId::cascade: return QStringLiteral("Arrange windows so they overlap\nCascade Windows");
    case CommandId::tile: return QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows");
    case CommandId::about:
        return QStringLiteral("Display program information, version number and copyright\nAbout");
    case CommandId::help: return QStringLiteral("Open the Sortana user guide\nSortana Help");
    case CommandId::exit: return QStringLiteral("Quit the application; prompts to save documents\nExit");
    case CommandId::viewToolbar: return QStringLiteral("Show or hide the toolbar\nToggle ToolBar");
    case CommandId::viewStatusBar: return QStringLiteral("Show or hide the status bar\nToggle StatusBar");
    default: return {};
    }
}

QString documentTypePart(DocumentTypePart part)
{
    return loadString(StringId::documentType).split(u'\n').value(static_cast<int>(part));
}

QString controlName(int id)
{
    return QStringLiteral("control%1").arg(id);
}

void setControlId(QWidget &control, int id)
{
    control.setObjectName(controlName(id));
    const QString tip = loadString(id);
    if (!tip.isEmpty())
        control.setToolTip(tip);
}

QString fileNameText(const StudySummary &summary)
{
    return summary.fileName.isEmpty() ? loadString(StringId::noFileName) : summary.fileName;
}

QString fileTypeText(const StudySummary &summary)
{
    switch (summary.fileType) {
    case 1: return loadString(StringId::sortanaFileType);
    case 2: return loadString(StringId::longTableFileType);
    case 3: return loadString(StringId::wideTableFileType);
    default: return loadString(StringId::otherFileType);
    }
}

QString featuresText(const StudySummary &summary)
{
    QStringList features;
    if (summary.hasFitData)
        features << loadString(StringId::qualityOfFit);
    if (summary.hasSubGroups)
        features << loadString(StringId::subGroups);
    return features.join(QStringLiteral(", "));
}

int shownParticipants(const StudySummary &summary)
{
    // Documents of the older file version hold no participant count but the expert flag:
    // they show no participants rather than minus one.
    return std::max(0, summary.countedParticipants());
}

QString maximumScoreLine(const StudySummary &summary)
{
    const qint64 perItem = summary.maxScorePerItem();
    const int participants = shownParticipants(summary);
    // Wraps as a 32-bit product would rather than overflowing.
    const auto perCell = static_cast<qint32>(perItem * participants);
    return formatMessage(u"Maximum score %d per item x %d participants = \n%d maximum per cell",
                         {QString::number(perItem), QString::number(participants), QString::number(perCell)});
}

} // namespace sortana
