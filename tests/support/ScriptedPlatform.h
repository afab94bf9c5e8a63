#pragma once

#include "platform/Platform.h"

#include <QList>
#include <QStringList>

namespace sortana {

// Test double: remembers every message and answers OK/Cancel boxes from a script.
class ScriptedPlatform final : public Platform {
public:
    struct Message {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        bool operator==(const Message &) const = default;
    };

    // Answers for the boxes with a choice, used in order; once used up, OK/Cancel boxes get
    // OK and Yes/No/Cancel boxes Cancel.
    void script(QList<MessageAnswer> answers) { m_answers = std::move(answers); }

    MessageAnswer messageBox(const QString &text, MessageIcon icon, MessageButtons buttons) override;
    // Every request is noted; the desktop accepts them unless told it has no opener.
    bool shellOpen(const QString &pathOrAddress) override
    {
        m_opened.append(pathOrAddress);
        return m_canOpen;
    }
    void setCanOpen(bool canOpen) { m_canOpen = canOpen; }
    void beginBusy() override { ++m_busyDepth; }
    void endBusy() override { --m_busyDepth; }
    // Folders set unwritable by the test refuse files (tests run as root, which permission
    // bits do not stop); the others are tried.
    bool canWriteIn(const QString &folder) override;
    void setUnwritable(const QString &folder) { m_unwritable.append(folder); }
    // The folders the user chooses, in order; none (a cancelled dialog) once used up.
    QString chooseFolder(const QString &start) override;
    void scriptFolders(QStringList folders) { m_folders = std::move(folders); }
    // A budget set by the test stands in for the machine's memory.
    qint64 availableMemory() const override { return m_memoryBudget > 0 ? m_memoryBudget : Platform::availableMemory(); }
    void setMemoryBudget(qint64 bytes) { m_memoryBudget = bytes; }

    const QList<Message> &messages() const { return m_messages; }
    QStringList texts() const;
    const QStringList &opened() const { return m_opened; }
    int busyDepth() const { return m_busyDepth; }
    void clear() { m_messages.clear(); m_opened.clear(); }

private:
    QList<MessageAnswer> m_answers;
    QList<Message> m_messages;
    QStringList m_opened;
    QStringList m_unwritable;
    QStringList m_folders;
    bool m_canOpen = true;
    int m_busyDepth = 0;
    qint64 m_memoryBudget = 0;
};

} // namespace sortana
