#include "app/CSortanaMdiApp.h"

#include "app/CMainFrame.h"

#include <QFileInfo>

namespace sortana {

CSortanaMdiApp::CSortanaMdiApp() : m_settings(QStringLiteral("Verdell"), QStringLiteral("Sortana")) {}

CSortanaMdiApp::~CSortanaMdiApp() = default;

CSortanaMdiApp::Start CSortanaMdiApp::InitInstance(const QStringList &arguments)
{
    const QString file = arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).absoluteFilePath();
    const QString serverName = instanceServerName();
    if (!file.isEmpty() && SingleInstance::passToRunningInstance(serverName, file))
        return Start::PassedOn;

    m_mainFrame = std::make_unique<CMainFrame>(m_platform, m_settings);
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
