#pragma once

#include <QLineEdit>

class QLabel;
class QTimer;

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

    // A short note at the right end of the field that goes by itself after a few seconds
    // and asks nothing (a start number used twice, a finish without one).
    void showHint(const QString &text);
    QLabel *hintLabel() const { return m_hint; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeHint();
    void hideHint();

    QLabel *m_hint = nullptr;
    QTimer *m_hintTimer = nullptr;
};
