#pragma once

#include "ColorValue.h"

#include <QComboBox>

#include <array>
#include <functional>

// A drop-down list of colour swatches: the sixteen fixed colours and the user
// entry "Other..." whose colour can change. Names are not drawn.
class ToColorCombo : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int FixedColourCount = 16;
    static constexpr int UserEntry = FixedColourCount;
    struct NamedColour
    {
        const char *name;
        TColor value;
    };
    static const std::array<NamedColour, FixedColourCount> FixedColours;
    static const char *const UserEntryName;

    explicit ToColorCombo(QWidget *parent = nullptr);

    TColor ColorValue() const { return m_colorValue; }
    // Selects the entry holding `value`, else gives the user entry that colour
    // and selects it; fires OnChange. Does nothing when the value is current.
    void setColorValue(TColor value);

    TColor EntryColour(int index) const;
    bool UserEntrySelected() const { return currentIndex() == UserEntry; }

    // Set while the field itself takes a picked colour, so the change that
    // follows is not taken for a new choice.
    bool Guard() const { return m_guard; }
    void setGuard(bool value) { m_guard = value; }

    std::function<void(ToColorCombo *)> OnChange;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void EntryActivated(int index);

    TColor m_colorValue = Colors::clBlack;
    bool m_guard = false;
};

// Draws one swatch: the colour filling `rect` 2 pixels inset, framed in black.
void PaintColourSwatch(QPainter &painter, const QRect &rect, TColor colour);
