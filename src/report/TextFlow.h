#pragma once

#include "report/PageFlow.h"

#include <QFont>
#include <QString>

class QPaintDevice;

namespace sortana {

struct ReportTable;

// Text as it flows down a report's pages, measured on the device it is drawn on. Study text
// is drawn as plain text: nothing in it is markup.
class TextFlow {
public:
    TextFlow(PageFlow &pages, QPaintDevice &device) : m_pages(pages), m_device(device) {}

    // Lines wrapped to the page width, kept whole, and a page break between lines where the
    // page is full. `keepWith` keeps that much room below the text on its page, so that a
    // heading does not end a page.
    void paragraph(const QString &text, const QFont &font, double keepWith = 0);
    // A table as wide as its columns need, at most the page: columns too wide for their share
    // wrap their cells onto as many lines as they need, a row taller than a page goes on to
    // the next, and the header row stands again on top of every page the rows run on to. A
    // heading row spans the table and stays with the row below it; `keepWith` keeps that much
    // room below the last row on its page.
    void table(const ReportTable &table, const QFont &font, double keepWith = 0);
    // How high a paragraph of this text is.
    double height(const QString &text, const QFont &font) const;

    // Device pixels for a length in millimetres.
    double millimetres(double mm) const;

private:
    PageFlow &m_pages;
    QPaintDevice &m_device;
};

} // namespace sortana
