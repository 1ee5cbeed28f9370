#pragma once

// Stand-ins for the desktop shell and the file dialogs of the protocol panel.
#include "protocol/ProtocolFileDialogs.h"
#include "protocol/ProtocolShell.h"

#include <QPrinter>
#include <QStringList>

#include <functional>

// Records the documents it is asked to open; "prints" into a PDF file; says whether the
// desktop has an application, at once or when the test hands on the answer.
class FakeShell : public ProtocolShell
{
public:
    QStringList opened;
    QString pdfName;
    int printerQuestions = 0;
    bool acceptPrinter = true;
    QString askedMimeType;
    bool application = true;
    bool answerAtOnce = true;
    std::function<void(bool)> pendingAnswer; // held back while answerAtOnce is false
    QString failureReason; // reported for every opened document when set

    void openDocument(const QString &fileName) override { opened.append(fileName); }
    void findApplication(const QString &mimeType, std::function<void(bool)> answer) override
    {
        askedMimeType = mimeType;
        if (answerAtOnce)
            answer(application);
        else
            pendingAnswer = std::move(answer);
    }
    void openDocumentOrReport(const QString &fileName, std::function<void(const QString &)> failed) override
    {
        openDocument(fileName);
        if (!failureReason.isEmpty())
            failed(failureReason);
    }
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
