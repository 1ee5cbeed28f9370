#pragma once

// Stand-ins for the desktop shell and the file dialogs of the protocol panel.
#include "ProtocolFileDialogs.h"
#include "ProtocolShell.h"

#include <QPrinter>
#include <QStringList>

// Records the documents it is asked to open; "prints" into a PDF file.
class FakeShell : public TProtocolShell
{
public:
    QStringList Opened;
    QString PdfName;
    int PrinterQuestions = 0;
    bool AcceptPrinter = true;

    void OpenDocument(const QString &fileName) override { Opened.append(fileName); }
    bool ChoosePrinter(QPrinter &printer, QWidget *) override
    {
        ++PrinterQuestions;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(PdfName);
        return AcceptPrinter;
    }
};

// Answers the file dialogs with a prepared name and type, and remembers what they offered.
class FakeDialogs : public TProtocolFileDialogs
{
public:
    QString Answer;
    int ChosenIndex = 1;
    bool Accept = true;
    int PresetIndex = 0;
    QString PresetName;
    QList<TProtocolFileType> OfferedTypes;

    bool GetOpenFileName(QWidget *, const QString &, const QList<TProtocolFileType> &types,
                         int &filterIndex, QString &fileName) override
    {
        OfferedTypes = types;
        PresetIndex = filterIndex;
        filterIndex = ChosenIndex;
        fileName = Answer;
        return Accept;
    }
    bool GetSaveFileName(QWidget *, const QString &, const QList<TProtocolFileType> &types,
                         int &filterIndex, QString &fileName) override
    {
        OfferedTypes = types;
        PresetIndex = filterIndex;
        PresetName = fileName;
        filterIndex = ChosenIndex;
        fileName = Answer;
        return Accept;
    }
};
