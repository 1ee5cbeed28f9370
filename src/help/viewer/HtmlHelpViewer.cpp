#include "help/viewer/HtmlHelpViewer.h"

#include "help/viewer/HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEngine>
#include <QScreen>

HelpViewer::HelpViewer(QObject *parent)
    : QObject(parent)
{ }

HelpViewer::~HelpViewer()
{
    closeAll();
}

QWidget *HelpViewer::htmlHelp(QWidget *caller, const QString &file, HelpCommand command, const QVariant &data)
{
    if (command == HelpCommand::hcCloseAll) {
        closeAll();
        return nullptr;
    }

    QString helpFile = file;
    QString topic;
    if (command == HelpCommand::hcDisplayTopic) {
        const qsizetype separator = file.indexOf(QLatin1String("::/"));
        if (separator >= 0) {
            topic = file.mid(separator + 3);
            helpFile = file.left(separator).trimmed();
        }
    }
    switch (command) {
    case HelpCommand::hcDisplayTopic:
    case HelpCommand::hcDisplayToc:
    case HelpCommand::hcDisplayIndex:
    case HelpCommand::hcHelpContext:
        break;
    default:
        return nullptr;
    }

    HelpWindow *window = windowFor(helpFile);
    if (!window)
        return nullptr;

    switch (command) {
    case HelpCommand::hcDisplayTopic:
        window->showTopic(topic);
        break;
    case HelpCommand::hcDisplayToc:
        window->showContents();
        break;
    case HelpCommand::hcDisplayIndex:
        window->showIndex(data.toString());
        break;
    case HelpCommand::hcHelpContext:
        window->showContext(data.toInt());
        break;
    default:
        break;
    }

    if (!window->isVisible()) {
        const QWidget *anchor = caller ? caller->window() : nullptr;
        QRect area = anchor ? anchor->frameGeometry() : QRect();
        if (area.isEmpty() && QGuiApplication::primaryScreen())
            area = QGuiApplication::primaryScreen()->availableGeometry();
        if (!area.isEmpty()) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(area.center());
            // Centred over a small main window, the help would reach past the
            // screen's edge: keep its title bar and left edge on the screen.
            if (const QScreen *screen = QGuiApplication::primaryScreen()) {
                const QRect screenArea = screen->availableGeometry();
                frame.moveTop(qMax(frame.top(), screenArea.top()));
                frame.moveLeft(qMax(frame.left(), screenArea.left()));
            }
            window->move(frame.topLeft());
        }
        window->show();
    }
    window->raise();
    window->activateWindow();
    return window;
}

HelpWindow *HelpViewer::windowFor(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    if (!info.isFile())
        return nullptr;
    const QString key = info.canonicalFilePath();
    if (HelpWindow *window = m_windows.value(key))
        return window;
    if (!m_collections)
        m_collections = std::make_unique<ScratchFolder>();
    if (!m_collections->isValid())
        return nullptr;

    const QString collection = m_collections->filePath(QStringLiteral("help%1.qhc").arg(++m_collectionCount));
    auto *engine = new QHelpEngine(collection);
    // The collection is created here and written once, on registration.
    engine->setReadOnly(false);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData() || !engine->registerDocumentation(key) || !engine->setupData()) {
        delete engine;
        return nullptr;
    }
    auto *window = new HelpWindow(engine);
    // An open help window must not keep the program running once its main
    // window has closed.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    m_windows.insert(key, window);
    return window;
}

void HelpViewer::closeAll()
{
    const auto windows = std::exchange(m_windows, {});
    for (const QPointer<HelpWindow> &window : windows)
        delete window.data();
}
