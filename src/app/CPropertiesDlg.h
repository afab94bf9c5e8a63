#pragma once

#include <QDialog>

#include <optional>

namespace sortana {

struct StudySummary;

// How the document's study was imported, read-only, and how well its tree keeps the pair
// scores (the cophenetic correlation, when there is one).
class CPropertiesDlg : public QDialog {
public:
    explicit CPropertiesDlg(const StudySummary &summary, std::optional<double> cophenetic = std::nullopt,
                            QWidget *parent = nullptr);
};

} // namespace sortana
