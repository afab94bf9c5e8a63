#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace sortana {

// n x n signed 32-bit cells, row by row. For item indexes i < j the cell (i, j) counts the
// pair and the cell (j, i) holds its weighted score. Allocation failure is reported, not
// thrown, so a study too big for memory gets a message instead of a crash.
class PairMatrix {
public:
    // The largest item count whose matrix stays below 2^32 bytes.
    static constexpr int maxItems = 32767;

    bool allocate(int n)
    {
        reset();
        if (n < 0 || n > maxItems)
            return false;
        const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
        m_cells.reset(static_cast<std::int32_t *>(std::calloc(cells == 0 ? 1 : cells, sizeof(std::int32_t))));
        m_n = m_cells ? n : 0;
        return m_cells != nullptr;
    }
    void reset()
    {
        m_cells.reset();
        m_n = 0;
    }

    explicit operator bool() const { return m_cells != nullptr; }
    int size() const { return m_n; }
    std::int32_t *data() { return m_cells.get(); }
    const std::int32_t *data() const { return m_cells.get(); }
    std::int32_t &at(int row, int col) { return m_cells[index(row, col)]; }
    std::int32_t at(int row, int col) const { return m_cells[index(row, col)]; }

private:
    std::size_t index(int row, int col) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_n) + static_cast<std::size_t>(col);
    }
    struct FreeCells {
        void operator()(std::int32_t *cells) const { std::free(cells); }
    };
    std::unique_ptr<std::int32_t[], FreeCells> m_cells;
    int m_n = 0;
};

} // namespace sortana
