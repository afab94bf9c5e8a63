#pragma once

#include <QString>
#include <QStringView>

namespace sortana {

qint64 systemAvailableMemory();

enum class MessageIcon { None, Stop, Exclamation, Information };
// OkCancelIgnoreAll: a data warning that can also be answered OK for the rest of the read.
// ChooseFolderCancel: a folder that cannot be used, with the choice of another.
enum class MessageButtons { Ok, OkCancel, YesNoCancel, OkCancelIgnoreAll, ChooseFolderCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, IgnoreAll, ChooseFolder };

// The few services the core needs from its surroundings. The desktop program shows real
// dialogs, the command line prints, tests script the answers; the core cannot tell which.
class Platform {
public:
    virtual ~Platform() = default;

    // Modal message titled with the application's name. Callers that offer Cancel give up
    // on Cancel and go on for every other answer; Yes/No/Cancel asks before losing work.
    virtual MessageAnswer messageBox(const QString &text, MessageIcon icon,
                                     MessageButtons buttons) = 0;

    // Asks the desktop to open a file or web address in its associated application. False
    // when the desktop reports that it cannot (no application is set up for it, say).
    virtual bool shellOpen(const QString &pathOrAddress) = 0;

    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // Whether files can be written in the folder, found by writing a temporary file there and
    // taking it back.
    virtual bool canWriteIn(const QString &folder);
    // Asks the user for a folder, starting at `start`; empty when none was chosen.
    virtual QString chooseFolder(const QString &) { return {}; }

    // Bytes this process can still allocate: the smaller of the system's available memory
    // and what the address-space and control-group limits leave.
    virtual qint64 availableMemory() const { return systemAvailableMemory(); }

    // Convenience forms for the three kinds of box the program uses.
    void fileFailure(const QString &text) { messageBox(text, MessageIcon::Stop, MessageButtons::Ok); }
    void error(const QString &text) { messageBox(text, MessageIcon::Exclamation, MessageButtons::Ok); }
    // True when the user chose to go on.
    bool warning(const QString &text)
    {
        return messageBox(text, MessageIcon::Information, MessageButtons::OkCancel) != MessageAnswer::Cancel;
    }
};

// Shows the busy indication for as long as it lives, so every way out restores the cursor.
class BusyCursor {
public:
    explicit BusyCursor(Platform &platform) : m_platform(platform) { m_platform.beginBusy(); }
    ~BusyCursor() { m_platform.endBusy(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    Platform &m_platform;
};

inline constexpr QStringView applicationName = u"Sortana";

} // namespace sortana
