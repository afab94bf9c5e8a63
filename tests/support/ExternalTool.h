#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sortana::test {

// Runs a program the tests read their output with (poppler's pdftotext and pdftoppm and
// the like) and gives what it wrote to standard output. Such a program is part of the test
// set-up: a missing one, or one that fails, fails the test rather than letting it pass
// unchecked.
QByteArray runTool(const QString &tool, const QStringList &arguments);

} // namespace sortana::test
