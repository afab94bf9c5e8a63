#include "app/CImportExportWizard.h"

#include "app/ImportExportPages.h"

#include <algorithm>

namespace sortana {

CImportExportWizard::CImportExportWizard(Platform &platform, QWidget *parent)
    : QWizard(parent), m_platform(platform), m_run(platform)
{
    setWizardStyle(QWizard::ClassicStyle);
    setPage(OpenStep, new CImportExportOpenPage(*this));
    setPage(OptionsStep, new CImportExportOptionsPage(*this));
    setPage(FinishStep, new CImportExportFinishPage(*this));
    // Every step as wide as the widest, so the window keeps its width from step to step.
    int widest = 0;
    for (const int id : pageIds())
        widest = std::max(widest, page(id)->sizeHint().width());
    for (const int id : pageIds())
        page(id)->setMinimumWidth(widest);
    // Every arrival at a page, forwards or back, shows it afresh from the import run.
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        if (auto *step = dynamic_cast<CImportExportPage *>(page(id)))
            step->activate();
    });
}

} // namespace sortana
