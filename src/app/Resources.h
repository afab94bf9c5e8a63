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

// Commands; the string with a command's id is its status-bar prompt, a line break and its
// tooltip.
namespace CommandId {
inline constexpr int importExport = 32771;
inline constexpr int properties = 32775;
inline constexpr int similarityMatrix = 32776;
inline constexpr int exportPicture = 32780;
inline constexpr int similarityScale = 32781;
inline constexpr int copyGroups = 32782;
inline constexpr int copyMatrixText = 32783;
inline constexpr int printRealSize = 32784;
inline constexpr int printFitToPageWidth = 32785;
inline constexpr int printFitToOnePage = 32786;
inline constexpr int categoriesWindow = 32801;
inline constexpr int placementsWindow = 32802;
inline constexpr int groupNames = 32803;
inline constexpr int joinSupport = 32795;
inline constexpr int checkStability = 32796;
inline constexpr int enoughParticipants = 32797;
inline constexpr int participants = 32804;
inline constexpr int exportReport = 32805;
inline constexpr int exportWorkbook = 32806;
inline constexpr int find = 57636;
inline constexpr int findNext = 57640;
inline constexpr int fileNew = 57600;
inline constexpr int fileOpen = 57601;
inline constexpr int fileClose = 57602;
inline constexpr int fileSave = 57603;
inline constexpr int fileSaveAs = 57604;
inline constexpr int printSetup = 57606;
inline constexpr int print = 57607;
inline constexpr int printDirect = 57608;
inline constexpr int printPreview = 57609;
inline constexpr int recentFile = 57616;
inline constexpr int copy = 57634;
inline constexpr int cut = 57635;
inline constexpr int paste = 57637;
inline constexpr int undo = 57643;
inline constexpr int newWindow = 57648;
inline constexpr int arrangeIcons = 57649;
inline constexpr int cascade = 57650;
inline constexpr int tile = 57651;
inline constexpr int about = 57664;
inline constexpr int help = 57670;
inline constexpr int exit = 57665;
inline constexpr int nextPane = 57680;
inline constexpr int previousPane = 57681;
inline constexpr int viewToolbar = 59392;
inline constexpr int viewStatusBar = 59393;
} // namespace CommandId

// The program's own icon, for its windows and the About box.
QIcon applicationIcon();

// The string with the id, or an empty string when there is none.
QString loadString(int id);

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
