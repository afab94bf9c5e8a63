#pragma once

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

class QCheckBox;
class QHBoxLayout;
class QLineEdit;

namespace sortana {

struct StudySummary;

// The path as it fits the width: a path too long has its folder part shortened in the
// middle, never its file name, which is shown whole even when it alone is too wide.
QString elidePath(const QString &path, const QFontMetrics &metrics, int width);

// A label that shortens a long path as elidePath does; the whole path is its tooltip.
class PathLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setPath(const QString &path);
    QString path() const { return m_path; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();
    QString m_path;
};

// What an import found and the options it uses, as step 2 of the wizard edits them and the
// Properties dialog shows them.
class StudySummaryPanel : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(StudySummaryPanel)

public:
    explicit StudySummaryPanel(QWidget *parent = nullptr);

    // The survey's findings: file name, type, features, participants and item names.
    void showSurvey(const StudySummary &summary);
    // The option boxes and the copies field.
    void showOptions(const StudySummary &summary);
    void showParticipants(const StudySummary &summary);
    void setMaximumScoreText(const QString &text);
    // Read-only: options shown but not editable.
    void setReadOnly();

    QCheckBox &useFit() { return *m_useFit; }
    QCheckBox &useSubGroups() { return *m_useSubGroups; }
    QCheckBox &useExpert() { return *m_useExpert; }
    QLineEdit &copies() { return *m_copies; }
    // Room on the options row for a page's own button.
    void addOptionButton(QWidget *button);

private:
    PathLabel *m_fileName;
    QLabel *m_fileType;
    QLabel *m_features;
    QLabel *m_participants;
    QLabel *m_itemNames;
    QCheckBox *m_useFit;
    QCheckBox *m_useSubGroups;
    QCheckBox *m_useExpert;
    QLineEdit *m_copies;
    QLabel *m_maximumScore;
    QHBoxLayout *m_optionRow;
};

} // namespace sortana
