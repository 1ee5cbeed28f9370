#pragma once

#include "protocol/ProtocolFiles.h"

#include <QList>
#include <QString>

class QWidget;

// The open and save dialogs of the protocol commands. `filterIndex` is 1-based, as the
// stored setting "FilterInd" is: it comes in as the type to preselect and goes out as the
// type the operator chose. Tests put their own in its place.
class ProtocolFileDialogs
{
public:
    virtual ~ProtocolFileDialogs() = default;

    virtual bool getOpenFileName(QWidget *parent, const QString &folder, const QList<ProtocolFileType> &types,
                                 int &filterIndex, QString &fileName)
        = 0;
    virtual bool getSaveFileName(QWidget *parent, const QString &folder, const QList<ProtocolFileType> &types,
                                 int &filterIndex, QString &fileName)
        = 0;
};
