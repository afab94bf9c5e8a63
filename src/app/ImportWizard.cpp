#include "app/ImportWizard.h"

#include "app/ImportWizardPages.h"
#include "formats/WorkbookReader.h"

#include <QSettings>

#include <algorithm>

namespace sortana {

namespace {

const QString utf8CsvKey = QStringLiteral("Settings/CsvUtf8");

} // namespace

bool utf8CsvCopiesChosen(const QSettings &settings)
{
    return settings.value(utf8CsvKey, false).toBool();
}

void chooseUtf8CsvCopies(QSettings &settings, bool chosen)
{
    settings.setValue(utf8CsvKey, chosen);
}

ImportWizard::ImportWizard(Platform &platform, QWidget *parent, QSettings *settings)
    : QWizard(parent), m_platform(platform), m_settings(settings), m_run(platform)
{
    m_run.setWorkbookLoader(readWorkbook);
    if (m_settings)
        m_run.setUtf8CsvCopies(utf8CsvCopiesChosen(*m_settings));
    setWizardStyle(QWizard::ClassicStyle);
    setPage(OpenStep, new ImportInputPage(*this));
    setPage(OptionsStep, new ImportOptionsPage(*this));
    setPage(FinishStep, new ImportFinishPage(*this));
    // Every step as wide as the widest, so the window keeps its width from step to step.
    int widest = 0;
    for (const int id : pageIds())
        widest = std::max(widest, page(id)->sizeHint().width());
    for (const int id : pageIds())
        page(id)->setMinimumWidth(widest);
    // Every arrival at a page, forwards or back, shows it afresh from the import run.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (auto *step = dynamic_cast<ImportWizardPage *>(page(id)))
            step->activate();
    });
}

void ImportWizard::rememberChoices()
{
    if (m_settings)
        chooseUtf8CsvCopies(*m_settings, m_run.utf8CsvCopies());
}

} // namespace sortana
