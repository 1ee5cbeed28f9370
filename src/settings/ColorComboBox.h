#pragma once

#include "platform/ColorValue.h"

#include <QComboBox>

#include <array>

// A drop-down list of colour swatches: the sixteen fixed colours and the user
// entry "Other..." whose colour can change. Names are not drawn.
class ColorComboBox : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int FixedColourCount = 16;
    static constexpr int UserEntry = FixedColourCount;
    struct NamedColour
    {
        const char *name;
        ColorValue value;
    };
    static const std::array<NamedColour, FixedColourCount> FixedColours;
    static const char *const UserEntryName;

    explicit ColorComboBox(QWidget *parent = nullptr);

    ColorValue colorValue() const { return m_colorValue; }
    // Selects the entry holding `value`, else gives the user entry that colour
    // and selects it. Does nothing when the value is current.
    void setColorValue(ColorValue value);

    ColorValue entryColour(int index) const;
    bool userEntrySelected() const { return currentIndex() == UserEntry; }

Q_SIGNALS:
    // The colour changed, by setColorValue or by the user.
    void colorValueChanged(ColorValue value);
    // The user chose an entry, also the one already selected: choosing
    // "Other..." again asks for another colour of its own.
    void colorActivated(ColorValue value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void entryActivated(int index);

    ColorValue m_colorValue = Colors::clBlack;
};

// Draws one swatch: the colour filling `rect` 2 pixels inset, framed in black.
void paintColourSwatch(QPainter &painter, const QRect &rect, ColorValue colour);
