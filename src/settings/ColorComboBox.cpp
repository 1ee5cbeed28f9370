#include "settings/ColorComboBox.h"

#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

const std::array<ColorComboBox::NamedColour, ColorComboBox::FixedColourCount> ColorComboBox::FixedColours = {{
    {"Black", Colors::clBlack},
    {"Maroon", Colors::clMaroon},
    {"Green", Colors::clGreen},
    {"Olive", Colors::clOlive},
    {"Navy", Colors::clNavy},
    {"Purple", Colors::clPurple},
    {"Teal", Colors::clTeal},
    {"Gray", Colors::clGray},
    {"Silver", Colors::clSilver},
    {"Red", Colors::clRed},
    {"Lime", Colors::clLime},
    {"Yellow", Colors::clYellow},
    {"Blue", Colors::clBlue},
    {"Fuchsia", Colors::clFuchsia},
    {"Aqua", Colors::clAqua},
    {"White", Colors::clWhite},
}};

const char *const ColorComboBox::UserEntryName = "Other...";

namespace {

constexpr int ColourRole = Qt::UserRole;

// List entries are swatches only; the selected one gets the highlight around it.
class SwatchDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        paintColourSwatch(*painter, option.rect, ColorValue(index.data(ColourRole).toUInt()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), option.fontMetrics.height() + 2));
        return size;
    }
};

} // namespace

void paintColourSwatch(QPainter &painter, const QRect &rect, ColorValue colour)
{
    const QRect swatch = rect.adjusted(2, 2, -2, -2);
    if (swatch.width() <= 0 || swatch.height() <= 0)
        return;
    painter.fillRect(swatch, toQColor(colour));
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

ColorComboBox::ColorComboBox(QWidget *parent)
    : QComboBox(parent)
{
    for (const NamedColour &colour : FixedColours)
        addItem(QLatin1String(colour.name), QVariant::fromValue<uint>(colour.value));
    addItem(QLatin1String(UserEntryName), QVariant::fromValue<uint>(Colors::clWhite));
    setItemDelegate(new SwatchDelegate(this));
    setCurrentIndex(0);
    setMaxVisibleItems(count());
    connect(this, &QComboBox::activated, this, &ColorComboBox::entryActivated);
}

ColorValue ColorComboBox::entryColour(int index) const
{
    return ColorValue(itemData(index, ColourRole).toUInt());
}

void ColorComboBox::setColorValue(ColorValue value)
{
    if (value == m_colorValue)
        return;
    m_colorValue = value;
    int entry = -1;
    for (int i = 0; i < count(); ++i) {
        if (entryColour(i) == value) {
            entry = i;
            break;
        }
    }
    if (entry < 0) {
        entry = UserEntry;
        setItemData(UserEntry, QVariant::fromValue<uint>(value), ColourRole);
    }
    setCurrentIndex(entry);
    update();
    Q_EMIT colorValueChanged(m_colorValue);
}

void ColorComboBox::entryActivated(int index)
{
    if (index < 0)
        return;
    const ColorValue chosen = entryColour(index);
    if (chosen != m_colorValue) {
        m_colorValue = chosen;
        update();
        Q_EMIT colorValueChanged(m_colorValue);
    }
    Q_EMIT colorActivated(m_colorValue);
}

void ColorComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0)
        paintColourSwatch(painter, field, entryColour(currentIndex()));
}
