#include "app/PropertiesDialog.h"

#include "analysis/ResamplingExport.h"
#include "app/Resources.h"
#include "app/StudySummaryPanel.h"
#include "study/StudySummary.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sortana {

PropertiesDialog::PropertiesDialog(const StudySummary &summary, std::optional<double> cophenetic,
                               const QString &leftOut, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Properties"));
    auto *panel = new StudySummaryPanel;
    panel->showSurvey(summary);
    panel->showOptions(summary);
    panel->setReadOnly();
    // Older documents hold no counts: no line rather than a meaningless one.
    const bool counted = summary.maxScorePerItem() >= 1 && summary.participantCount >= 1;
    panel->setMaximumScoreText(counted ? maximumScoreLine(summary) : QString());

    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    if (cophenetic) {
        auto *label = new QLabel(tr("Cophenetic correlation %1 (how well the tree keeps the pair scores)")
                                     .arg(formatCorrelation(*cophenetic)));
        label->setObjectName(QStringLiteral("copheneticCorrelation"));
        layout->addWidget(label);
    }
    if (!leftOut.isEmpty()) {
        auto *leftOutLine = new QLabel(tr("Left out of the analysis: ") + leftOut);
        leftOutLine->setObjectName(QStringLiteral("leftOut"));
        leftOutLine->setWordWrap(true);
        leftOutLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(leftOutLine);
    }
    layout->addWidget(line);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

} // namespace sortana
