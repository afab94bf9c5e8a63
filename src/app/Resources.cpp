#include "app/Resources.h"

#include "platform/MessageText.h"
#include "study/StudySummary.h"

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
    default: return nullptr;
    }
}

// The commands' prompts and tooltips, by command name.
struct CommandText {
    QStringView name;
    const char *source;
};

const CommandText commandTexts[] = {
    {CommandName::importExport,
     QT_TRANSLATE_NOOP("Resources", "Import raw data and export analysis files\nImport and Export")},
    {CommandName::properties, QT_TRANSLATE_NOOP("Resources", "Properties of the processed file\nProperties")},
    {CommandName::fileNew, QT_TRANSLATE_NOOP("Resources", "Create a new document\nNew")},
    {CommandName::fileOpen, QT_TRANSLATE_NOOP("Resources", "Open an existing document\nOpen")},
    {CommandName::fileClose, QT_TRANSLATE_NOOP("Resources", "Close the active document\nClose")},
    {CommandName::fileSave, QT_TRANSLATE_NOOP("Resources", "Save the active document\nSave")},
    {CommandName::fileSaveAs, QT_TRANSLATE_NOOP("Resources", "Save the active document with a new name\nSave As")},
    {CommandName::printSetup, QT_TRANSLATE_NOOP("Resources", "Change the printer and printing options\nPrint Setup")},
    {CommandName::print, QT_TRANSLATE_NOOP("Resources", "Print the active document\nPrint")},
    {CommandName::printPreview, QT_TRANSLATE_NOOP("Resources", "Display full pages\nPrint Preview")},
    {CommandName::recentFile, QT_TRANSLATE_NOOP("Resources", "Open this document")},
    {CommandName::copy, QT_TRANSLATE_NOOP("Resources", "Copy the selection and put it on the Clipboard\nCopy")},
    {CommandName::cut, QT_TRANSLATE_NOOP("Resources", "Cut the selection and put it on the Clipboard\nCut")},
    {CommandName::paste, QT_TRANSLATE_NOOP("Resources", "Insert Clipboard contents\nPaste")},
    {CommandName::similarityMatrix,
     QT_TRANSLATE_NOOP("Resources",
                       "Open a window on the similarity matrix of the active document\nSimilarity Matrix")},
    {CommandName::exportPicture,
     QT_TRANSLATE_NOOP("Resources",
                       "Save the dendrogram or matrix of the active window as an SVG, PNG or PDF picture\n"
                       "Export Picture")},
    {CommandName::exportReport,
     QT_TRANSLATE_NOOP("Resources",
                       "Save a report of the active document for readers without Sortana, as a web page or "
                       "PDF\nExport Report")},
    {CommandName::exportWorkbook,
     QT_TRANSLATE_NOOP("Resources",
                       "Save the analysis files and the figures of the active document as one Excel "
                       "workbook\nExport Workbook")},
    {CommandName::participants,
     QT_TRANSLATE_NOOP("Resources",
                       "Open a window on the participants of the active document: their sorts compared, "
                       "flagged and left out\nParticipants")},
    {CommandName::similarityScale,
     QT_TRANSLATE_NOOP("Resources", "Show or hide the similarity scale under the dendrogram\nSimilarity Scale")},
    {CommandName::categoriesWindow,
     QT_TRANSLATE_NOOP("Resources",
                       "Open a window on the categories the participants named, to merge and rename them\n"
                       "Categories")},
    {CommandName::placementsWindow,
     QT_TRANSLATE_NOOP("Resources", "Open a window on where the participants placed each card\nPlacements")},
    {CommandName::groupNames,
     QT_TRANSLATE_NOOP("Resources", "Show or hide the groups' suggested names on the dendrogram\nGroup Names")},
    {CommandName::joinSupport,
     QT_TRANSLATE_NOOP("Resources",
                       "Show or hide each join's support and each group's stability in the dendrogram\n"
                       "Join Support")},
    {CommandName::checkStability,
     QT_TRANSLATE_NOOP("Resources",
                       "Cluster resampled participants to tell how far each join and group holds\n"
                       "Check Stability")},
    {CommandName::enoughParticipants,
     QT_TRANSLATE_NOOP("Resources",
                       "Chart how close smaller samples of the participants come to the whole study\n"
                       "Enough Participants")},
    {CommandName::copyGroups,
     QT_TRANSLATE_NOOP("Resources", "Copy the groups of the current cut as text, one card a line\nCopy Groups")},
    {CommandName::copyMatrixText,
     QT_TRANSLATE_NOOP("Resources", "Copy the whole similarity matrix as tab-separated text\nCopy Matrix as Text")},
    {CommandName::find, QT_TRANSLATE_NOOP("Resources", "Find a card by a part of its name\nFind")},
    {CommandName::findNext,
     QT_TRANSLATE_NOOP("Resources", "Find the next card whose name holds the same text\nFind Next")},
    {CommandName::printRealSize,
     QT_TRANSLATE_NOOP("Resources", "Print at real size, on as many pages as the rows need\nReal Size")},
    {CommandName::printFitToPageWidth,
     QT_TRANSLATE_NOOP("Resources", "Print as wide as the page, on as many pages as the rows need\nFit to Page Width")},
    {CommandName::printFitToOnePage,
     QT_TRANSLATE_NOOP("Resources", "Print the whole of it on one page\nFit to One Page")},
    {CommandName::newWindow, QT_TRANSLATE_NOOP("Resources", "Open another window for the active document\nNew Window")},
    {CommandName::arrangeIcons,
     QT_TRANSLATE_NOOP("Resources", "Arrange icons at the bottom of the window\nArrange Icons")},
    {CommandName::cascade, QT_TRANSLATE_NOOP("Resources", "Arrange windows so they overlap\nCascade Windows")},
    {CommandName::tile, QT_TRANSLATE_NOOP("Resources", "Arrange windows as non-overlapping tiles\nTile Windows")},
    {CommandName::about,
     QT_TRANSLATE_NOOP("Resources", "Display program information, version number and copyright\nAbout")},
    {CommandName::help, QT_TRANSLATE_NOOP("Resources", "Open the Sortana user guide\nSortana Help")},
    {CommandName::exit, QT_TRANSLATE_NOOP("Resources", "Quit the application; prompts to save documents\nExit")},
    {CommandName::viewToolbar, QT_TRANSLATE_NOOP("Resources", "Show or hide the toolbar\nToggle ToolBar")},
    {CommandName::viewStatusBar, QT_TRANSLATE_NOOP("Resources", "Show or hide the status bar\nToggle StatusBar")},
};

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

QString commandPrompt(QStringView name)
{
    const auto *found = std::find_if(std::begin(commandTexts), std::end(commandTexts),
                                     [name](const CommandText &text) { return text.name == name; });
    return found != std::end(commandTexts) ? QCoreApplication::translate("Resources", found->source) : QString();
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
