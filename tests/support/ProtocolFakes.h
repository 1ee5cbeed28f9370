#pragma once

// Stand-ins for the desktop shell and the file dialogs of the protocol panel.
#include "protocol/ProtocolFileDialogs.h"
#include "protocol/ProtocolShell.h"

#include <QPrinter>
#include <QStringList>

// Records the documents it is asked to open; "prints" into a PDF file.
class FakeShell : public ProtocolShell
{
public:
    QStringList opened;
    QString pdfName;
    int printerQuestions = 0;
    bool acceptPrinter = true;

    void openDocument(const QString &fileName) override { opened.append(fileName); }
    bool choosePrinter(QPrinter &printer, QWidget *) override
    {
        ++printerQuestions;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfName);
        return acceptPrinter;
    }
};

// Answers the file dialogs with a prepared name and type, and remembers what they offered.
class FakeDialogs : public ProtocolFileDialogs
{
public:
    QString answer;
    int chosenIndex = 1;
    bool accept = true;
    int presetIndex = 0;
    QString presetName;
    QList<ProtocolFileType> offeredTypes;

    bool getOpenFileName(QWidget *, const QString &, const QList<ProtocolFileType> &types, int &filterIndex,
                         QString &fileName) override
    {
        offeredTypes = types;
        presetIndex = filterIndex;
        filterIndex = chosenIndex;
        fileName = answer;
        return accept;
    }
    bool getSaveFileName(QWidget *, const QString &, const QList<ProtocolFileType> &types, int &filterIndex,
                         QString &fileName) override
    {
        offeredTypes = types;
        presetIndex = filterIndex;
        presetName = fileName;
        filterIndex = chosenIndex;
        fileName = answer;
        return accept;
    }
};
