#pragma once

#include "views/DocumentWindow.h"

#include <QCoreApplication>

namespace sortana {

// The window on a document's participants-enough chart: the chart made to fit the window,
// copied, dragged and printed as a picture. A document without the curve shows a line that
// says how to make it.
class AdequacyView final : public DocumentWindow {
    Q_DECLARE_TR_FUNCTIONS(AdequacyView)

public:
    AdequacyView(Document *document, Platform &platform, QWidget *parent = nullptr);
    AdequacyView(const AdequacyView &) = delete;
    AdequacyView &operator=(const AdequacyView &) = delete;

    void initialUpdate() override;
    void documentUpdated(UpdateHint hint) override;
    bool canCopy() const override;
    void copyToClipboard() override;
    // On one page, as large as it fits.
    bool printTo(QPrinter &printer) override;
    // The chart holds no card names to find.
    bool canFind() const override { return false; }
    bool findNext(const QString &) override { return false; }
    bool exportPicture(const QString &path, int pngDpi) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString fontName() const;
};

// What the window says while the document holds no curve.
inline const QString noAdequacyMessage =
    QStringLiteral("Choose Analysis > Enough Participants to draw how close smaller samples come to the whole study.");

} // namespace sortana
