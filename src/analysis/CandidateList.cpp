#include "analysis/CandidateList.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <span>
#include <utility>

namespace sortana {

namespace {

// Marks a slot of the ordered array whose candidate has moved elsewhere.
constexpr std::int32_t movedAway = -1;

// Below this many candidates a comparison sort beats the radix sort's fixed costs.
constexpr std::size_t radixSortFrom = 512;

// A key whose unsigned order is the descending order of the similarity. Negative zero is
// read as zero, which it equals, though its bits differ.
std::uint64_t descendingKey(double similarity)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(similarity == 0.0 ? 0.0 : similarity);
    const std::uint64_t ascending = (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t(1) << 63);
    return ~ascending;
}

} // namespace

// A few runs of moved candidates, each in list order, read as one.
class CandidateList::Runs {
public:
    explicit Runs(std::array<std::span<const Moved>, 3> runs) : m_runs(runs) {}

    // The earliest candidate left in any run, or null.
    const Moved *earliest()
    {
        const Moved *found = nullptr;
        for (std::size_t run = 0; run < m_runs.size(); ++run) {
            if (!m_runs[run].empty() && (found == nullptr || earlier(m_runs[run].front(), *found))) {
                found = &m_runs[run].front();
                m_earliestRun = run;
            }
        }
        return found;
    }
    // Drops the candidate earliest() returned.
    void drop() { m_runs[m_earliestRun] = m_runs[m_earliestRun].subspan(1); }

private:
    std::array<std::span<const Moved>, 3> m_runs;
    std::size_t m_earliestRun = 0;
};

std::size_t CandidateList::Arrivals::bucketOf(std::uint64_t key) const
{
    return std::size_t(std::bit_width(key ^ m_last));
}

void CandidateList::Arrivals::push(const Moved &moved)
{
    const std::uint64_t key = descendingKey(moved.pair.similarity);
    const std::size_t bucket = bucketOf(key);
    m_buckets[bucket].push_back(moved);
    ++m_size;
    // On equal keys the one that arrived first stays the earliest.
    if (m_earliestKnown && key < descendingKey(m_buckets[m_earliestBucket][m_earliestIndex].pair.similarity)) {
        m_earliestBucket = bucket;
        m_earliestIndex = m_buckets[bucket].size() - 1;
    }
}

void CandidateList::Arrivals::findEarliest() const
{
    m_earliestKnown = true;
    if (m_firstOfLast < m_buckets[0].size()) {
        m_earliestBucket = 0;
        m_earliestIndex = m_firstOfLast;
        return;
    }
    // Every key of a bucket is below every key of the buckets after it.
    std::size_t bucket = 1;
    while (m_buckets[bucket].empty())
        ++bucket;
    const std::vector<Moved> &candidates = m_buckets[bucket];
    std::size_t earliest = 0;
    std::uint64_t earliestKey = descendingKey(candidates[0].pair.similarity);
    for (std::size_t at = 1; at < candidates.size(); ++at) {
        const std::uint64_t key = descendingKey(candidates[at].pair.similarity);
        if (key < earliestKey) {
            earliest = at;
            earliestKey = key;
        }
    }
    m_earliestBucket = bucket;
    m_earliestIndex = earliest;
}

const CandidateList::Moved &CandidateList::Arrivals::front() const
{
    if (!m_earliestKnown)
        findEarliest();
    return m_buckets[m_earliestBucket][m_earliestIndex];
}

void CandidateList::Arrivals::pop()
{
    if (!m_earliestKnown)
        findEarliest();
    std::vector<Moved> &lastKey = m_buckets[0];
    if (m_earliestBucket > 0) {
        // The earliest becomes the key the others are filed against: those of its bucket now
        // differ from it in lower bits only, the later buckets keep their place, and those
        // of its own key go to bucket 0 in the order they were in, the earliest first.
        lastKey.clear();
        m_firstOfLast = 0;
        std::vector<Moved> &from = m_buckets[m_earliestBucket];
        m_last = descendingKey(from[m_earliestIndex].pair.similarity);
        for (const Moved &moved : from)
            m_buckets[bucketOf(descendingKey(moved.pair.similarity))].push_back(moved);
        // A bucket refiled is seldom filled as full again: its room goes back, or the
        // buckets together would keep many times the room of the candidates they hold.
        if (from.capacity() > 4096)
            std::vector<Moved>().swap(from);
        else
            from.clear();
    }
    if (++m_firstOfLast == lastKey.size()) {
        lastKey.clear();
        m_firstOfLast = 0;
    }
    --m_size;
    m_earliestKnown = false;
}

void CandidateList::Arrivals::takeInto(std::vector<Moved> &to)
{
    to.insert(to.end(), m_buckets[0].begin() + std::ptrdiff_t(m_firstOfLast), m_buckets[0].end());
    m_buckets[0].clear();
    m_firstOfLast = 0;
    for (std::size_t bucket = 1; bucket < bucketCount; ++bucket) {
        to.insert(to.end(), m_buckets[bucket].begin(), m_buckets[bucket].end());
        m_buckets[bucket].clear();
    }
    m_size = 0;
    m_earliestKnown = false;
    // The next scan starts from the top of the list again.
    m_last = 0;
}

void CandidateList::WaitingArea::reset(std::size_t blockCount)
{
    m_blocks.assign(blockCount, Block{});
    m_store.clear();
    m_nextChunk.clear();
    m_freeChunks.clear();
}

void CandidateList::WaitingArea::add(std::size_t block, const Moved &moved)
{
    Block &into = m_blocks[block];
    if (into.lastChunk == noChunk || into.lastFill == chunkSize) {
        std::uint32_t chunk = 0;
        if (m_freeChunks.empty()) {
            chunk = std::uint32_t(m_nextChunk.size());
            m_nextChunk.push_back(noChunk);
            m_store.resize(m_store.size() + chunkSize);
        } else {
            chunk = m_freeChunks.back();
            m_freeChunks.pop_back();
            m_nextChunk[chunk] = noChunk;
        }
        if (into.lastChunk == noChunk)
            into.firstChunk = chunk;
        else
            m_nextChunk[into.lastChunk] = chunk;
        into.lastChunk = chunk;
        into.lastFill = 0;
    }
    m_store[std::size_t(into.lastChunk) * chunkSize + into.lastFill++] = moved;
}

void CandidateList::WaitingArea::takeInto(std::size_t block, std::vector<Moved> &to)
{
    Block &from = m_blocks[block];
    for (std::uint32_t chunk = from.firstChunk; chunk != noChunk; chunk = m_nextChunk[chunk]) {
        const auto start = m_store.begin() + std::ptrdiff_t(std::size_t(chunk) * chunkSize);
        to.insert(to.end(), start, start + (chunk == from.lastChunk ? from.lastFill : chunkSize));
        m_freeChunks.push_back(chunk);
    }
    from = Block{};
}

CandidateList::CandidateList(std::vector<CandidatePair> ordered)
    : m_ordered(std::move(ordered))
{
}

void CandidateList::beginScan()
{
    m_blockEnds.clear();
    for (std::size_t end = blockSize; end <= m_ordered.size(); end += blockSize)
        m_blockEnds.push_back(m_ordered[end - 1].similarity);
    m_waiting.reset(m_blockEnds.size() + 1);
    m_openBlock = 0;
    m_nextOrdered = 0;
    advance();
}

void CandidateList::keepCurrent()
{
    if (m_currentMoved)
        m_metAgain.push_back(m_current);
    advance();
}

void CandidateList::moveCurrent(double similarity)
{
    // A moved candidate has already left its run or heap; one from the array leaves a gap.
    if (!m_currentMoved) {
        m_ordered[m_currentIndex].first = movedAway;
        ++m_removedOrdered;
    }
    const Moved moved{{similarity, m_current.pair.first, m_current.pair.second}, m_nextStamp++};

    // The candidate the scan goes on with is the earliest one still ahead. The moved one
    // lands after it exactly when that candidate's similarity is at least the new one.
    double nextSimilarity = 0.0;
    switch (nextSource()) {
    case Source::None:
        m_behind.push_back(moved);
        advance();
        return;
    case Source::Ordered:
        nextSimilarity = m_ordered[m_nextOrdered].similarity;
        break;
    case Source::Opened:
        nextSimilarity = m_opened[m_openedNext].pair.similarity;
        break;
    case Source::Arrived:
        nextSimilarity = m_arrived.front().pair.similarity;
        break;
    }
    if (similarity <= nextSimilarity)
        pushAhead(moved);
    else
        m_behind.push_back(moved);
    advance();
}

std::size_t CandidateList::blockOf(double similarity) const
{
    // A candidate lands after every slot of similarity at least its own, so after a whole
    // block exactly when that block's last slot is.
    const auto after = std::upper_bound(m_blockEnds.begin(), m_blockEnds.end(), similarity,
                                        [](double s, double blockEnd) { return blockEnd < s; });
    return std::size_t(after - m_blockEnds.begin());
}

void CandidateList::pushAhead(const Moved &moved)
{
    const std::size_t block = blockOf(moved.pair.similarity);
    if (block > m_openBlock) {
        m_waiting.add(block, moved);
        return;
    }
    m_arrived.push(moved);
}

void CandidateList::sortBySimilarity(std::vector<Moved> &moved, std::size_t from)
{
    const auto first = moved.begin() + std::ptrdiff_t(from);
    const std::size_t count = moved.size() - from;
    if (count < radixSortFrom) {
        std::stable_sort(first, moved.end(),
                         [](const Moved &a, const Moved &b) { return a.pair.similarity > b.pair.similarity; });
        return;
    }
    // A stable radix sort, a byte at a time from the lowest; bytes that every key shares
    // (most of the exponent, usually) need no sweep.
    std::array<std::array<std::size_t, 256>, 8> counts{};
    for (auto at = first; at != moved.end(); ++at) {
        const std::uint64_t key = descendingKey(at->pair.similarity);
        for (std::size_t byte = 0; byte < 8; ++byte)
            ++counts[byte][(key >> (8 * byte)) & 0xff];
    }
    m_sortSpace.resize(count);
    Moved *source = &*first;
    Moved *target = m_sortSpace.data();
    for (std::size_t byte = 0; byte < 8; ++byte) {
        std::array<std::size_t, 256> &starts = counts[byte];
        if (std::find(starts.begin(), starts.end(), count) != starts.end())
            continue;
        std::size_t start = 0;
        for (std::size_t &slot : starts)
            start += std::exchange(slot, start);
        for (const Moved *at = source; at != source + count; ++at)
            target[starts[(descendingKey(at->pair.similarity) >> (8 * byte)) & 0xff]++] = *at;
        std::swap(source, target);
    }
    if (source != &*first)
        std::copy(source, source + count, first);
}

void CandidateList::openBlock(std::size_t block)
{
    // The previous block's candidates all came up before its last slot.
    assert(m_openedNext == m_opened.size() && m_arrived.empty());
    m_openBlock = block;
    m_opened.clear();
    m_waiting.takeInto(block, m_opened);
    m_openedNext = 0;
    // Sorting a whole block at once is much cheaper than a heap of the same candidates.
    sortBySimilarity(m_opened);
}

void CandidateList::takeOrdered()
{
    m_currentIndex = m_nextOrdered++;
    // Entering a block: none of its waiting candidates can come before its first slot, and
    // every candidate still waiting comes after it.
    const std::size_t block = m_nextOrdered / blockSize;
    if (block > m_openBlock && block <= m_blockEnds.size())
        openBlock(block);
}

CandidateList::Source CandidateList::nextSource() const
{
    Source source = Source::None;
    const Moved *earliest = nullptr;
    // Arrivals entered after everything in the run, which entered after every array slot,
    // so on equal similarity the run beats arrivals and the array beats both.
    if (!m_arrived.empty()) {
        source = Source::Arrived;
        earliest = &m_arrived.front();
    }
    if (m_openedNext < m_opened.size() && (earliest == nullptr || earlier(m_opened[m_openedNext], *earliest))) {
        source = Source::Opened;
        earliest = &m_opened[m_openedNext];
    }
    if (m_nextOrdered < m_ordered.size()
        && (earliest == nullptr || m_ordered[m_nextOrdered].similarity >= earliest->pair.similarity))
        source = Source::Ordered;
    return source;
}

void CandidateList::advance()
{
    const Source source = nextSource();
    m_hasCurrent = source != Source::None;
    m_currentMoved = source == Source::Opened || source == Source::Arrived;
    switch (source) {
    case Source::None:
        break;
    case Source::Ordered:
        m_current = Moved{m_ordered[m_nextOrdered], 0};
        takeOrdered();
        break;
    case Source::Opened:
        m_current = m_opened[m_openedNext++];
        break;
    case Source::Arrived:
        m_current = m_arrived.front();
        m_arrived.pop();
        break;
    }
}

void CandidateList::endScan()
{
    // The current candidate came up after everything met again, so it stays in order there.
    if (m_hasCurrent && m_currentMoved)
        m_metAgain.push_back(m_current);
    m_hasCurrent = false;
    m_nextOrdered = 0;

    // The moved candidates in three runs, each in list order. Those met again already are.
    // Those behind are in entry order. Those ahead: the rest of the open block's run, its
    // arrivals, then the blocks still waiting, each in entry order; every block's candidates
    // come before the next block's, so one stable sort puts all the waiting ones in order.
    sortBySimilarity(m_behind);
    m_arrivedInOrder.clear();
    m_arrived.takeInto(m_arrivedInOrder);
    std::sort(m_arrivedInOrder.begin(), m_arrivedInOrder.end(), earlier);
    std::vector<Moved> &ahead = m_ahead;
    ahead.clear();
    std::merge(m_opened.begin() + std::ptrdiff_t(m_openedNext), m_opened.end(), m_arrivedInOrder.begin(),
               m_arrivedInOrder.end(), std::back_inserter(ahead), earlier);
    const std::size_t waitingFrom = ahead.size();
    for (std::size_t block = m_openBlock + 1; block <= m_blockEnds.size(); ++block)
        m_waiting.takeInto(block, ahead);
    sortBySimilarity(ahead, waitingFrom);

    if (!m_metAgain.empty() || !m_behind.empty() || !ahead.empty()) {
        m_spare.clear();
        m_spare.reserve(m_ordered.size() - m_removedOrdered + m_metAgain.size() + m_behind.size() + ahead.size());
        Runs moved({std::span<const Moved>(m_metAgain), std::span<const Moved>(m_behind), std::span<const Moved>(ahead)});
        for (const CandidatePair &pair : m_ordered) {
            if (pair.first == movedAway)
                continue;
            // Unmoved candidates entered before every moved one, so they win ties.
            for (const Moved *earliest = moved.earliest(); earliest != nullptr && earliest->pair.similarity > pair.similarity;
                 earliest = moved.earliest()) {
                m_spare.push_back(earliest->pair);
                moved.drop();
            }
            m_spare.push_back(pair);
        }
        for (const Moved *earliest = moved.earliest(); earliest != nullptr; earliest = moved.earliest()) {
            m_spare.push_back(earliest->pair);
            moved.drop();
        }
        std::swap(m_ordered, m_spare);
    }

    m_removedOrdered = 0;
    m_behind.clear();
    m_metAgain.clear();
    m_opened.clear();
    m_openedNext = 0;
}

} // namespace sortana
