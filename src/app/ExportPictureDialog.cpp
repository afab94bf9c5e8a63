#include "app/ExportPictureDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <array>

namespace sortana {

namespace {

struct PictureType {
    QString filter;
    QString suffix;
    int pngDpi;
};

const std::array<PictureType, 5> &pictureTypes()
{
    static const std::array<PictureType, 5> types = {{
        {QCoreApplication::translate("ExportPictureDialog", "SVG Picture (*.svg)"), QStringLiteral("svg"),
         defaultPngDpi},
        {QCoreApplication::translate("ExportPictureDialog", "PNG Picture, 150 dpi (*.png)"), QStringLiteral("png"),
         150},
        {QCoreApplication::translate("ExportPictureDialog", "PNG Picture, 300 dpi (*.png)"), QStringLiteral("png"),
         300},
        {QCoreApplication::translate("ExportPictureDialog", "PNG Picture, 600 dpi (*.png)"), QStringLiteral("png"),
         600},
        {QCoreApplication::translate("ExportPictureDialog", "PDF Document (*.pdf)"), QStringLiteral("pdf"),
         defaultPngDpi},
    }};
    return types;
}

const PictureType &typeOf(const QString &filter)
{
    const auto &types = pictureTypes();
    const auto found = std::find_if(types.begin(), types.end(), [&](const PictureType &type) { return type.filter == filter; });
    return found == types.end() ? types.front() : *found;
}

} // namespace

QStringList pictureFilters()
{
    QStringList filters;
    for (const PictureType &type : pictureTypes())
        filters.append(type.filter);
    return filters;
}

PictureTarget pictureTarget(const QString &chosenPath, const QString &chosenFilter)
{
    if (chosenPath.isEmpty())
        return {};
    const PictureType &type = typeOf(chosenFilter);
    // "study.v2" is a name, not a type: the picture still needs a suffix that says what it is.
    const QString path = isPicturePath(chosenPath) ? chosenPath : chosenPath + u'.' + type.suffix;
    const bool asChosen = QFileInfo(path).suffix().compare(type.suffix, Qt::CaseInsensitive) == 0;
    return {path, asChosen ? type.pngDpi : defaultPngDpi};
}

QString initialPicturePath(const QString &documentPath, bool matrix)
{
    return initialPicturePath(documentPath, matrix ? QStringLiteral("-matrix") : QString());
}

QString initialPicturePath(const QString &documentPath, const QString &nameEnd)
{
    const QFileInfo document(documentPath);
    return document.dir().filePath(document.completeBaseName() + nameEnd + QStringLiteral(".svg"));
}

PictureTarget askPictureTarget(QWidget *parent, const QString &initial)
{
    QFileDialog dialog(parent, QCoreApplication::translate("ExportPictureDialog", "Export Picture"), initial);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(pictureFilters());
    dialog.setDefaultSuffix(typeOf({}).suffix);
    // The name follows the type chosen, so that what is written is what was chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        const QString suffix = typeOf(filter).suffix;
        dialog.setDefaultSuffix(suffix);
        const QStringList typed = dialog.selectedFiles();
        if (!typed.isEmpty() && isPicturePath(typed.constFirst()))
            dialog.selectFile(QFileInfo(typed.constFirst()).completeBaseName() + u'.' + suffix);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return pictureTarget(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
}

} // namespace sortana
