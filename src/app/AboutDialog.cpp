#include "app/AboutDialog.h"

#include "app/HelpWindow.h"
#include "app/Resources.h"
#include "SortanaVersion.h"
#include "platform/MessageText.h"
#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sortana {

std::optional<std::array<int, 4>> programVersion()
{
    const QStringList parts = QStringLiteral(SORTANA_VERSION).split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::array<int, 4> numbers{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok || numbers[i] < 0 || numbers[i] > 0xFFFF)
            return std::nullopt;
    }
    return numbers;
}

AboutDialog::AboutDialog(Platform &platform, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("About Sortana"));

    auto *icon = new QLabel;
    icon->setPixmap(applicationIcon().pixmap(48, 48));
    auto *version = new QLabel(tr("Sortana Version 1.0"));
    version->setObjectName(controlName(ControlId::aboutVersion));
    if (const auto numbers = programVersion()) {
        version->setText(formatMessage(tr("Sortana Version %d.%d.%d.%d"),
                                       {QString::number((*numbers)[0]), QString::number((*numbers)[1]),
                                        QString::number((*numbers)[2]), QString::number((*numbers)[3])}));
    }

    auto *ok = new QPushButton(tr("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *webSite = new QPushButton(tr("&Web Site"));
    webSite->setObjectName(controlName(ControlId::aboutWebSite));
    // The guide installed with the program stands in for the web page: it is there offline.
    connect(webSite, &QPushButton::clicked, this,
            [this, &platform] { HelpWindow::open(*this, HelpPage::start, platform); });

    auto *text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(new QLabel(tr("Card-sort analysis. Copyright \u00A9 Verdell.")));
    text->addWidget(new QLabel(QString::fromLatin1(makerWebAddress)));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(webSite);
    buttons->addStretch();
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    layout->addLayout(buttons);
    ok->setFocus();
}

} // namespace sortana
