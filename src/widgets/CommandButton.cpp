#include "widgets/CommandButton.h"

#include <QApplication>
#include <QBitmap>
#include <QDialog>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>

namespace {

constexpr ColorValue TextHighlight = Colors::clWhite; // embossed caption, lower-right copy
constexpr ColorValue TextShadow = Colors::clGray; // embossed caption, in place

void drawLine(QPainter &painter, ColorValue colour, QPoint from, QPoint to)
{
    painter.setPen(QPen(toQColor(colour), 0));
    painter.drawLine(from, to);
}

// A raised double edge around `r`: light outer and white inner edge on the
// top and left, dark outer and shadow inner edge on the bottom and right.
void drawRaisedEdge(QPainter &painter, const QRect &r)
{
    const QRect inner = r.adjusted(1, 1, -1, -1);
    drawLine(painter, Colors::cl3DLight, r.topLeft(), r.topRight());
    drawLine(painter, Colors::cl3DLight, r.topLeft(), r.bottomLeft());
    drawLine(painter, Colors::cl3DDkShadow, r.bottomLeft(), r.bottomRight());
    drawLine(painter, Colors::cl3DDkShadow, r.topRight(), r.bottomRight());
    drawLine(painter, Colors::clBtnHighlight, inner.topLeft(), inner.topRight() - QPoint(1, 0));
    drawLine(painter, Colors::clBtnHighlight, inner.topLeft(), inner.bottomLeft() - QPoint(0, 1));
    drawLine(painter, Colors::clBtnShadow, inner.bottomLeft(), inner.bottomRight());
    drawLine(painter, Colors::clBtnShadow, inner.topRight(), inner.bottomRight());
}

struct KindDefaults
{
    const char *caption;
    int modalResult;
    bool isDefault;
    bool isCancel;
    QStyle::StandardPixmap glyph;
};

KindDefaults defaultsOf(CommandButton::ButtonKind kind)
{
    switch (kind) {
    case CommandButton::ButtonKind::Ok:
        return {"OK", 1, true, false, QStyle::SP_DialogOkButton};
    case CommandButton::ButtonKind::Cancel:
        return {"Abbrechen", 2, false, true, QStyle::SP_DialogCancelButton};
    case CommandButton::ButtonKind::Yes:
        return {"&Ja", 6, true, false, QStyle::SP_DialogYesButton};
    case CommandButton::ButtonKind::No:
        return {"&Nein", 7, false, true, QStyle::SP_DialogNoButton};
    case CommandButton::ButtonKind::Close:
        return {"&Schließen", 0, false, false, QStyle::SP_DialogCloseButton};
    case CommandButton::ButtonKind::Custom:
        break;
    }
    return {nullptr, 0, false, false, QStyle::SP_CustomBase};
}

} // namespace

CommandButton::CommandButton(QWidget *parent)
    : CommandButton(QString(), parent)
{ }

CommandButton::CommandButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(this, &QPushButton::clicked, this, [this] {
        if (m_kind == ButtonKind::Close) {
            window()->close();
        } else if (m_modalResult != 0) {
            if (auto *dialog = qobject_cast<QDialog *>(window()))
                dialog->done(m_modalResult);
        }
    });
}

void CommandButton::setColor(ColorValue value)
{
    if (value == m_color)
        return;
    m_color = value;
    rebuildGlyph();
    update();
}

void CommandButton::setGlyph(const QPixmap &value)
{
    m_glyph = value;
    if (!m_glyph.isNull() && m_glyph.height() > 0) {
        // A strip of square images gives their count, as many as fit.
        const int count = m_glyph.width() / m_glyph.height();
        if (count >= 1 && count <= 4 && m_glyph.width() % m_glyph.height() == 0)
            m_numGlyphs = count;
    }
    rebuildGlyph();
    updateGeometry();
    update();
}

void CommandButton::setNumGlyphs(int value)
{
    value = qBound(1, value, 4);
    if (value == m_numGlyphs)
        return;
    m_numGlyphs = value;
    update();
}

void CommandButton::setKind(ButtonKind value)
{
    if (value == m_kind)
        return;
    m_kind = value;
    const KindDefaults defaults = defaultsOf(value);
    if (value == ButtonKind::Custom)
        return;
    setText(QString::fromUtf8(defaults.caption));
    setModalResult(defaults.modalResult);
    setDefault(defaults.isDefault);
    setCancel(defaults.isCancel);
    const int size = style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, this);
    setGlyph(style()->standardIcon(defaults.glyph, nullptr, this).pixmap(size, size));
}

void CommandButton::setGlyphLayout(ButtonLayout value)
{
    if (value == m_layout)
        return;
    m_layout = value;
    update();
}

void CommandButton::setMargin(int value)
{
    if (value == m_margin)
        return;
    m_margin = value;
    update();
}

void CommandButton::setSpacing(int value)
{
    if (value == m_spacing)
        return;
    m_spacing = value;
    update();
}

void CommandButton::setDefault(bool value)
{
    if (value == m_default)
        return;
    m_default = value;
    QPushButton::setDefault(value);
    update();
}

void CommandButton::setCancel(bool value)
{
    if (value == m_cancel)
        return;
    m_cancel = value;
    if (value && !m_cancelShortcut) {
        m_cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        m_cancelShortcut->setContext(Qt::WindowShortcut);
        connect(m_cancelShortcut, &QShortcut::activated, this, [this] {
            if (isEnabled() && isVisible())
                click();
        });
    }
    if (m_cancelShortcut)
        m_cancelShortcut->setEnabled(value);
}

bool CommandButton::isActiveDefault() const
{
    if (hasFocus())
        return true;
    if (!m_default)
        return false;
    const QWidget *focused = window()->focusWidget();
    const bool otherButtonFocused
        = focused && focused != this && focused->hasFocus() && qobject_cast<const QAbstractButton *>(focused);
    return !otherButtonFocused;
}

void CommandButton::rebuildGlyph()
{
    m_faceGlyph = QPixmap();
    if (m_glyph.isNull())
        return;
    QPixmap source = m_glyph;
    if (!source.hasAlphaChannel()) {
        // An opaque bitmap names its transparent colour by its bottom-left pixel.
        const QImage image = source.toImage();
        const QColor transparent = image.pixelColor(0, image.height() - 1);
        source.setMask(QBitmap::fromImage(image.createMaskFromColor(transparent.rgb(), Qt::MaskInColor)));
    }
    m_faceGlyph = QPixmap(source.size());
    m_faceGlyph.fill(toQColor(m_color));
    QPainter painter(&m_faceGlyph);
    painter.drawPixmap(0, 0, source);
}

QPixmap CommandButton::currentGlyph() const
{
    if (m_faceGlyph.isNull())
        return {};
    const int width = m_faceGlyph.width() / m_numGlyphs;
    // Images of the strip: up, disabled, down, exclusive.
    int index = 0;
    if (!isEnabled() && m_numGlyphs > 1)
        index = 1;
    else if (isDown() && m_numGlyphs > 2)
        index = 2;
    QPixmap glyph = m_faceGlyph.copy(index * width, 0, width, m_faceGlyph.height());
    if (!isEnabled() && m_numGlyphs == 1) {
        const QIcon icon(glyph);
        glyph = icon.pixmap(glyph.size(), QIcon::Disabled);
    }
    return glyph;
}

QSize CommandButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    const QSize caption = metrics.size(Qt::TextShowMnemonic, text());
    QSize glyph;
    if (!m_glyph.isNull())
        glyph = QSize(m_glyph.width() / m_numGlyphs, m_glyph.height());
    int width = caption.width() + glyph.width() + (glyph.isEmpty() || caption.isEmpty() ? 0 : m_spacing);
    int height = qMax(caption.height(), glyph.height());
    if (m_layout == ButtonLayout::GlyphTop || m_layout == ButtonLayout::GlyphBottom) {
        width = qMax(caption.width(), glyph.width());
        height = caption.height() + glyph.height() + (glyph.isEmpty() || caption.isEmpty() ? 0 : m_spacing);
    }
    // Frame, double edge, face frame and some air.
    return QSize(width + 16, height + 10).expandedTo(QSize(75, 25));
}

bool CommandButton::event(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The second click of a double click is one more press.
        const auto *click = static_cast<QMouseEvent *>(event);
        QMouseEvent press(QEvent::MouseButtonPress, click->position(), click->scenePosition(),
                          click->globalPosition(), click->button(), click->buttons(), click->modifiers(),
                          click->pointingDevice());
        QCoreApplication::sendEvent(this, &press);
        event->setAccepted(press.isAccepted());
        return true;
    }
    return QPushButton::event(event);
}

void CommandButton::mousePressEvent(QMouseEvent *event)
{
    QPushButton::mousePressEvent(event);
    m_heldByMouse = isDown();
    if (isSignalConnected(QMetaMethod::fromSignal(&CommandButton::mousePressed))) {
        Q_EMIT mousePressed(event->button());
        event->accept();
    }
}

void CommandButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_heldByMouse = false;
    QPushButton::mouseReleaseEvent(event);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button, as it does the active default button;
    // a held key does not press it again.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void CommandButton::focusOutEvent(QFocusEvent *event)
{
    // Losing the focus lifts a pressed button, but one the mouse still holds
    // stays pressed until the release. When the window itself loses the
    // activation (a dialog opens) the release may never come here: lift it.
    const bool keepPressed = m_heldByMouse && isDown() && event->reason() != Qt::ActiveWindowFocusReason;
    QPushButton::focusOutEvent(event);
    if (keepPressed)
        setDown(true);
    else
        m_heldByMouse = false;
}

void CommandButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_heldByMouse = false;
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
    QPushButton::changeEvent(event);
}

void CommandButton::paintEvent(QPaintEvent *)
{
    ++m_paintCount;
    QPainter painter(this);
    const QRect client = rect();
    QRect r = client;
    const bool pressed = isDown();
    const bool activeDefault = isActiveDefault();

    if (activeDefault || hasFocus()) {
        painter.setPen(QPen(toQColor(Colors::clWindowText), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }

    ColorValue faceFrame = m_color;
    if (!pressed) {
        drawRaisedEdge(painter, r);
        r.adjust(2, 2, -2, -2);
    } else {
        faceFrame = Colors::clBtnShadow;
    }

    painter.setPen(QPen(toQColor(faceFrame), 0));
    painter.setBrush(toQColor(m_color));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);

    if (activeDefault)
        r = client.adjusted(1, 1, -1, -1);
    if (pressed)
        r.translate(1, 1);

    // Glyph and caption, placed as the layout, margin and spacing say.
    const QPixmap glyph = currentGlyph();
    const QFontMetrics metrics(font());
    const QString caption = text();
    const QSize textSize = caption.isEmpty() ? QSize() : metrics.size(Qt::TextShowMnemonic, caption);
    QRect textRect = r;
    if (!glyph.isNull()) {
        const bool horizontal = m_layout == ButtonLayout::GlyphLeft || m_layout == ButtonLayout::GlyphRight;
        const int glyphExtent = horizontal ? glyph.width() : glyph.height();
        const int textExtent = horizontal ? textSize.width() : textSize.height();
        const int available = horizontal ? r.width() : r.height();
        const int spacing = caption.isEmpty() ? 0 : m_spacing;
        const int margin = m_margin >= 0 ? m_margin : (available - glyphExtent - spacing - textExtent) / 2;
        QPoint glyphAt;
        switch (m_layout) {
        case ButtonLayout::GlyphLeft:
            glyphAt = QPoint(r.left() + margin, r.top() + (r.height() - glyph.height()) / 2);
            textRect = QRect(glyphAt.x() + glyph.width() + spacing, r.top(), textExtent, r.height());
            break;
        case ButtonLayout::GlyphRight:
            glyphAt
                = QPoint(r.right() + 1 - margin - glyph.width(), r.top() + (r.height() - glyph.height()) / 2);
            textRect = QRect(glyphAt.x() - spacing - textExtent, r.top(), textExtent, r.height());
            break;
        case ButtonLayout::GlyphTop:
            glyphAt = QPoint(r.left() + (r.width() - glyph.width()) / 2, r.top() + margin);
            textRect = QRect(r.left(), glyphAt.y() + glyph.height() + spacing, r.width(), textExtent);
            break;
        case ButtonLayout::GlyphBottom:
            glyphAt = QPoint(r.left() + (r.width() - glyph.width()) / 2,
                             r.bottom() + 1 - margin - glyph.height());
            textRect = QRect(r.left(), glyphAt.y() - spacing - textExtent, r.width(), textExtent);
            break;
        }
        painter.drawPixmap(glyphAt, glyph);
    }

    if (!caption.isEmpty()) {
        constexpr int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
        painter.setFont(font());
        if (isEnabled()) {
            painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
            painter.drawText(textRect, flags, caption);
        } else {
            painter.setPen(toQColor(TextHighlight));
            painter.drawText(textRect.translated(1, 1), flags, caption);
            painter.setPen(toQColor(TextShadow));
            painter.drawText(textRect, flags, caption);
        }
    }

    if (activeDefault) {
        // A dotted rectangle that inverts what lies under it.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen dotted(Qt::white, 0);
        dotted.setDashPattern({1.0, 1.0});
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(4, 4, -5, -5));
    }
}
