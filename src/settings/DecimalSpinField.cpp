#include "settings/DecimalSpinField.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

DecimalSpinField::DecimalSpinField(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    auto *buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(m_up);
    buttons->addWidget(m_down);
    layout->addLayout(buttons);

    for (QToolButton *button : {m_up, m_down}) {
        // The buttons never take the focus, so using them does not leave the field.
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        button->setFixedWidth(16);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(QStringLiteral("Wert erhöhen"));
    m_down->setAccessibleName(QStringLiteral("Wert verringern"));
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });

    setFocusProxy(m_edit);
    setFocusPolicy(Qt::StrongFocus);
    m_edit->installEventFilter(this);
    m_edit->setText(formatValue(m_value));
}

void DecimalSpinField::setMinValue(double value)
{
    if (value == m_minValue)
        return;
    m_minValue = value;
    setValue(m_value);
}

void DecimalSpinField::setMaxValue(double value)
{
    if (value == m_maxValue)
        return;
    m_maxValue = value;
    setValue(m_value);
}

void DecimalSpinField::setDecimals(int value)
{
    value = qBound(0, value, 9);
    if (value == m_decimals)
        return;
    m_decimals = value;
    m_edit->setText(formatValue(m_value));
}

Qt::Alignment DecimalSpinField::alignment() const
{
    return m_edit->alignment();
}

void DecimalSpinField::setAlignment(Qt::Alignment value)
{
    m_edit->setAlignment(value);
}

QChar DecimalSpinField::decimalSeparator() const
{
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.front();
}

double DecimalSpinField::clamped(double value) const
{
    if (std::isnan(value))
        return m_minValue;
    return std::clamp(value, m_minValue, m_maxValue);
}

QString DecimalSpinField::formatValue(double value) const
{
    const double scale = std::pow(10.0, m_decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0,0"
    QString text = QString::number(rounded, 'f', m_decimals);
    text.replace(QLatin1Char('.'), decimalSeparator());
    return text;
}

std::optional<double> DecimalSpinField::parseNumber(const QString &text) const
{
    const QString separator = QRegularExpression::escape(QString(decimalSeparator()));
    const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+(%1\\d*)?|%1\\d+)([eE][+-]?\\d+)?$").arg(separator));
    const QString trimmed = text.trimmed();
    if (!number.match(trimmed).hasMatch())
        return std::nullopt;
    QString plain = trimmed;
    plain.replace(decimalSeparator(), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool DecimalSpinField::acceptsTypedText(const QString &text) const
{
    const std::optional<double> value = parseNumber(text);
    if (!value || *value < m_minValue || *value > m_maxValue)
        return false;
    const qsizetype separator = text.indexOf(decimalSeparator());
    if (separator < 0)
        return true;
    int decimals = 0;
    for (qsizetype i = separator + 1; i < text.size() && text.at(i).isDigit(); ++i)
        ++decimals;
    return decimals <= m_decimals;
}

double DecimalSpinField::value() const
{
    if (const std::optional<double> value = parseNumber(m_edit->text()))
        return clamped(*value);
    return m_value;
}

void DecimalSpinField::setValue(double newValue)
{
    newValue = clamped(newValue);
    const QString text = formatValue(newValue);
    const bool changed = newValue != m_value;
    m_value = newValue;
    if (m_edit->text() != text)
        m_edit->setText(text);
    if (changed)
        Q_EMIT valueChanged(value()); // as shown, rounded to the decimals
}

QString DecimalSpinField::text() const
{
    return m_edit->text();
}

void DecimalSpinField::step(int steps)
{
    const double scale = std::pow(10.0, m_decimals);
    const double stepped = std::round((value() + steps * m_increment) * scale) / scale;
    setValue(stepped);
    if (m_edit->hasFocus())
        m_edit->selectAll();
}

bool DecimalSpinField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return filterKey(static_cast<QKeyEvent *>(event));
        case QEvent::FocusIn:
            entered();
            break;
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            // Switching windows or opening a menu does not leave the field.
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                break;
            // The editor finishes its own leaving first (it drops the selection),
            // then the text is checked.
            static_cast<QObject *>(m_edit)->event(event);
            left();
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool DecimalSpinField::filterKey(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        step(event->key() == Qt::Key_Up ? 1 : -1);
        return true;
    }
    const QString typed = event->text();
    if (typed.size() != 1 || !typed.front().isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false; // editing keys, shortcuts

    const QChar ch = typed.front();
    const QChar separator = decimalSeparator();
    const bool allowed = (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('-')
        || ch == QLatin1Char('e') || ch == QLatin1Char('E') || ch == separator;
    if (!allowed)
        return true;

    QString text = m_edit->text();
    qsizetype position = m_edit->cursorPosition();
    if (m_edit->hasSelectedText()) {
        position = m_edit->selectionStart();
        text.remove(position, m_edit->selectedText().size());
    }
    text.insert(position, ch);

    if (text == QStringLiteral("-")) {
        m_edit->setText(QStringLiteral("-0"));
        m_edit->setSelection(1, 1);
        return true;
    }
    if (text == QString(separator)) {
        m_edit->setText(QStringLiteral("0") + separator + QStringLiteral("0"));
        m_edit->setSelection(2, 1);
        return true;
    }
    return !acceptsTypedText(text);
}

void DecimalSpinField::entered()
{
    m_enteredValue = value();
}

void DecimalSpinField::left()
{
    const std::optional<double> value = parseNumber(m_edit->text());
    if (value && *value >= m_minValue && *value <= m_maxValue) {
        setValue(*value);
        m_edit->setText(formatValue(m_value));
        return;
    }
    setValue(m_enteredValue);
    m_edit->setText(formatValue(m_value));
    m_edit->selectAll();
    m_edit->setFocus(Qt::OtherFocusReason);
}
