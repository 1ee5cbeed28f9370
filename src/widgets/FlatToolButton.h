#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The flat toolbar button: a glyph, a hint, a raised highlight while the
// pointer is over it, a sunken frame while pressed. It never takes the focus.
class FlatToolButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit FlatToolButton(QWidget *parent = nullptr);

    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &value);
    QString hint() const { return toolTip(); }
    void setHint(const QString &value);
    bool highlighted() const { return m_highlighted; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setHighlighted(bool value);

    QPixmap m_glyph;
    bool m_highlighted = false;
};
