#pragma once

#include <QDialog>

namespace sortana {

struct StudySummary;

// How the document's study was imported, read-only, and who the analysis leaves out (a line
// only when someone is).
class CPropertiesDlg : public QDialog {
public:
    explicit CPropertiesDlg(const StudySummary &summary, QWidget *parent = nullptr, const QString &leftOut = {});
};

} // namespace sortana
