#pragma once

#include <QCoreApplication>
#include <QDialog>

#include <optional>

namespace sortana {

struct StudySummary;

// How the document's study was imported, read-only, how well its tree keeps the pair scores
// (the cophenetic correlation, when there is one), and who the analysis leaves out (a line
// only when someone is).
class PropertiesDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(PropertiesDialog)

public:
    explicit PropertiesDialog(const StudySummary &summary, std::optional<double> cophenetic = std::nullopt,
                            const QString &leftOut = {}, QWidget *parent = nullptr);
};

} // namespace sortana
