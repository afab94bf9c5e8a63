#include "app/Application.h"

#include "app/MainWindow.h"

#include <QFileInfo>

namespace sortana {

Application::Application() : m_settings(QStringLiteral("Verdell"), QStringLiteral("Sortana")) {}

Application::~Application() = default;

Application::Start Application::initInstance(const QStringList &arguments)
{
    const QString file = arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).absoluteFilePath();
    const QString serverName = instanceServerName();
    if (!file.isEmpty() && SingleInstance::passToRunningInstance(serverName, file))
        return Start::PassedOn;

    m_mainFrame = std::make_unique<MainWindow>(m_platform, m_settings);
    m_platform.setParent(m_mainFrame.get());
    // Without the server this start still works; it just cannot take later starts' files.
    m_instance.listen(serverName, [this](const QString &request) { m_mainFrame->executeRequest(request); });
    m_mainFrame->show();
    if (file.isEmpty())
        m_mainFrame->newDocument();
    else
        m_mainFrame->openFile(file);
    return Start::Running;
}

} // namespace sortana
