#pragma once

#include <QLineEdit>

// `startNumberEdit`: the comma-separated list of start numbers expected at the line.
// Typing lets through only digits and ","; editing keys and shortcuts keep
// their meaning, and pasted text keeps only digits and ",". A double click
// empties it.
class StartNumberEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit StartNumberEdit(QWidget *parent = nullptr);

    // Takes the next start number off the front of the list.
    QString takeNextStartNumber();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
};
