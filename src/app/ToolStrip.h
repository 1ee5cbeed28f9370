#pragma once

#include <QWidget>

class FlatToolButton;

// The strip along the top of the main window: the help, settings and
// info buttons and the maker's logo, which opens the maker's web site.
class ToolStrip : public QWidget
{
    Q_OBJECT

public:
    static constexpr int StripHeight = 35;

    explicit ToolStrip(QWidget *parent = nullptr);

    FlatToolButton *settingsButton() const { return m_settingsButton; }

Q_SIGNALS:
    void helpRequested();
    void settingsRequested();
    void infoRequested();
    void makerSiteRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createLogo();

    FlatToolButton *m_settingsButton = nullptr;
};
