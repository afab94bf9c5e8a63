#include "analysis/CardSortEngine.h"

#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace sortana {

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
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

CardSortEngine::CardSortEngine(StudySummary &studySummary, Platform &platform)
    : summary(&studySummary),
      m_platform(platform)
{
}

CardSortEngine::~CardSortEngine() = default;

void CardSortEngine::closeFiles()
{
    m_records.reset();
}

bool CardSortEngine::commitFiles()
{
    m_records.reset();
    return true;
}

bool CardSortEngine::beginRead()
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

    m_records = m_recordSource ? m_recordSource() : openInput();
    if (!m_records)
        return false;
    if (!m_sink && !openOutputs()) {
        closeFiles();
        return false;
    }
    m_cardsRow = AnalysisRow(sink().wantsCells());
    return true;
}

bool CardSortEngine::surveyRecords(RecordSource &records)
{
    StudySummary &s = *summary;
    s.hasFitData = s.hasSubGroups = false;
    s.itemCount = s.groupCount = s.participantCount = s.fileType = 0;
    participantCounter = 0;

    bool anyRecord = false;
    StudyRecord record;
    while (records.next(record)) {
        if (!anyRecord) {
            anyRecord = true;
            if (record.kind != RecordKind::Group && record.kind != RecordKind::Item) {
                m_platform.fileFailure(
                    QStringLiteral("Unidentified file type\nPlease provide an input file in Sortana format"));
                break;
            }
            s.fileType = 1;
        }
        switch (record.kind) {
        case RecordKind::Group:
            if (participantCounter > 0)
                ++s.groupCount;
            break;
        case RecordKind::Item:
            if (participantCounter == 0)
                ++s.itemCount;
            else if (!s.hasFitData && record.value.contains(QLatin1Char('f'), Qt::CaseInsensitive))
                s.hasFitData = true;
            break;
        case RecordKind::Participant: ++participantCounter; break;
        case RecordKind::SubGroup: s.hasSubGroups = true; break;
        case RecordKind::Other:
        case RecordKind::Invalid: break;
        }
    }
    if (records.failed()) {
        records.reportFailure(m_platform);
        s.fileType = 0;
    } else if (!anyRecord) {
        m_platform.error(formatMessage(u"The input file %s is empty", {summary->fileName}));
        return false;
    }
    s.lineCount = records.position();
    s.participantCount = participantCounter;
    if (s.fileType != 0 && s.itemCount > PairMatrix::maxItems) {
        m_platform.error(formatMessage(messages::tooManyItems, {QString::number(s.itemCount)}));
        return false;
    }
    return s.fileType != 0;
}

int CardSortEngine::Read()
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

int CardSortEngine::readRecords()
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

bool CardSortEngine::allocateStudyTables(const QString &firstId)
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

CardSortEngine::Step CardSortEngine::handleParticipant(QStringView value)
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
    m_cardsRow.plain(participantId).writeLine(sink(), AnalysisFile::Cards);
    sorts.participants.push_back({participantId, !isExpert, {}});
    return Step::Go;
}

CardSortEngine::Step CardSortEngine::handleGroup(const StudyRecord &record)
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
    m_cardsRow.tab().quoted(name).writeLine(sink(), AnalysisFile::Cards);
    sorts.participants.back().groups.push_back({name, record.idOnly, {}});
    closeGroup();
    readState = ReadState::Group;
    return Step::Go;
}

CardSortEngine::Step CardSortEngine::handleSubGroup()
{
    if ((readState == ReadState::Start || readState == ReadState::SubGroup) && !warn(emptySubGroup))
        return Step::Stop;
    // Counted with sub-groups unused too, where it changes no score, so that the kept sorts
    // know where every sub-group line stood.
    ++subGroupCounter;
    if (participantSeen)
        ++m_subGroupLinesSinceCard;
    readState = ReadState::SubGroup;
    m_cardsRow.tab().tab().quoted(u"---").writeLine(sink(), AnalysisFile::Cards);
    return Step::Go;
}

CardSortEngine::Step CardSortEngine::handleItem(QStringView value)
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

    m_cardsRow.tab().tab().quoted(itemNames.at(placement.item - 1)).writeLine(sink(), AnalysisFile::Cards);
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

CardSortEngine::Step CardSortEngine::addPairs(int item, int weight)
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

void CardSortEngine::noteSorted(int item)
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

int CardSortEngine::countedParticipants() const
{
    const int all = static_cast<int>(participants.size());
    return summary->useExpert && all > 0 ? all - 1 : all;
}

void CardSortEngine::keepSubGroupLinesWithoutCards()
{
    if (m_subGroupLinesSinceCard == 0)
        return;
    ParticipantSort &participant = sorts.participants.back();
    qint32 &lines =
        participant.groups.empty() ? participant.openingSubGroupLines : participant.groups.back().closingSubGroupLines;
    lines += m_subGroupLinesSinceCard;
    m_subGroupLinesSinceCard = 0;
}

void CardSortEngine::keepSortedCard(const SortedCard &card)
{
    m_subGroupLinesSinceCard = 0;
    std::vector<SortGroup> &groups = sorts.participants.back().groups;
    // Cards before the participant's first group line (answered OK to the missing group
    // warning) form a group of their own, without a name.
    if (groups.empty())
        groups.push_back({});
    groups.back().cards.push_back(card);
}

void CardSortEngine::closeGroup()
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

void CardSortEngine::endParticipant()
{
    closeGroup();
    ++participantCounter;
    participants.push_back({participantId, groupCounter - 1, itemLineCount, pairCount, fitTotal});
    isExpert = false;
    groupCounter = subGroupCounter = itemLineCount = pairCount = fitTotal = 0;
}

std::vector<double> CardSortEngine::itemMeanScores() const
{
    std::vector<double> means(static_cast<size_t>(std::max(itemCount(), 0)), 0.0);
    const double cardSets = summary->cardSets();
    if (cardSets == 0.0)
        return means;
    for (size_t k = 0; k < means.size() && k < itemPlacements.size(); ++k)
        means[k] = itemPlacements[k].fitSum / cardSets;
    return means;
}

bool CardSortEngine::warn(QStringView format)
{
    return dataWarning(formatMessage(format, {QString::number(m_lineNumber), participantId}));
}

bool CardSortEngine::dataWarning(const QString &text)
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

void CardSortEngine::errorAtLine(QStringView format)
{
    m_platform.error(formatMessage(format, {QString::number(m_lineNumber), participantId}));
}

} // namespace sortana
