#pragma once

#include "ColorValue.h"

#include <QPixmap>
#include <QPushButton>

#include <functional>

class QShortcut;

// A push button that draws itself with the face colour `Color`: raised edge,
// pressed offset, embossed caption when disabled, focus rectangle when it is
// the active default button. A double click arrives as a second press, so
// every handler of the press runs again. Enter, like Space, presses the
// focused button; the face stays pressed while the mouse holds the button,
// even when a handler of the press moves the focus on.
class TBitBtnWithColor : public QPushButton
{
    Q_OBJECT

public:
    enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo, bkClose };
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

    explicit TBitBtnWithColor(QWidget *parent = nullptr);
    explicit TBitBtnWithColor(const QString &caption, QWidget *parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor value);

    QPixmap Glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &value);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    TBitBtnKind Kind() const { return m_kind; }
    void setKind(TBitBtnKind value);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout value);
    int Margin() const { return m_margin; }
    void setMargin(int value);
    int Spacing() const { return m_spacing; }
    void setSpacing(int value);
    // Kept for the layouts that set it; the drawing is the same for every style.
    TButtonStyle Style() const { return m_style; }
    void setStyle(TButtonStyle value) { m_style = value; }

    // The window's default button (Enter presses it while no other button has the focus).
    bool Default() const { return m_default; }
    void setDefault(bool value);
    // Esc presses the button.
    bool Cancel() const { return m_cancel; }
    void setCancel(bool value);
    // A click closes the dialog the button is in with this result (0: none).
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int value) { m_modalResult = value; }

    // Whether Enter would press the button now.
    bool IsActiveDefault() const;
    // Paints of the button so far (tests see whether a setter repainted).
    int PaintCount() const { return m_paintCount; }

    // The button last pressed, read by OnMouseDown handlers.
    Qt::MouseButton PressedMouseButton() const { return m_pressedButton; }

    std::function<void(TBitBtnWithColor *)> OnClick;
    std::function<void(TBitBtnWithColor *)> OnMouseDown;

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void RebuildGlyph();
    QPixmap CurrentGlyph() const;

    TColor m_color = Colors::clBtnFace;
    QPixmap m_glyph;
    QPixmap m_faceGlyph; // the glyph strip on the face colour
    int m_numGlyphs = 1;
    TBitBtnKind m_kind = bkCustom;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    TButtonStyle m_style = bsAutoDetect;
    bool m_default = false;
    bool m_cancel = false;
    int m_modalResult = 0;
    QShortcut *m_cancelShortcut = nullptr;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    bool m_heldByMouse = false; // pressed by the left mouse button, not yet released
    int m_paintCount = 0;
};
