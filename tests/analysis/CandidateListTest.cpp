#include "analysis/CandidateList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <random>
#include <vector>

using namespace sortana;

namespace {

bool samePair(const CandidatePair &a, const CandidatePair &b)
{
    return a.similarity == b.similarity && a.first == b.first && a.second == b.second;
}

// The list as a plain linked list, walked and searched from the front.
class LinkedModel {
public:
    explicit LinkedModel(const std::vector<CandidatePair> &ordered) : m_list(ordered.begin(), ordered.end()) {}

    void beginScan() { m_at = m_list.begin(); }
    const CandidatePair *current() const { return m_at == m_list.end() ? nullptr : &*m_at; }
    void keepCurrent() { ++m_at; }
    void moveCurrent(double similarity)
    {
        const CandidatePair moved{similarity, m_at->first, m_at->second};
        const auto next = std::next(m_at);
        m_list.erase(m_at);
        auto place = m_list.begin();
        while (place != m_list.end() && !(place->similarity < similarity))
            ++place;
        m_list.insert(place, moved);
        m_at = next;
    }
    std::vector<CandidatePair> items() const { return {m_list.begin(), m_list.end()}; }

private:
    std::list<CandidatePair> m_list;
    std::list<CandidatePair>::iterator m_at;
};

// Random scans over lists with many equal similarities: every candidate met, and the whole
// list after every scan, must be those of the linked list. The long lists span many of the
// blocks the array is filed in.
TEST(CandidateList, ScansAndMovesLikeALinkedList)
{
    struct Shape {
        int rounds;
        int maxLength;
        int maxLevels;
    };
    const Shape shapes[] = {{3000, 40, 6}, {30, 4000, 40}};
    std::mt19937 random(20240611);
    for (const Shape &shape : shapes) {
        for (int round = 0; round < shape.rounds; ++round) {
            SCOPED_TRACE(round);
            const int length = std::uniform_int_distribution(0, shape.maxLength)(random);
            const int levels = std::uniform_int_distribution(1, shape.maxLevels)(random);
            std::uniform_int_distribution level(0, levels);
            std::vector<CandidatePair> ordered;
            for (int id = 0; id < length; ++id)
                ordered.push_back({double(level(random)), id, 0});
            std::stable_sort(ordered.begin(), ordered.end(),
                             [](const CandidatePair &a, const CandidatePair &b) { return a.similarity > b.similarity; });

            CandidateList list(ordered);
            LinkedModel model(ordered);
            const double moveChance = std::uniform_real_distribution(0.0, 1.0)(random);
            for (int scan = 0; scan < 4; ++scan) {
                const int stopAfter = std::uniform_int_distribution(0, 3 * length + 1)(random);
                list.beginScan();
                model.beginScan();
                for (int step = 0; step < stopAfter; ++step) {
                    ASSERT_EQ(list.current() == nullptr, model.current() == nullptr) << "step " << step;
                    if (model.current() == nullptr)
                        break;
                    ASSERT_TRUE(samePair(*list.current(), *model.current())) << "step " << step;
                    if (std::bernoulli_distribution(moveChance)(random)) {
                        // Half-steps too, so that moved candidates tie with each other only.
                        const double similarity = level(random) + (std::bernoulli_distribution(0.3)(random) ? 0.5 : 0.0);
                        list.moveCurrent(similarity);
                        model.moveCurrent(similarity);
                    } else {
                        list.keepCurrent();
                        model.keepCurrent();
                    }
                }
                list.endScan();
                const std::vector<CandidatePair> expected = model.items();
                ASSERT_EQ(list.size(), expected.size());
                ASSERT_TRUE(std::equal(list.items().begin(), list.items().end(), expected.begin(), samePair));
            }
        }
    }
}

} // namespace
