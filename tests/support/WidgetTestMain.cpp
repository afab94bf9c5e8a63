// Widget tests need a full application object; the offscreen platform needs no display.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says so every time a window's size hints change; nothing to act on.
void dropPlatformChatter(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("does not support propagateSizeHints")))
        defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    defaultHandler = qInstallMessageHandler(dropPlatformChatter);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
