#include "report/PageFlow.h"

#include <QPainter>

#include <algorithm>

namespace sortana {

PageFlow::Page &PageFlow::current()
{
    if (!m_open) {
        m_pages.emplace_back();
        m_open = true;
        m_y = 0;
    }
    return m_pages.back();
}

void PageFlow::keepRoom(double height)
{
    if (m_open && !atPageTop() && room() < height)
        breakPage();
}

void PageFlow::breakPage()
{
    if (m_open && m_keptFrom && breakKeepsTogether()) {
        moveKeptPieces();
        return;
    }
    m_keptFrom.reset();
    m_open = false;
    m_y = 0;
}

void PageFlow::moveKeptPieces()
{
    std::vector<Piece> &from = m_pages.back().pieces;
    Page next;
    const auto first = from.begin() + std::ptrdiff_t(*m_keptFrom);
    for (auto piece = first; piece != from.end(); ++piece) {
        next.pieces.push_back(std::move(*piece));
        next.pieces.back().at.ry() -= m_keptY;
    }
    from.erase(first, from.end());
    m_pages.push_back(std::move(next));
    m_y -= m_keptY;
    m_keptFrom = 0;
    m_keptY = 0;
}

void PageFlow::place(double height, Paint paint, double indent)
{
    keepRoom(height);
    Page &page = current();
    if (m_keeping && !m_keptFrom) {
        m_keptFrom = page.pieces.size();
        m_keptY = m_y;
    } else if (!m_keeping) {
        m_keptFrom.reset();
    }
    page.pieces.push_back({QPointF(indent, m_y), std::move(paint)});
    m_y += height;
}

void PageFlow::skip(double height)
{
    if (m_open && !atPageTop())
        m_y = std::min(m_y + height, m_body.height());
}

void PageFlow::addRun(int pages, double lastPageUsed, PaintRun paint)
{
    if (pages <= 0)
        return;
    if (!runMayStartHere())
        breakPage();
    if (!m_open)
        m_pages.emplace_back();
    Page &page = m_pages.back();
    page.runPages = pages;
    page.run = std::move(paint);
    m_keptFrom.reset();
    Page last;
    last.afterRun = true;
    m_pages.push_back(std::move(last));
    m_open = true;
    m_y = std::clamp(lastPageUsed, 0.0, m_body.height());
}

int PageFlow::pageCount() const
{
    // A report with nothing to show is still a page, numbered as any other.
    if (m_pages.empty())
        return 1;
    int count = 0;
    for (const Page &page : m_pages) {
        if (!page.afterRun)
            count += std::max(page.runPages, 1);
    }
    return count;
}

bool PageFlow::paint(QPainter &painter, const std::function<bool()> &newPage,
                     const std::function<void(QPainter &, int, int)> &footer) const
{
    const int pages = pageCount();
    if (m_pages.empty())
        footer(painter, 1, 1);
    int number = 1;
    for (const Page &page : m_pages) {
        if (!page.afterRun && number > 1 && !newPage())
            return false;
        for (const Piece &piece : page.pieces) {
            painter.save();
            piece.paint(painter, piece.at);
            painter.restore();
        }
        if (page.afterRun)
            continue;
        if (page.runPages > 0) {
            if (!page.run(painter, number, pages, newPage))
                return false;
            number += page.runPages;
            continue;
        }
        footer(painter, number, pages);
        ++number;
    }
    return painter.isActive();
}

} // namespace sortana
