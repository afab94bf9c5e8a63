#pragma once

#include <QDialog>

namespace sortana {

struct StudySummary;

// How the document's study was imported, read-only.
class CPropertiesDlg : public QDialog {
public:
    explicit CPropertiesDlg(const StudySummary &summary, QWidget *parent = nullptr);
};

} // namespace sortana
