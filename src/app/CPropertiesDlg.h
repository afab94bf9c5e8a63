#pragma once

#include <QDialog>

#include <optional>

namespace sortana {

struct StudySummary;

// How the document's study was imported, read-only, and how well its tree keeps the pair
// scores when that is known.
class CPropertiesDlg : public QDialog {
public:
    explicit CPropertiesDlg(const StudySummary &summary, std::optional<double> cophenetic = std::nullopt,
                            QWidget *parent = nullptr);
};

// The line that gives the cophenetic correlation, four decimals as sortana-cli prints it.
QString copheneticLine(double correlation);

} // namespace sortana
