#pragma once

#include "protocol/ProtocolFileDialogs.h"

// The file dialogs through QFileDialog.
class QtFileDialogs : public ProtocolFileDialogs
{
public:
    bool getOpenFileName(QWidget *parent, const QString &folder, const QList<ProtocolFileType> &types,
                         int &filterIndex, QString &fileName) override;
    bool getSaveFileName(QWidget *parent, const QString &folder, const QList<ProtocolFileType> &types,
                         int &filterIndex, QString &fileName) override;
};
