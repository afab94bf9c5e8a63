#include "document/DocumentLinks.h"

namespace sortana {

DocumentBar *CurrentDialogBar = nullptr;
QString PendingImportPath;

} // namespace sortana
