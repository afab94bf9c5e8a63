#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <span>
#include <vector>

namespace sortana {

// A pair of items that may be merged, at the similarity it had when it was last evaluated.
struct CandidatePair {
    double similarity = 0.0;
    std::int32_t first = 0;
    std::int32_t second = 0;
};

// The candidate merges in descending order of similarity, equal similarities in the order
// they entered the list, scanned from the front once per clustering pass. During a scan the
// current candidate may be moved to the place its new similarity earns; a moved candidate
// that lands behind the candidate the scan goes on with is not met again in that scan, one
// that lands further down is.
//
// Every pair of items can be a candidate and most of them move in every pass, so a linked
// list searched from the front would take time growing with the cube of the item count and
// more. Instead, a place in the list is described by (similarity, entry time): the list is
// a sorted array of the candidates that have not moved since the last scan, and the
// candidates moved during the scan are kept apart (those still ahead of the scan, those
// behind it, those met again) and merged back into the array when the scan ends. The ones
// ahead are filed by the block of the array they will come up in and sorted only when the
// scan enters that block; those that land in the block the scan is in go to a heap.
class CandidateList {
public:
    CandidateList() = default;
    // The candidates in list order already: descending similarity, ties in entry order.
    explicit CandidateList(std::vector<CandidatePair> ordered);

    bool empty() const { return m_ordered.empty(); }
    std::size_t size() const { return m_ordered.size(); }
    // The whole list in order; only between scans.
    std::span<const CandidatePair> items() const { return m_ordered; }

    void beginScan();
    // The candidate the scan stands on; null once the scan has passed the end.
    const CandidatePair *current() const { return m_hasCurrent ? &m_current.pair : nullptr; }
    // Leaves the current candidate where it is and goes on with the one after it.
    void keepCurrent();
    // Moves the current candidate, with its new similarity, before the first candidate of
    // lower similarity, and goes on with the candidate that followed it.
    void moveCurrent(double similarity);
    // Ends the scan wherever it stands and puts the list back into one ordered piece.
    void endScan();

private:
    // A candidate moved during the current scan. Stamps grow with every move, so among equal
    // similarities they give the order of entry; every unmoved candidate entered earlier.
    struct Moved {
        CandidatePair pair;
        std::uint64_t stamp = 0;
    };
    struct ComesLater {
        bool operator()(const Moved &a, const Moved &b) const
        {
            return a.pair.similarity < b.pair.similarity
                || (a.pair.similarity == b.pair.similarity && a.stamp > b.stamp);
        }
    };
    static bool earlier(const Moved &a, const Moved &b) { return ComesLater()(b, a); }
    // Candidates that entered in this order (those of `moved` from `from` on), into list order.
    void sortBySimilarity(std::vector<Moved> &moved, std::size_t from = 0);

    class Runs;

    // The candidates that arrived in the block the scan is in, earliest first. Each arrives
    // no earlier than the last one taken out (it lands ahead of the scan), so a radix heap
    // keeps them: a candidate is filed by the highest bit in which its similarity's key
    // differs from the last one taken, and refiled only when that bucket is the earliest
    // left. Candidates of equal similarity always share a bucket and keep their order of
    // arrival in it, which is the order of their stamps. Unlike a binary heap of a million
    // candidates, that reads memory in order.
    class Arrivals {
    public:
        bool empty() const { return m_size == 0; }
        void push(const Moved &moved);
        const Moved &front() const;
        void pop();
        // Appends every candidate, in no particular order, and empties the heap.
        void takeInto(std::vector<Moved> &to);

    private:
        std::size_t bucketOf(std::uint64_t key) const;
        void findEarliest() const;

        // Bucket 0 holds the candidates of the last key taken out, from m_firstOfLast on.
        static constexpr std::size_t bucketCount = 65;
        std::array<std::vector<Moved>, bucketCount> m_buckets;
        std::size_t m_firstOfLast = 0;
        std::uint64_t m_last = 0;
        std::size_t m_size = 0;
        // Where the earliest candidate is, once looked for.
        mutable bool m_earliestKnown = false;
        mutable std::size_t m_earliestBucket = 0;
        mutable std::size_t m_earliestIndex = 0;
    };

    // Moved candidates filed by block, in the order they were filed. They live in chunks of
    // one shared store, so that memory is reused from block to block and scan to scan
    // however the candidates happen to spread over the blocks.
    class WaitingArea {
    public:
        // Empties the area and makes it hold this many blocks.
        void reset(std::size_t blockCount);
        void add(std::size_t block, const Moved &moved);
        // Appends the block's candidates to `to` and empties the block.
        void takeInto(std::size_t block, std::vector<Moved> &to);

    private:
        static constexpr std::uint32_t chunkSize = 64;
        static constexpr std::uint32_t noChunk = std::numeric_limits<std::uint32_t>::max();
        struct Block {
            std::uint32_t firstChunk = noChunk;
            std::uint32_t lastChunk = noChunk;
            std::uint32_t lastFill = 0;
        };
        std::vector<Block> m_blocks;
        // Chunk c holds slots c * chunkSize on. A deque grows without moving what it holds: a
        // growing array would copy everything, and for a moment hold it twice, every time.
        std::deque<Moved> m_store;
        std::vector<std::uint32_t> m_nextChunk;   // the block's chunk after chunk c
        std::vector<std::uint32_t> m_freeChunks;
    };

    // Array slots per block: enough for the block ends to be few and searched in cache.
    static constexpr std::size_t blockSize = 512;

    void advance();
    void takeOrdered();
    void openBlock(std::size_t block);
    void pushAhead(const Moved &moved);
    // Where the earliest candidate ahead of the scan is.
    enum class Source { None, Ordered, Opened, Arrived };
    Source nextSource() const;
    // The block of the array before whose next slot a candidate of this similarity lands.
    std::size_t blockOf(double similarity) const;

    std::vector<CandidatePair> m_ordered;
    std::vector<CandidatePair> m_spare;   // reused as the target of the merge in endScan
    std::vector<Moved> m_sortSpace;       // reused by sortBySimilarity
    std::vector<Moved> m_ahead;           // reused by endScan
    std::vector<Moved> m_arrivedInOrder;  // reused by endScan
    std::size_t m_nextOrdered = 0;
    std::size_t m_removedOrdered = 0;

    // The similarity of the last slot of every full block, in array order.
    std::vector<double> m_blockEnds;
    // Moved candidates ahead of the scan, by block. Those of the block the scan is in are in
    // m_opened, sorted, from m_openedNext on, and, if they arrived after the scan entered
    // the block, in m_arrived. Every
    // candidate of an earlier block has been met by then.
    WaitingArea m_waiting;
    std::size_t m_openBlock = 0;
    std::vector<Moved> m_opened;
    std::size_t m_openedNext = 0;
    Arrivals m_arrived;
    std::vector<Moved> m_behind;
    std::vector<Moved> m_metAgain;
    std::uint64_t m_nextStamp = 0;

    Moved m_current;
    bool m_hasCurrent = false;
    bool m_currentMoved = false;          // a moved candidate rather than one from m_ordered
    std::size_t m_currentIndex = 0;       // its slot in m_ordered otherwise
};

} // namespace sortana
