#pragma once

#include <QWidget>

#include <optional>

class QLineEdit;
class QToolButton;

// A numeric field with up/down buttons for a floating-point value with a
// fixed number of decimals. Typing is filtered so that the text stays a
// number within the limits; on leaving, the text is reformatted, or, when it
// is no number within the limits, the value from entering is restored and the
// field takes the focus back.
class DecimalSpinField : public QWidget
{
    Q_OBJECT

public:
    explicit DecimalSpinField(QWidget *parent = nullptr);

    double minValue() const { return m_minValue; }
    void setMinValue(double value);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value);
    double increment() const { return m_increment; }
    void setIncrement(double value) { m_increment = value; }
    int decimals() const { return m_decimals; }
    void setDecimals(int value);
    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment value);

    // The value of the text; when the text is no number, the last value the
    // field held. Always within the limits.
    double value() const;
    // Clamps to the limits and shows the value with `Decimals` decimals.
    void setValue(double value);

    QString text() const;
    QLineEdit *editor() const { return m_edit; }
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

    // The text as a number in the current locale, or nothing.
    std::optional<double> parseNumber(const QString &text) const;
    // Whether typing may produce `text`: a number within the limits with at
    // most `Decimals` digits after the decimal separator.
    bool acceptsTypedText(const QString &text) const;
    QString formatValue(double value) const;

Q_SIGNALS:
    // The value changed: by setValue, a step or a text taken on leaving; not
    // while typing.
    void valueChanged(double value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void step(int steps);
    bool filterKey(class QKeyEvent *event);
    void entered();
    void left();
    double clamped(double value) const;
    QChar decimalSeparator() const;

    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
    double m_minValue = 0.0;
    double m_maxValue = 10.0;
    double m_increment = 0.1;
    int m_decimals = 1;
    double m_value = 0.0;
    double m_enteredValue = 0.0;
};
