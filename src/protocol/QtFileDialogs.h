#pragma once

#include "ProtocolFileDialogs.h"

// The file dialogs through QFileDialog.
class TQtFileDialogs : public TProtocolFileDialogs
{
public:
    bool GetOpenFileName(QWidget *parent, const QString &folder,
                         const QList<TProtocolFileType> &types, int &filterIndex,
                         QString &fileName) override;
    bool GetSaveFileName(QWidget *parent, const QString &folder,
                         const QList<TProtocolFileType> &types, int &filterIndex,
                         QString &fileName) override;
};
