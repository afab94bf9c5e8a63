#include "formats/CardSortAnalysis.h"

#include "formats/ImportMessages.h"
#include "formats/RawRecord.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"
#include "platform/SafeFiles.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace sortana {

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr quint32 outputFlags =
    TextFile::modeCreate | TextFile::modeWrite | TextFile::shareExclusive | TextFile::modeUnicode;

constexpr char16_t emptyGroup[] = u"Warning - empty group at line %d (participant id %s)";
constexpr char16_t missingGroup[] = u"Warning - missing group record at line %d (participant id %s)";
constexpr char16_t invalidData[] = u"Warning - invalid data ignored at line %d (participant id %s)";
constexpr char16_t rowWithoutParticipant[] = u"Warning - row %d has no participant id and was ignored";
constexpr char16_t duplicateItem[] = u"Warning - duplicate item found at line %d (participant id %s)";
constexpr char16_t emptySubGroup[] = u"Warning - empty sub-group at line %d (participant id %s)";
constexpr char16_t noItemNames[] = u"Error - no item names found prior to first participant (participant id %s)";
constexpr char16_t tooLittleData[] = u"Error - too little data for analysis\nCheck that the input file is plain text";
constexpr char16_t numberTooLarge[] = u"Error - number too large at line %d (participant id %s)\n"
                                      u"A pair count, score or total of this study exceeds 2147483647";
constexpr char16_t fileChanged[] = u"Error - the input file has changed since it was surveyed (participant id %s)\n"
                                   u"Please start the import again";
constexpr char16_t outOfMemory[] = u"Error - not enough memory to analyse %d items";

// Adds without wrapping; false (and no change) when the sum would not fit.
bool addWithinInt(int &total, qint64 amount)
{
    const qint64 sum = qint64(total) + amount;
    if (sum > intMax)
        return false;
    total = static_cast<int>(sum);
    return true;
}
} // namespace

CardSortAnalysis::CardSortAnalysis(AnalysisFileNames &names, StudySummary &studySummary, Platform &platform)
    : fileNames(&names),
      summary(&studySummary),
      m_platform(platform)
{
}

CardSortAnalysis::OutputFiles::OutputFiles(CardSortAnalysis &analysis)
    : m_files{&analysis.cardsFile, &analysis.itemsFile, &analysis.participantsFile, &analysis.matrixFile,
              &analysis.weightedMatrixFile}
{
}

void CardSortAnalysis::OutputFiles::write(AnalysisFile file, QStringView text)
{
    m_files[std::size_t(file)]->writeString(text);
}

CardSortAnalysis::~CardSortAnalysis()
{
    closeFiles();
}

void CardSortAnalysis::closeFiles()
{
    m_records.reset();
    for (TextFile *file : {&inputFile, &cardsFile, &itemsFile, &participantsFile, &matrixFile, &weightedMatrixFile})
        file->Close();
    for (Utf8CsvCopy &copy : m_copies)
        copy.close();
}

bool CardSortAnalysis::beginRead()
{
    const int n = itemCount();
    // Refused before anything is sized by n: the matrices could not be held.
    if (n > PairMatrix::maxItems) {
        m_platform.error(formatMessage(messages::tooManyItems, {QString::number(n)}));
        return false;
    }
    pairMatrix.reset();
    expertMatrix.reset();
    isExpert = false;
    participantSeen = false;
    readState = ReadState::Start;
    fitTotal = groupCounter = subGroupCounter = itemLineCount = pairCount = 0;
    m_cardsSortedTogether = m_cardSortedByTwo = false;
    m_subGroupLinesSinceCard = 0;
    m_firstSorter.clear();
    participantId.clear();
    currentGroup.clear();
    itemNames.clear();
    itemPlacements.clear();
    // A read after a failed one must not see the names and records of the failed one.
    groupNames.clear();
    participants.clear();
    sorts.participants.clear();
    itemAlignmentSums.assign(static_cast<size_t>(std::max(n, 0)), 0.0);
    itemExpertAlignmentSums.assign(static_cast<size_t>(std::max(n, 0)), 0.0);

    if (!openInput())
        return false;
    if (m_sink)
        return true;
    const std::array<Output, 5> files = outputs();
    // All are looked at before any is created, so a refusal leaves nothing behind.
    for (const Output &output : files) {
        if (!checkOutputFile(output.path, m_platform)
            || (m_utf8CsvCopies && !checkOutputFile(utf8CsvPath(output.path), m_platform))) {
            closeFiles();
            return false;
        }
    }
    for (const Output &output : files) {
        if (!output.file.Open(output.path, outputFlags)
            || (m_utf8CsvCopies && !output.copy.open(utf8CsvPath(output.path)))) {
            m_platform.fileFailure(QString::fromUtf16(output.createFailure));
            closeFiles();
            return false;
        }
        if (m_utf8CsvCopies)
            output.file.setCopy([&copy = output.copy](QStringView text) { copy.write(text); });
        else
            output.file.setCopy({});
    }
    return true;
}

bool CardSortAnalysis::openInput()
{
    if (m_recordSource) {
        m_records = m_recordSource();
        return true;
    }
    if (!checkInputFile(fileNames->inputPath, m_platform))
        return false;
    if (m_tableOptions) {
        auto table = std::make_unique<TableRecords>();
        if (!loadTable(fileNames->inputPath, *table))
            return false;
        m_records = std::move(table);
        return true;
    }
    if (!inputFile.Open(fileNames->inputPath, TextFile::modeRead | TextFile::shareDenyWrite)) {
        m_platform.fileFailure(QString::fromUtf16(messages::inputOpenFailed));
        return false;
    }
    // The read and the participants pass must see the same bytes, whatever happens to the
    // file meanwhile: it is read into memory once.
    if (!inputFile.Preload()) {
        m_platform.fileFailure(QString::fromUtf16(messages::inputReadFailed));
        closeFiles();
        return false;
    }
    m_records = std::make_unique<RawTextRecords>(inputFile);
    return true;
}

std::array<CardSortAnalysis::Output, 5> CardSortAnalysis::outputs()
{
    return {{
        {cardsFile, m_copies[0], fileNames->cardsPath,
         u"Failed to create cards output file\nMake sure it is not in use in other applications",
         u"Failed to write cards output file\nMake sure there is enough free space on the disk"},
        {itemsFile, m_copies[1], fileNames->itemsPath,
         u"Failed to create items output file\nMake sure it is not in use in other applications",
         u"Failed to write items output file\nMake sure there is enough free space on the disk"},
        {participantsFile, m_copies[2], fileNames->participantsPath,
         u"Failed to create participants output file\nMake sure it is not in use in other applications",
         u"Failed to write participants output file\nMake sure there is enough free space on the disk"},
        {matrixFile, m_copies[3], fileNames->matrixPath,
         u"Failed to create matrix output file\nMake sure it is not in use in other applications",
         u"Failed to write matrix output file\nMake sure there is enough free space on the disk"},
        {weightedMatrixFile, m_copies[4], fileNames->weightedMatrixPath,
         u"Failed to create weighted matrix output file\nMake sure it is not in use in other applications",
         u"Failed to write weighted matrix output file\nMake sure there is enough free space on the disk"},
    }};
}

bool CardSortAnalysis::commitFiles()
{
    m_records.reset();
    inputFile.Close();
    if (m_sink)
        return true;
    const std::array<Output, 5> files = outputs();
    // Every file must be complete before the first replaces its old version: the five and
    // their copies belong together, and a half-replaced set would mix two runs.
    for (const Output &output : files) {
        if (!output.file.Flush() || (m_utf8CsvCopies && !output.copy.flush())) {
            m_platform.fileFailure(QString::fromUtf16(output.writeFailure));
            closeFiles();
            return false;
        }
    }
    for (const Output &output : files) {
        if (!output.file.Commit() || (m_utf8CsvCopies && !output.copy.commit())) {
            m_platform.fileFailure(QString::fromUtf16(output.writeFailure));
            closeFiles();
            return false;
        }
    }
    return true;
}

int CardSortAnalysis::Read()
{
    if (!beginRead())
        return -1;
    isExpert = false;
    participantCounter = 0;
    m_lineNumber = 0;
    m_ignoringWarnings = false;
    m_unshownWarnings = 0;
    const int result = readRecords();
    if (m_unshownWarnings > 0) {
        m_platform.messageBox(formatMessage(u"%d further warnings were answered OK without being shown",
                                            {QString::number(m_unshownWarnings)}),
                              MessageIcon::Information, MessageButtons::Ok);
    }
    return result;
}

int CardSortAnalysis::readRecords()
{
    RecordSource &source = records();
    source.rewind();
    if (const std::optional<QString> warning = source.warningBeforeRead(); warning && !dataWarning(*warning)) {
        closeFiles();
        return 0;
    }
    StudyRecord record;
    while (source.next(record)) {
        m_lineNumber = record.position;
        Step step = Step::Go;
        switch (record.kind) {
        case RecordKind::Participant: step = handleParticipant(record.value); break;
        case RecordKind::Group: step = handleGroup(record); break;
        case RecordKind::SubGroup: step = handleSubGroup(); break;
        case RecordKind::Item: step = handleItem(record.value); break;
        case RecordKind::Invalid:
            step = warn(record.withoutParticipant ? rowWithoutParticipant : invalidData) ? Step::Go : Step::Stop;
            break;
        case RecordKind::Other: break;
        }
        if (step == Step::Stop) {
            closeFiles();
            return 0;
        }
    }
    if (source.failed()) {
        source.reportFailure(m_platform);
        closeFiles();
        return 0;
    }

    const int n = itemCount();
    if (pairMatrix && n >= 2) {
        keepSubGroupLinesWithoutCards();
        endParticipant();
        return n;
    }
    m_platform.error(QString::fromUtf16(tooLittleData));
    closeFiles();
    return 0;
}

bool CardSortAnalysis::allocateStudyTables(const QString &firstId)
{
    const int n = itemCount();
    if (n == 0) {
        m_platform.error(formatMessage(noItemNames, {firstId}));
        return false;
    }
    // Names and item count come from two passes over the file; they differ only when the
    // file changed in between, and then item numbers could point past the names.
    if (itemNames.size() != n) {
        m_platform.error(formatMessage(fileChanged, {firstId}));
        return false;
    }
    if (!pairMatrix.allocate(n)) {
        m_platform.error(formatMessage(outOfMemory, {QString::number(n)}));
        return false;
    }
    itemPlacements.assign(static_cast<size_t>(n), {});
    m_firstSorter.assign(static_cast<size_t>(n), 0);
    return true;
}

CardSortAnalysis::Step CardSortAnalysis::handleParticipant(QStringView value)
{
    if (!participantSeen) {
        if (!allocateStudyTables(participantIdFrom(value)))
            return Step::Stop;
        participantSeen = true;
    } else {
        // Only a participant that began is ended: a sub-group line before the first
        // participant must not produce a record for nobody.
        keepSubGroupLinesWithoutCards();
        endParticipant();
    }
    participantId = participantIdFrom(value);
    readState = ReadState::Participant;
    isExpert = summary->useExpert && participantCounter == 0;
    if (isExpert && !expertMatrix.allocate(itemCount())) {
        m_platform.error(formatMessage(outOfMemory, {QString::number(itemCount())}));
        return Step::Stop;
    }
    writeCards({}, participantId, u"\r\n");
    sorts.participants.push_back({participantId, !isExpert, {}});
    return Step::Go;
}

CardSortAnalysis::Step CardSortAnalysis::handleGroup(const StudyRecord &record)
{
    if (!participantSeen) {
        groupNames.append(record.value.toString());
        return Step::Go;
    }
    if ((readState == ReadState::Start || readState == ReadState::Group || readState == ReadState::SubGroup)
        && !warn(emptyGroup))
        return Step::Stop;
    keepSubGroupLinesWithoutCards();
    const QString name = record.literalName ? record.value.toString() : groupNameFrom(record.value, groupNames);
    writeCards(u"\t\"", name, u"\"\r\n");
    sorts.participants.back().groups.push_back({name, record.idOnly, {}});
    closeGroup();
    readState = ReadState::Group;
    return Step::Go;
}

CardSortAnalysis::Step CardSortAnalysis::handleSubGroup()
{
    if ((readState == ReadState::Start || readState == ReadState::SubGroup) && !warn(emptySubGroup))
        return Step::Stop;
    // Counted with sub-groups unused too, where it changes no score, so that the kept sorts
    // know where every sub-group line stood.
    ++subGroupCounter;
    if (participantSeen)
        ++m_subGroupLinesSinceCard;
    readState = ReadState::SubGroup;
    writeCards(u"\t\t\"---\"\r\n", {}, {});
    return Step::Go;
}

CardSortAnalysis::Step CardSortAnalysis::handleItem(QStringView value)
{
    if (!participantSeen) {
        itemNames.append(value.toString());
        readState = ReadState::ItemName;
        return Step::Go;
    }
    if (readState != ReadState::Group && readState != ReadState::SubGroup && readState != ReadState::Item
        && !warn(missingGroup))
        return Step::Stop;
    ++itemLineCount;
    const Placement placement = parsePlacement(value);
    const bool useFit = summary->useFit;
    if (!placement.isValid(itemCount(), useFit)) {
        ++sorts.participants.back().unplacedLines;
        return warn(invalidData) ? Step::Go : Step::Stop;
    }
    const int weight = placement.weight(useFit);

    writeCards(u"\t\t\"", itemNames.at(placement.item - 1), u"\"\r\n");
    if (addPairs(placement.item, weight) == Step::Stop)
        return Step::Stop;
    if (!isExpert)
        noteSorted(placement.item);
    currentGroup.push_back({placement.item, weight, subGroupCounter});
    keepSortedCard({placement.item - 1, weight, subGroupCounter});
    if (!isExpert) {
        ItemPlacement &totals = itemPlacements[static_cast<size_t>(placement.item - 1)];
        ++totals.placements;
        if (!addWithinInt(totals.fitSum, weight)) {
            errorAtLine(numberTooLarge);
            return Step::Stop;
        }
    }
    if (!addWithinInt(fitTotal, weight)) {
        errorAtLine(numberTooLarge);
        return Step::Stop;
    }
    readState = ReadState::Item;
    return Step::Go;
}

CardSortAnalysis::Step CardSortAnalysis::addPairs(int item, int weight)
{
    PairMatrix &matrix = isExpert ? expertMatrix : pairMatrix;
    // Half of the cells lie down one column of a matrix far larger than the cache: asking
    // for all of them first lets the memory fetch them together instead of one by one.
    for (const GroupEntry &entry : currentGroup) {
        __builtin_prefetch(&matrix.at(std::min(entry.item, item) - 1, std::max(entry.item, item) - 1));
        __builtin_prefetch(&matrix.at(std::max(entry.item, item) - 1, std::min(entry.item, item) - 1));
    }
    const bool oneCopy = summary->copiesPerParticipant == 1;
    bool duplicateReported = false;
    for (const GroupEntry &entry : currentGroup) {
        if (entry.item == item) {
            if (!oneCopy) {
                if (!addWithinInt(pairCount, 1)) {
                    errorAtLine(numberTooLarge);
                    return Step::Stop;
                }
            } else if (!duplicateReported) {
                // One line, one warning, however often the group already holds the card.
                duplicateReported = true;
                if (!warn(duplicateItem))
                    return Step::Stop;
            }
            continue;
        }
        const int lo = std::min(entry.item, item) - 1;
        const int hi = std::max(entry.item, item) - 1;
        const qint64 pairWeight = summary->pairWeight(entry.fit, weight, entry.subGroup == subGroupCounter);
        if (!addWithinInt(matrix.at(lo, hi), 1) || !addWithinInt(matrix.at(hi, lo), pairWeight)
            || !addWithinInt(pairCount, 1)) {
            errorAtLine(numberTooLarge);
            return Step::Stop;
        }
    }
    return Step::Go;
}

void CardSortAnalysis::noteSorted(int item)
{
    if (!m_cardsSortedTogether) {
        m_cardsSortedTogether = std::any_of(currentGroup.cbegin(), currentGroup.cend(),
                                            [item](const GroupEntry &entry) { return entry.item != item; });
    }
    int &first = m_firstSorter[static_cast<size_t>(item - 1)];
    if (first == 0)
        first = participantCounter + 1;
    else if (first != participantCounter + 1)
        m_cardSortedByTwo = true;
}

int CardSortAnalysis::countedParticipants() const
{
    const int all = static_cast<int>(participants.size());
    return summary->useExpert && all > 0 ? all - 1 : all;
}

void CardSortAnalysis::keepSubGroupLinesWithoutCards()
{
    if (m_subGroupLinesSinceCard == 0)
        return;
    ParticipantSort &participant = sorts.participants.back();
    qint32 &lines =
        participant.groups.empty() ? participant.openingSubGroupLines : participant.groups.back().closingSubGroupLines;
    lines += m_subGroupLinesSinceCard;
    m_subGroupLinesSinceCard = 0;
}

void CardSortAnalysis::keepSortedCard(const SortedCard &card)
{
    m_subGroupLinesSinceCard = 0;
    std::vector<SortGroup> &groups = sorts.participants.back().groups;
    // Cards before the participant's first group line (answered OK to the missing group
    // warning) form a group of their own, without a name.
    if (groups.empty())
        groups.push_back({});
    groups.back().cards.push_back(card);
}

void CardSortAnalysis::closeGroup()
{
    if (itemPlacements.empty())
        return;
    if (currentGroup.size() == 1 && !isExpert) {
        const GroupEntry &lone = currentGroup.front();
        ItemPlacement &totals = itemPlacements[static_cast<size_t>(lone.item - 1)];
        --totals.placements;
        totals.fitSum -= lone.fit;
    }
    ++groupCounter;
    ++subGroupCounter;
    currentGroup.clear();
}

void CardSortAnalysis::endParticipant()
{
    closeGroup();
    ++participantCounter;
    participants.push_back({participantId, groupCounter - 1, itemLineCount, pairCount, fitTotal});
    isExpert = false;
    groupCounter = subGroupCounter = itemLineCount = pairCount = fitTotal = 0;
}

std::vector<double> CardSortAnalysis::itemMeanScores() const
{
    std::vector<double> means(static_cast<size_t>(std::max(itemCount(), 0)), 0.0);
    const double cardSets = summary->cardSets();
    if (cardSets == 0.0)
        return means;
    for (size_t k = 0; k < means.size() && k < itemPlacements.size(); ++k)
        means[k] = itemPlacements[k].fitSum / cardSets;
    return means;
}

bool CardSortAnalysis::warn(QStringView format)
{
    return dataWarning(formatMessage(format, {QString::number(m_lineNumber), participantId}));
}

bool CardSortAnalysis::dataWarning(const QString &text)
{
    if (m_recordSource)
        return true;
    if (m_ignoringWarnings) {
        ++m_unshownWarnings;
        return true;
    }
    const MessageAnswer answer =
        m_platform.messageBox(text, MessageIcon::Information, MessageButtons::OkCancelIgnoreAll);
    m_ignoringWarnings = answer == MessageAnswer::IgnoreAll;
    return answer != MessageAnswer::Cancel;
}

void CardSortAnalysis::errorAtLine(QStringView format)
{
    m_platform.error(formatMessage(format, {QString::number(m_lineNumber), participantId}));
}

void CardSortAnalysis::writeCards(QStringView prefix, QStringView text, QStringView suffix)
{
    AnalysisSink &cards = sink();
    cards.write(AnalysisFile::Cards, prefix);
    cards.write(AnalysisFile::Cards, text);
    cards.write(AnalysisFile::Cards, suffix);
}

} // namespace sortana
