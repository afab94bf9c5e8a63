#include "views/ParticipantsView.h"

#include "analysis/LeftOut.h"
#include "document/Document.h"
#include "document/DocumentCategories.h"
#include "formats/CardSortAnalysis.h"
#include "platform/Platform.h"
#include "tasks/LeaveOut.h"
#include "views/PrintedTable.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace sortana {

namespace {

QString askAnalysisFiles(QWidget *parent, const QString &initialCardsPath)
{
    QFileDialog dialog(parent,
                       QCoreApplication::translate("ParticipantsView", "Analyse Again: Name the Analysis Files"),
                       initialCardsPath,
                       QCoreApplication::translate("ParticipantsView", "Analysis files (*-Cards.csv);;All Files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

AnalysisFileNames analysisFilesNamedBy(const QString &chosenCardsPath, const QString &inputPath)
{
    QString base = chosenCardsPath;
    for (const QString &suffix : {QStringLiteral("-Cards.csv"), QStringLiteral(".csv")}) {
        if (base.endsWith(suffix, Qt::CaseInsensitive)) {
            base.chop(suffix.size());
            break;
        }
    }
    AnalysisFileNames names = analysisFileNames(base + QStringLiteral(".csv"));
    names.inputPath = inputPath;
    return names;
}

ParticipantsView::ParticipantsView(Document *document, Platform &platform, QWidget *parent)
    : DocumentWindow(document, platform, parent),
      m_pages(new QStackedWidget),
      m_missing(new QLabel(QString::fromUtf16(sortsMissingMessage))),
      m_leftOut(new QLabel),
      m_model(new ParticipantsModel(this)),
      m_sorted(new QSortFilterProxyModel(this)),
      m_table(new QTableView),
      m_representative(new QTextBrowser),
      m_tickFlagged(new QPushButton(tr("&Tick All Flagged"))),
      m_analyseAgain(new QPushButton(tr("&Analyse Again..."))),
      m_includeAll(new QPushButton(tr("&Include All..."))),
      m_chooseFiles([this](const QString &initial) { return askAnalysisFiles(this, initial); })
{
    // The window is made of widgets that scroll themselves.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);

    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(ParticipantsModel::sortRole);
    m_sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_table->setModel(m_sorted);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(Number, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(Flags, QHeaderView::Stretch);

    m_representative->setOpenLinks(false);
    m_leftOut->setWordWrap(true);
    m_leftOut->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_missing->setWordWrap(true);
    m_missing->setAlignment(Qt::AlignCenter);
    m_tickFlagged->setObjectName(QStringLiteral("tickAllFlagged"));
    m_tickFlagged->setToolTip(tr("Tick every participant with a flag"));
    m_analyseAgain->setObjectName(QStringLiteral("analyseAgain"));
    m_analyseAgain->setToolTip(tr("Analyse the study again without the ticked participants"));
    m_includeAll->setObjectName(QStringLiteral("includeAll"));
    m_includeAll->setToolTip(tr("Analyse the study again with every participant"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_tickFlagged);
    buttons->addStretch(1);
    buttons->addWidget(m_analyseAgain);
    buttons->addWidget(m_includeAll);
    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(m_leftOut);
    leftLayout->addWidget(m_table, 1);
    leftLayout->addLayout(buttons);
    auto *splitter = new QSplitter;
    splitter->addWidget(left);
    splitter->addWidget(m_representative);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    m_pages->addWidget(m_missing);
    m_pages->addWidget(splitter);
    auto *layout = new QVBoxLayout(viewport());
    layout->addWidget(m_pages);

    connect(m_model, &ParticipantsModel::dataChanged, this, [this] { updateButtons(); });
    connect(m_tickFlagged, &QPushButton::clicked, this, [this] { tickAllFlagged(); });
    connect(m_analyseAgain, &QPushButton::clicked, this, [this] { analyseAgain(); });
    connect(m_includeAll, &QPushButton::clicked, this, [this] { includeAll(); });
}

void ParticipantsView::initialUpdate()
{
    // The table and the sorts beside it need room: what the area gives, up to a comfortable size.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()); frame && !frame->isMaximized()) {
        QSize size(960, 600);
        if (QMdiArea *area = frame->mdiArea())
            size = size.boundedTo(area->viewport()->size());
        frame->resize(size);
    }
    documentUpdated(UpdateHint::NewStudy);
}

void ParticipantsView::documentUpdated(UpdateHint)
{
    if (!m_document || !m_document->hasStudy() || !m_document->study().sorts) {
        m_checks.reset();
        m_checkedStudy.reset();
        m_model->clear();
        m_pages->setCurrentWidget(m_missing);
        return;
    }
    m_pages->setCurrentIndex(1);
    // Analyse Again keeps every sort, and so the checks, or what stopped them.
    if (!m_checkedStudy || !(m_checkedStudy->sorts == m_document->study().sorts))
        fill();
    showLeftOut();
}

void ParticipantsView::fill()
{
    m_checkedStudy = m_document->sharedStudy();
    // The distances between every two sorts grow with the square of the participants: a
    // study too large for them leaves the table empty, said once, and every other window
    // as it was.
    try {
        BusyCursor busy(m_platform);
        m_checks = m_document->figures().participantChecks();
    } catch (const std::bad_alloc &) {
        m_checks.reset();
        m_model->clear();
        m_representative->clear();
        m_platform.error(tr("There is not enough memory to check the participants."));
        return;
    }
    std::vector<bool> counted;
    for (const ParticipantCheck &check : m_checks->rows)
        counted.push_back(m_document->study().sorts->participants[size_t(check.index)].counted);
    // Filled in file order, then shown in the order the user chose.
    m_model->setParticipants(*m_checks, std::move(counted));
    m_representative->setHtml(representativeHtml());
}

void ParticipantsView::showLeftOut()
{
    const std::vector<qint32> &leftOut = m_document->study().leftOut;
    const QString text = leftOutText(m_document->study());
    m_leftOut->setText(text.isEmpty() ? tr("Every participant is counted.") : tr("Left out of the analysis: ") + text);
    m_model->showLeftOut(leftOut);
    // Italics take more room; the flags take the rest.
    for (int c = 0; c < Flags; ++c)
        m_table->resizeColumnToContents(c);
    updateButtons();
}

void ParticipantsView::updateButtons()
{
    const bool hasSorts = m_checks.has_value();
    const std::vector<qint32> chosen = ticked();
    m_tickFlagged->setEnabled(hasSorts && !flaggedParticipants(*m_checks).empty());
    m_analyseAgain->setEnabled(hasSorts && chosen != m_document->study().leftOut && !chosen.empty());
    m_includeAll->setEnabled(hasSorts && !m_document->study().leftOut.empty());
}

std::vector<qint32> ParticipantsView::ticked() const
{
    return m_model->ticked();
}

bool ParticipantsView::setTicked(qint32 participant, bool ticked)
{
    return m_model->setTicked(participant, ticked);
}

void ParticipantsView::tickAllFlagged()
{
    if (!m_checks)
        return;
    for (const qint32 participant : flaggedParticipants(*m_checks))
        setTicked(participant, true);
}

bool ParticipantsView::analyseAgain()
{
    return runAnalysis(ticked());
}

bool ParticipantsView::includeAll()
{
    return runAnalysis({});
}

bool ParticipantsView::runAnalysis(std::vector<qint32> leftOut)
{
    if (!m_document)
        return false;
    if (const std::optional<QString> error = leaveOutError(m_document->study(), leftOut)) {
        m_platform.error(*error);
        return false;
    }
    const AnalysisFileNames defaults = leftOutFileNames(*m_document, int(leftOut.size()));
    const QString chosen = m_chooseFiles(defaults.cardsPath);
    if (chosen.isEmpty())
        return false;
    const AnalysisFileNames files = analysisFilesNamedBy(chosen, defaults.inputPath);
    return sortana::analyseAgain(*m_document, std::move(leftOut), files, m_platform,
                                 {.utf8CsvCopies = m_utf8CsvChoice && m_utf8CsvChoice()});
}

QString ParticipantsView::leftOutLine() const
{
    return m_leftOut->text();
}

QString ParticipantsView::representativeText() const
{
    return m_representative->toPlainText();
}

QString ParticipantsView::representativeHtml() const
{
    const QStringList names = m_document->hasStudy() ? m_document->study().itemNames : QStringList();
    QString html = QStringLiteral("<h3>%1</h3>").arg(tr("The most representative sorts"));
    if (m_checks->representative.empty())
        html += QStringLiteral("<p>%1</p>").arg(tr("No two participants placed cards to compare."));
    int rank = 0;
    for (const int row : m_checks->representative) {
        const ParticipantCheck &check = m_checks->rows[size_t(row)];
        html += tr("<p><b>%1. %2</b> (#%3), mean distance %4 %</p><ul>")
                    .arg(QString::number(++rank), check.id.toHtmlEscaped(), QString::number(check.index + 1),
                         meanDistanceText(check));
        for (const SortGroup &group : m_document->study().sorts->participants[size_t(check.index)].groups) {
            const QStringList cards = distinctCardNames(group, names);
            if (cards.isEmpty())
                continue;
            html += QStringLiteral("<li><b>%1</b>: %2</li>")
                        .arg(group.name.toHtmlEscaped(), cards.join(QStringLiteral(", ")).toHtmlEscaped());
        }
        html += QStringLiteral("</ul>");
    }
    return html;
}

QString ParticipantsView::tableText() const
{
    QStringList lines = {ParticipantsModel::headings().join(u'\t')};
    for (int r = 0; r < m_sorted->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells << m_sorted->index(r, c).data().toString().replace(u'\t', u' ').replace(u'\n', u' ');
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

QString ParticipantsView::printedHtml() const
{
    PrintedTable table;
    table.headings = ParticipantsModel::headings();
    for (int r = 0; r < m_sorted->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < ColumnCount; ++c)
            cells << m_sorted->index(r, c).data().toString();
        table.rows.push_back(cells);
    }
    return QStringLiteral("<h2>%1</h2><p>%2</p>").arg(tr("Participants"), m_leftOut->text().toHtmlEscaped())
        + tableHtml(table) + representativeHtml();
}

bool ParticipantsView::canCopy() const
{
    return m_checks.has_value();
}

void ParticipantsView::copyToClipboard()
{
    if (!canCopy())
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        message(tr("Cannot open the Clipboard"));
        return;
    }
    clipboard->setText(tableText());
    if (!clipboard->mimeData() || !clipboard->mimeData()->hasText())
        message(tr("Unable to set Clipboard data"));
}

bool ParticipantsView::printTo(QPrinter &printer)
{
    if (!m_checks)
        return false;
    return printPagesOn(printer, tr("The participants"), [this](QPainter &painter, const auto &newPage) {
        return printTextPages(painter, newPage, m_document->title, printedHtml());
    });
}

bool ParticipantsView::findNext(const QString &text)
{
    const int rows = m_sorted->rowCount();
    const QModelIndex current = m_table->currentIndex();
    const int start = current.isValid() ? current.row() + 1 : 0;
    for (int step = 0; step < rows; ++step) {
        const int r = (start + step) % rows;
        const QModelIndex id = m_sorted->index(r, Participant);
        if (id.data().toString().contains(text, Qt::CaseInsensitive)) {
            m_table->setCurrentIndex(id);
            m_table->selectionModel()->select(id, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            m_table->scrollTo(id);
            return true;
        }
    }
    return false;
}

bool ParticipantsView::exportPicture(const QString &, int)
{
    message(tr("The participants are a table, not a picture: copy it or print it instead."));
    return false;
}

} // namespace sortana
