#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QToolButton;

// A numeric field with up/down buttons for a floating-point value with a
// fixed number of decimals. Typing is filtered so that the text stays a
// number within the limits; on leaving, the text is reformatted, or, when it
// is no number within the limits, the value from entering is restored and the
// field takes the focus back.
class TSpinFloatEdit : public QWidget
{
    Q_OBJECT

public:
    explicit TSpinFloatEdit(QWidget *parent = nullptr);

    double MinValue() const { return m_minValue; }
    void setMinValue(double value);
    double MaxValue() const { return m_maxValue; }
    void setMaxValue(double value);
    double Increment() const { return m_increment; }
    void setIncrement(double value) { m_increment = value; }
    int Decimals() const { return m_decimals; }
    void setDecimals(int value);
    Qt::Alignment Alignment() const;
    void setAlignment(Qt::Alignment value);

    // The value of the text; when the text is no number, the last value the
    // field held. Always within the limits.
    double Value() const;
    // Clamps to the limits and shows the value with `Decimals` decimals.
    void setValue(double value);

    QString Text() const;
    QLineEdit *Editor() const { return m_edit; }
    QToolButton *UpButton() const { return m_up; }
    QToolButton *DownButton() const { return m_down; }

    // The text as a number in the current locale, or nothing.
    std::optional<double> ParseNumber(const QString &text) const;
    // Whether typing may produce `text`: a number within the limits with at
    // most `Decimals` digits after the decimal separator.
    bool AcceptsTypedText(const QString &text) const;
    QString FormatValue(double value) const;

    std::function<void(TSpinFloatEdit *)> OnChange;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Step(int steps);
    bool FilterKey(class QKeyEvent *event);
    void Entered();
    void Left();
    double Clamped(double value) const;
    QChar DecimalSeparator() const;

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
