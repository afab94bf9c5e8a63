#include "app/StudySummaryPanel.h"

#include "app/Resources.h"
#include "study/StudySummary.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace sortana {

QString elidePath(const QString &path, const QFontMetrics &metrics, int width)
{
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    // Documents written on Windows name their data files with backslashes.
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    if (separator <= 0)
        return path;
    const QString name = path.mid(separator);
    QString folder = metrics.elidedText(path.left(separator), Qt::ElideMiddle, width - metrics.horizontalAdvance(name));
    if (folder.isEmpty())
        folder = QString(QChar(0x2026));
    return folder + name;
}

void PathLabel::setPath(const QString &path)
{
    m_path = path;
    setToolTip(path);
    elide();
}

void PathLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void PathLabel::elide()
{
    setText(elidePath(m_path, fontMetrics(), width()));
}

namespace {

template <typename Widget, typename... Args>
Widget *makeControl(int id, Args &&...args)
{
    auto *control = new Widget(std::forward<Args>(args)...);
    setControlId(*control, id);
    return control;
}

QFrame *separatorLine()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

StudySummaryPanel::StudySummaryPanel(QWidget *parent)
    : QWidget(parent),
      m_fileName(makeControl<PathLabel>(ControlId::fileName)),
      m_fileType(makeControl<QLabel>(ControlId::fileType)),
      m_features(makeControl<QLabel>(ControlId::features)),
      m_participants(makeControl<QLabel>(ControlId::participants)),
      m_itemNames(makeControl<QLabel>(ControlId::itemNames)),
      m_useFit(makeControl<QCheckBox>(ControlId::useFit, tr("Use &quality of fit"))),
      m_useSubGroups(makeControl<QCheckBox>(ControlId::useSubGroups, tr("Use &sub-groups"))),
      m_useExpert(makeControl<QCheckBox>(ControlId::useExpert, tr("Use &expert data"))),
      m_copies(makeControl<QLineEdit>(ControlId::copies)),
      m_maximumScore(makeControl<QLabel>(ControlId::maximumScore)),
      m_optionRow(new QHBoxLayout)
{
    m_fileName->setMinimumWidth(300);
    m_fileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *facts = new QFormLayout;
    facts->addRow(tr("File name:"), m_fileName);
    facts->addRow(tr("File type:"), m_fileType);
    facts->addRow(tr("Features:"), m_features);
    facts->addRow(tr("Participants:"), m_participants);
    facts->addRow(tr("Item names:"), m_itemNames);

    auto *advanced = new QLabel(tr("&Advanced:"));
    advanced->setBuddy(m_useFit);
    m_optionRow->addWidget(m_useFit);
    m_optionRow->addWidget(m_useSubGroups);
    m_optionRow->addWidget(m_useExpert);
    m_optionRow->addStretch();

    m_copies->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_copies));
    m_copies->setMaximumWidth(60);
    auto *copiesLabel = new QLabel(tr("&Copies of item cards per participant:"));
    copiesLabel->setBuddy(m_copies);
    auto *copiesRow = new QHBoxLayout;
    copiesRow->addWidget(copiesLabel);
    copiesRow->addWidget(m_copies);
    copiesRow->addStretch();

    // Two lines of text: the line break sits inside the text.
    m_maximumScore->setMinimumHeight(2 * m_maximumScore->fontMetrics().lineSpacing());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(facts);
    layout->addWidget(separatorLine());
    layout->addWidget(advanced);
    layout->addLayout(m_optionRow);
    layout->addLayout(copiesRow);
    layout->addWidget(m_maximumScore);
}

void StudySummaryPanel::showSurvey(const StudySummary &summary)
{
    m_fileName->setPath(fileNameText(summary));
    m_fileType->setText(fileTypeText(summary));
    m_features->setText(featuresText(summary));
    showParticipants(summary);
    m_itemNames->setText(QString::number(summary.itemCount));
}

void StudySummaryPanel::showOptions(const StudySummary &summary)
{
    m_useExpert->setChecked(summary.useExpert);
    m_useFit->setChecked(summary.useFit);
    m_useSubGroups->setChecked(summary.useSubGroups);
    m_copies->setText(QString::number(summary.copiesPerParticipant));
}

void StudySummaryPanel::showParticipants(const StudySummary &summary)
{
    m_participants->setText(QString::number(shownParticipants(summary)));
}

void StudySummaryPanel::setMaximumScoreText(const QString &text)
{
    m_maximumScore->setText(text);
}

void StudySummaryPanel::setReadOnly()
{
    for (QWidget *control : std::initializer_list<QWidget *>{m_useFit, m_useSubGroups, m_useExpert, m_copies})
        control->setEnabled(false);
}

void StudySummaryPanel::addOptionButton(QWidget *button)
{
    m_optionRow->addWidget(button);
}

} // namespace sortana
