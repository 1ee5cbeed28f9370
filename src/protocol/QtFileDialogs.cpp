#include "protocol/QtFileDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace {

bool runDialog(QFileDialog &dialog, const QList<ProtocolFileType> &types, int &filterIndex, QString &fileName)
{
    QStringList filters;
    for (const ProtocolFileType &type : types)
        filters.append(type.qtFilter());
    dialog.setNameFilters(filters);
    const int preset = std::clamp(filterIndex, 1, std::max<int>(filters.size(), 1)) - 1;
    if (preset < filters.size()) {
        dialog.selectNameFilter(filters.at(preset));
        dialog.setDefaultSuffix(types.at(preset).extension().mid(1));
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &types, filters](const QString &filter) {
                         const qsizetype i = filters.indexOf(filter);
                         if (i >= 0)
                             dialog.setDefaultSuffix(types.at(i).extension().mid(1));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
    filterIndex = chosen >= 0 ? int(chosen) + 1 : preset + 1;
    return true;
}

} // namespace

bool QtFileDialogs::getOpenFileName(QWidget *parent, const QString &folder,
                                    const QList<ProtocolFileType> &types, int &filterIndex, QString &fileName)
{
    QFileDialog dialog(parent, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    return runDialog(dialog, types, filterIndex, fileName);
}

bool QtFileDialogs::getSaveFileName(QWidget *parent, const QString &folder,
                                    const QList<ProtocolFileType> &types, int &filterIndex, QString &fileName)
{
    QFileDialog dialog(parent, QString(), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setSizeGripEnabled(true);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    return runDialog(dialog, types, filterIndex, fileName);
}
