#pragma once

#include <QByteArray>

namespace sortana {
class CSortanaMdiDoc;
}

namespace sortana::test {

// Imports a raw data study (8-bit text as given) with the options its survey suggests into
// the document, as the import command does; a failure fails the test.
void importDocument(const QByteArray &study, CSortanaMdiDoc &document);

} // namespace sortana::test
