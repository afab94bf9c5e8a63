// The desktop program answers --help and --version on standard output without a display,
// as scripts and package tools ask them where there is none.
#include "SortanaVersion.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(DesktopCommandLine, HelpAndVersionNeedNoDisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    const struct {
        QStringList arguments;
        QString out;
    } cases[] = {
        {{u"--version"_s}, u"sortana "_s + QStringLiteral(SORTANA_VERSION) + u'\n'},
        {{u"--help"_s}, u"Usage: sortana [FILE]\n"_s},
        {{u"-h"_s}, u"Usage: sortana [FILE]\n"_s},
        // Qt's own options stay the application's.
        {{u"-platform"_s, u"xcb"_s, u"--help"_s}, u"Usage: sortana [FILE]\n"_s},
    };
    for (const auto &c : cases) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(SORTANA_APP), c.arguments);
        ASSERT_TRUE(process.waitForFinished(60'000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(out.startsWith(c.out)) << out.toStdString();
        EXPECT_TRUE(process.readAllStandardError().isEmpty());
    }
}

} // namespace
