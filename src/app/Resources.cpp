#include "app/Resources.h"

#include "study/StudySummary.h"
#include "platform/MessageText.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace sortana {

QIcon applicationIcon()
{
    return QIcon(QStringLiteral(":/icons/sortana.svg"));
}

namespace {

// The source texts of the strings the desktop program shows, marked for translation; none
// for an id without one.
const char *sourceText(int id)
{
    switch (id) {
    case ControlId::inputFile:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Enter the name of a Sortana or USort text input file (or click Browse...)");
    case ControlId::browse: return QT_TRANSLATE_NOOP("Resources", "Browse for input file");
    case ControlId::copies: return QT_TRANSLATE_NOOP("Resources", "Number of item card sets per participant");
    case ControlId::useFit:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Calculate scores assuming fit data present (ignore fit data if not checked)");
    case ControlId::useSubGroups:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Calculate scores assuming sub-groups present (ignore sub-groups if not checked)");
    case ControlId::useExpert:
        return QT_TRANSLATE_NOOP("Resources", "Treat first participant as expert for comparison?");
    case ControlId::exportList:
        return QT_TRANSLATE_NOOP("Resources", "These files will be written to the same folder as your input file");
    case ControlId::openCsv:
        return QT_TRANSLATE_NOOP("Resources", "Open csv files in associated application (usually Microsoft Excel)");
    case ControlId::outputFolder:
        return QT_TRANSLATE_NOOP("Resources",
                                 "The folder the five analysis files are written to: the input file's folder unless "
                                 "you choose another");
    case ControlId::chooseFolder: return QT_TRANSLATE_NOOP("Resources", "Choose another folder for the analysis files");
    case ControlId::tableLayout:
        return QT_TRANSLATE_NOOP("Resources",
                                 "One row per card placement, or one row per participant with a column per card");
    case ControlId::tableHeader: return QT_TRANSLATE_NOOP("Resources", "The first row names the columns");
    case ControlId::participantColumn: return QT_TRANSLATE_NOOP("Resources", "The column of the participant");
    case ControlId::cardColumn: return QT_TRANSLATE_NOOP("Resources", "The column of the card's label");
    case ControlId::cardIdColumn: return QT_TRANSLATE_NOOP("Resources", "The column of the card's id, if any");
    case ControlId::categoryColumn: return QT_TRANSLATE_NOOP("Resources", "The column of the category's label");
    case ControlId::categoryIdColumn: return QT_TRANSLATE_NOOP("Resources", "The column of the category's id, if any");
    case StringId::subGroups: return QT_TRANSLATE_NOOP("Resources", "Sub-groups");
    case StringId::qualityOfFit: return QT_TRANSLATE_NOOP("Resources", "Quality of fit");
    case StringId::noFileName:
        return QT_TRANSLATE_NOOP("Resources", "(Full properties not available for files prior to Sortana V1.1)");
    case StringId::sortanaFileType: return QT_TRANSLATE_NOOP("Resources", "Sortana");
    case StringId::otherFileType: return QT_TRANSLATE_NOOP("Resources", "EZSort");
    case StringId::longTableFileType: return QT_TRANSLATE_NOOP("Resources", "Card-sort table, one row per card");
    case StringId::wideTableFileType: return QT_TRANSLATE_NOOP("Resources", "Card-sort table, one row per participant");
    case CommandId::importExport:
        return QT_TRANSLATE_NOOP("Resources", "Import raw data and export analysis files\nImport and Export");
    case CommandId::properties: return QT_TRANSLATE_NOOP("Resources", "Properties of the processed file\nProperties");
    case CommandId::fileNew: return QT_TRANSLATE_NOOP("Resources", "Create a new document\nNew");
    case CommandId::fileOpen: return QT_TRANSLATE_NOOP("Resources", "Open an existing document\nOpen");
    case CommandId::fileClose: return QT_TRANSLATE_NOOP("Resources", "Close the active document\nClose");
    case CommandId::fileSave: return QT_TRANSLATE_NOOP("Resources", "Save the active document\nSave");
    case CommandId::fileSaveAs:
        return QT_TRANSLATE_NOOP("Resources", "Save the active document with a new name\nSave As");
    case CommandId::printSetup:
        return QT_TRANSLATE_NOOP("Resources", "Change the printer and printing options\nPrint Setup");
    case CommandId::print: return QT_TRANSLATE_NOOP("Resources", "Print the active document\nPrint");
    case CommandId::printPreview: return QT_TRANSLATE_NOOP("Resources", "Display full pages\nPrint Preview");
    case CommandId::recentFile: return QT_TRANSLATE_NOOP("Resources", "Open this document");
    case CommandId::copy: return QT_TRANSLATE_NOOP("Resources", "Copy the selection and put it on the Clipboard\nCopy");
    case CommandId::cut: return QT_TRANSLATE_NOOP("Resources", "Cut the selection and put it on the Clipboard\nCut");
    case CommandId::paste: return QT_TRANSLATE_NOOP("Resources", "Insert Clipboard contents\nPaste");
    case CommandId::similarityMatrix:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Open a window on the similarity matrix of the active document\nSimilarity Matrix");
    case CommandId::exportPicture:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Save the dendrogram or matrix of the active window as an SVG, PNG or PDF picture\n"
                                 "Export Picture");
    case CommandId::exportReport:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Save a report of the active document for readers without Sortana, as a web page or "
                                 "PDF\nExport Report");
    case CommandId::exportWorkbook:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Save the analysis files and the figures of the active document as one Excel "
                                 "workbook\nExport Workbook");
    case CommandId::participants:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Open a window on the participants of the active document: their sorts compared, "
                                 "flagged and left out\nParticipants");
    case CommandId::similarityScale:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Show or hide the similarity scale under the dendrogram\nSimilarity Scale");
    case CommandId::categoriesWindow:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Open a window on the categories the participants named, to merge and rename them\n"
                                 "Categories");
    case CommandId::placementsWindow:
        return QT_TRANSLATE_NOOP("Resources", "Open a window on where the participants placed each card\nPlacements");
    case CommandId::groupNames:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Show or hide the groups' suggested names on the dendrogram\nGroup Names");
    case CommandId::joinSupport:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Show or hide each join's support and each group's stability in the dendrogram\n"
                                 "Join Support");
    case CommandId::checkStability:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Cluster resampled participants to tell how far each join and group holds\n"
                                 "Check Stability");
    case CommandId::enoughParticipants:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Chart how close smaller samples of the participants come to the whole study\n"
                                 "Enough Participants");
    case CommandId::copyGroups:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Copy the groups of the current cut as text, one card a line\nCopy Groups");
    case CommandId::copyMatrixText:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Copy the whole similarity matrix as tab-separated text\nCopy Matrix as Text");
    case CommandId::find: return QT_TRANSLATE_NOOP("Resources", "Find a card by a part of its name\nFind");
    case CommandId::findNext:
        return QT_TRANSLATE_NOOP("Resources", "Find the next card whose name holds the same text\nFind Next");
    case CommandId::printRealSize:
        return QT_TRANSLATE_NOOP("Resources", "Print at real size, on as many pages as the rows need\nReal Size");
    case CommandId::printFitToPageWidth:
        return QT_TRANSLATE_NOOP("Resources",
                                 "Print as wide as the page, on as many pages as the rows need\nFit to Page Width");
    case CommandId::printFitToOnePage:
        return QT_TRANSLATE_NOOP("Resources", "Print the whole of it on one page\nFit to One Page");
    case CommandId::newWindow:
        return QT_TRANSLATE_NOOP("Resources", "Open another window for the active document\nNew Window");
    case CommandId::arrangeIcons:
        return QT_TRANSLATE_NOOP("Resources", "Arrange icons at the bottom of the window\nArrange Icons");
    case CommandId::cascade: return QT_TRANSLATE_NOOP("Resources", "Arrange windows so they overlap\nCascade Windows");
    case CommandId::tile:
        return QT_TRANSLATE_NOOP("Resources", "Arrange windows as non-overlapping tiles\nTile Windows");
    case CommandId::about:
        return QT_TRANSLATE_NOOP("Resources", "Display program information, version number and copyright\nAbout");
    case CommandId::help: return QT_TRANSLATE_NOOP("Resources", "Open the Sortana user guide\nSortana Help");
    case CommandId::exit:
        return QT_TRANSLATE_NOOP("Resources", "Quit the application; prompts to save documents\nExit");
    case CommandId::viewToolbar: return QT_TRANSLATE_NOOP("Resources", "Show or hide the toolbar\nToggle ToolBar");
    case CommandId::viewStatusBar:
        return QT_TRANSLATE_NOOP("Resources", "Show or hide the status bar\nToggle StatusBar");
    default: return nullptr;
    }
}

} // namespace

QString loadString(int id)
{
    // The document type's string holds the file type's extension and id, which never change
    // with the language.
    if (id == StringId::documentType)
        return QStringLiteral("\nUntitled\nSortana Dendogram\nSortana Files (*.klus)\n.klus\n"
                              "SortanaMdi.Document\nSortana Dendogram");
    const char *source = sourceText(id);
    return source ? QCoreApplication::translate("Resources", source) : QString();
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
    return formatMessage(
        QCoreApplication::translate("Resources", "Maximum score %d per item x %d participants = \n%d maximum per cell"),
        {QString::number(perItem), QString::number(participants), QString::number(perCell)});
}

} // namespace sortana
