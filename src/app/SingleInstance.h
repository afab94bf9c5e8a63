#pragma once

#include <QLocalServer>
#include <QString>

#include <functional>

namespace sortana {

// One running program per user: a second start hands its file to the first and ends. Open
// requests travel as "[open("path")]".
class SingleInstance {
public:
    // Requests this long or longer are refused unread.
    static constexpr qsizetype maxRequestLength = 520;

    static QString openRequest(const QString &path);
    // The path an open request names, or an empty string when it is no open request.
    static QString requestedPath(const QString &request);

    // Asks the running program, if there is one, to open the file. True when it took the
    // request.
    static bool passToRunningInstance(const QString &serverName, const QString &path);

    // Listens for requests from later starts; each acceptable request reaches the handler.
    bool listen(const QString &serverName, std::function<void(const QString &request)> handler);

private:
    QLocalServer m_server;
};

// The server name for the current user.
QString instanceServerName();

} // namespace sortana
