#pragma once

#include <QIcon>
#include <QString>

class QWidget;

namespace sortana {

struct StudySummary;

// Control and string ids are shared: a control's tooltip is the string with the control's id.
namespace ControlId {
inline constexpr int inputFile = 1000;
inline constexpr int exportList = 1001;
inline constexpr int openCsv = 1002;
inline constexpr int copies = 1011;
inline constexpr int browse = 1014;
inline constexpr int useFit = 1015;
inline constexpr int useSubGroups = 1016;
inline constexpr int useExpert = 1017;
inline constexpr int fileName = 1018;
inline constexpr int fileType = 1019;
inline constexpr int features = 1020;
inline constexpr int participants = 1021;
inline constexpr int itemNames = 1022;
inline constexpr int maximumScore = 1024;
inline constexpr int reset = 1025;
// How a table from another card-sort tool is read, on step 2.
inline constexpr int tableLayout = 1030;
inline constexpr int tableHeader = 1031;
inline constexpr int participantColumn = 1032;
inline constexpr int cardColumn = 1033;
inline constexpr int cardIdColumn = 1034;
inline constexpr int categoryColumn = 1035;
inline constexpr int categoryIdColumn = 1036;
inline constexpr int tablePreview = 1037;
// Opens the guide at the analysis options, on step 2.
inline constexpr int optionsHelp = 1038;
// Where the analysis files go, on step 1, and which of them exist, on steps 1 and 3.
inline constexpr int outputFolder = 1039;
inline constexpr int chooseFolder = 1040;
inline constexpr int existingFiles = 1041;
// Whether the analysis files also get their UTF-8 copies, on step 3.
inline constexpr int utf8Csv = 1042;
// The About box numbers its own controls, some with the wizard's numbers.
inline constexpr int aboutVersion = 1000;
inline constexpr int aboutWebSite = 1002;
} // namespace ControlId

namespace StringId {
inline constexpr int documentType = 129;
inline constexpr int subGroups = 130;
inline constexpr int qualityOfFit = 131;
inline constexpr int noFileName = 132;
inline constexpr int sortanaFileType = 133;
inline constexpr int otherFileType = 134;
inline constexpr int longTableFileType = 135;
inline constexpr int wideTableFileType = 136;
} // namespace StringId

// The main window's commands are QActions with these object names, by which code and tests find
// them; the string with a command's name is its status-bar prompt, a line break and its tooltip.
namespace CommandName {
inline constexpr QStringView importExport = u"importExport";
inline constexpr QStringView properties = u"properties";
inline constexpr QStringView similarityMatrix = u"similarityMatrix";
inline constexpr QStringView exportPicture = u"exportPicture";
inline constexpr QStringView similarityScale = u"similarityScale";
inline constexpr QStringView copyGroups = u"copyGroups";
inline constexpr QStringView copyMatrixText = u"copyMatrixText";
inline constexpr QStringView printRealSize = u"printRealSize";
inline constexpr QStringView printFitToPageWidth = u"printFitToPageWidth";
inline constexpr QStringView printFitToOnePage = u"printFitToOnePage";
inline constexpr QStringView categoriesWindow = u"categoriesWindow";
inline constexpr QStringView placementsWindow = u"placementsWindow";
inline constexpr QStringView groupNames = u"groupNames";
inline constexpr QStringView joinSupport = u"joinSupport";
inline constexpr QStringView checkStability = u"checkStability";
inline constexpr QStringView enoughParticipants = u"enoughParticipants";
inline constexpr QStringView participants = u"participants";
inline constexpr QStringView exportReport = u"exportReport";
inline constexpr QStringView exportWorkbook = u"exportWorkbook";
inline constexpr QStringView find = u"find";
inline constexpr QStringView findNext = u"findNext";
inline constexpr QStringView fileNew = u"fileNew";
inline constexpr QStringView fileOpen = u"fileOpen";
inline constexpr QStringView fileClose = u"fileClose";
inline constexpr QStringView fileSave = u"fileSave";
inline constexpr QStringView fileSaveAs = u"fileSaveAs";
inline constexpr QStringView printSetup = u"printSetup";
inline constexpr QStringView print = u"print";
inline constexpr QStringView printDirect = u"printDirect";
inline constexpr QStringView printPreview = u"printPreview";
// No command of its own: where the recent files stand in a menu, and their prompt.
inline constexpr QStringView recentFile = u"recentFile";
inline constexpr QStringView copy = u"copy";
inline constexpr QStringView cut = u"cut";
inline constexpr QStringView paste = u"paste";
inline constexpr QStringView undo = u"undo";
inline constexpr QStringView newWindow = u"newWindow";
inline constexpr QStringView arrangeIcons = u"arrangeIcons";
inline constexpr QStringView cascade = u"cascade";
inline constexpr QStringView tile = u"tile";
inline constexpr QStringView about = u"about";
inline constexpr QStringView help = u"help";
inline constexpr QStringView exit = u"exit";
inline constexpr QStringView nextPane = u"nextPane";
inline constexpr QStringView previousPane = u"previousPane";
inline constexpr QStringView viewToolbar = u"viewToolbar";
inline constexpr QStringView viewStatusBar = u"viewStatusBar";
} // namespace CommandName

// The program's own icon, for its windows and the About box.
QIcon applicationIcon();

// The string with the id, or an empty string when there is none.
QString loadString(int id);
// The string with the command's name, or an empty string when there is none.
QString commandPrompt(QStringView name);

// The parts of the document type's string, in the order they stand in it.
enum class DocumentTypePart { WindowTitle, DocumentName, NewName, FilterName, Extension, TypeId, TypeName };
QString documentTypePart(DocumentTypePart part);

// Names the control after its id (so tests and tools find it) and gives it the tooltip whose
// string shares that id, if there is one.
void setControlId(QWidget &control, int id);
QString controlName(int id);

// The texts the wizard's step 2 and the Properties dialog show for a study summary.
QString fileNameText(const StudySummary &summary);
QString fileTypeText(const StudySummary &summary);
QString featuresText(const StudySummary &summary);
// Participants as analysed: the expert is not counted.
int shownParticipants(const StudySummary &summary);
QString maximumScoreLine(const StudySummary &summary);

} // namespace sortana
