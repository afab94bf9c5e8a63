#pragma once

#include "app/SingleInstance.h"
#include "app/WidgetPlatform.h"

#include <QSettings>
#include <QStringList>

#include <memory>

namespace sortana {

class MainWindow;

// The program as started: per-user settings, the main window, the one-instance server and
// the command line.
class Application {
public:
    enum class Start { Running, PassedOn };

    Application();
    ~Application();

    // `arguments` without the program's name: none gives a new document (and the import
    // wizard), a file opens that file by type. When another start of the program runs
    // already, a file is passed on to it instead.
    Start initInstance(const QStringList &arguments);
    MainWindow *mainFrame() const { return m_mainFrame.get(); }

private:
    QSettings m_settings;
    WidgetPlatform m_platform;
    SingleInstance m_instance;
    std::unique_ptr<MainWindow> m_mainFrame;
};

} // namespace sortana
