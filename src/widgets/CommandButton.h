#pragma once

#include "platform/ColorValue.h"

#include <QPixmap>
#include <QPushButton>

class QShortcut;

// A push button that draws itself with its face colour: raised edge,
// pressed offset, embossed caption when disabled, focus rectangle when it is
// the active default button. A double click arrives as a second press, so
// every handler of the press runs again. Enter, like Space, presses the
// focused button; the face stays pressed while the mouse holds the button,
// even when a handler of the press moves the focus on.
class CommandButton : public QPushButton
{
    Q_OBJECT

public:
    enum class ButtonKind { Custom, Ok, Cancel, Yes, No, Close };
    enum class ButtonLayout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };

    explicit CommandButton(QWidget *parent = nullptr);
    explicit CommandButton(const QString &caption, QWidget *parent = nullptr);

    ColorValue color() const { return m_color; }
    void setColor(ColorValue value);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &value);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    ButtonKind kind() const { return m_kind; }
    void setKind(ButtonKind value);
    ButtonLayout glyphLayout() const { return m_layout; }
    void setGlyphLayout(ButtonLayout value);
    int margin() const { return m_margin; }
    void setMargin(int value);
    int spacing() const { return m_spacing; }
    void setSpacing(int value);

    // The window's default button (Enter presses it while no other button has the focus).
    bool isDefault() const { return m_default; }
    void setDefault(bool value);
    // Esc presses the button.
    bool cancel() const { return m_cancel; }
    void setCancel(bool value);
    // A click closes the dialog the button is in with this result (0: none).
    int modalResult() const { return m_modalResult; }
    void setModalResult(int value) { m_modalResult = value; }

    // Whether Enter would press the button now.
    bool isActiveDefault() const;
    // Paints of the button so far (tests see whether a setter repainted).
    int paintCount() const { return m_paintCount; }

    QSize sizeHint() const override;

Q_SIGNALS:
    // Any mouse button went down on the button (a double click is a second press).
    // A button with a receiver acts on the press and keeps the press to itself.
    void mousePressed(Qt::MouseButton button);

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuildGlyph();
    QPixmap currentGlyph() const;

    ColorValue m_color = Colors::clBtnFace;
    QPixmap m_glyph;
    QPixmap m_faceGlyph; // the glyph strip on the face colour
    int m_numGlyphs = 1;
    ButtonKind m_kind = ButtonKind::Custom;
    ButtonLayout m_layout = ButtonLayout::GlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    bool m_default = false;
    bool m_cancel = false;
    int m_modalResult = 0;
    QShortcut *m_cancelShortcut = nullptr;
    bool m_heldByMouse = false; // pressed by the left mouse button, not yet released
    int m_paintCount = 0;
};
