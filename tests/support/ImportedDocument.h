#pragma once

#include <QByteArray>

#include <functional>

namespace sortana {
class Document;
class ImportRun;
}

namespace sortana::test {

// Imports a raw data study (8-bit text as given) with the options its survey suggests into
// the document, as the import command does; a failure fails the test. `options`, when
// given, changes the run's options after the survey.
void importDocument(const QByteArray &study, Document &document,
                    const std::function<void(ImportRun &)> &options = {});

} // namespace sortana::test
