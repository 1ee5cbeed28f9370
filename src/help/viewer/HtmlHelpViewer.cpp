#include "HtmlHelpViewer.h"

#include "HelpWindow.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEngine>
#include <QScreen>

THtmlHelpViewer::THtmlHelpViewer(QObject *parent)
    : QObject(parent)
{
}

THtmlHelpViewer::~THtmlHelpViewer()
{
    CloseAll();
}

QWidget *THtmlHelpViewer::HtmlHelp(QWidget *caller, const QString &file, THelpCommand command,
                                   const QVariant &data)
{
    if (command == THelpCommand::hcCloseAll) {
        CloseAll();
        return nullptr;
    }

    QString helpFile = file;
    QString topic;
    if (command == THelpCommand::hcDisplayTopic) {
        const qsizetype separator = file.indexOf(QLatin1String("::/"));
        if (separator >= 0) {
            topic = file.mid(separator + 3);
            helpFile = file.left(separator).trimmed();
        }
    }
    switch (command) {
    case THelpCommand::hcDisplayTopic:
    case THelpCommand::hcDisplayToc:
    case THelpCommand::hcDisplayIndex:
    case THelpCommand::hcHelpContext:
        break;
    default:
        return nullptr;
    }

    THelpWindow *window = WindowFor(helpFile);
    if (!window)
        return nullptr;

    switch (command) {
    case THelpCommand::hcDisplayTopic: window->ShowTopic(topic); break;
    case THelpCommand::hcDisplayToc: window->ShowContents(); break;
    case THelpCommand::hcDisplayIndex: window->ShowIndex(data.toString()); break;
    case THelpCommand::hcHelpContext: window->ShowContext(data.toInt()); break;
    default: break;
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

THelpWindow *THtmlHelpViewer::WindowFor(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    if (!info.isFile())
        return nullptr;
    const QString key = info.canonicalFilePath();
    if (THelpWindow *window = m_windows.value(key))
        return window;
    if (!m_collections.isValid())
        return nullptr;

    const QString collection =
        m_collections.filePath(QStringLiteral("help%1.qhc").arg(++m_collectionCount));
    auto *engine = new QHelpEngine(collection);
    // The collection is created here and written once, on registration.
    engine->setReadOnly(false);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData() || !engine->registerDocumentation(key) || !engine->setupData()) {
        delete engine;
        return nullptr;
    }
    auto *window = new THelpWindow(engine);
    // An open help window must not keep the program running once its main
    // window has closed.
    window->setAttribute(Qt::WA_QuitOnClose, false);
    m_windows.insert(key, window);
    return window;
}

void THtmlHelpViewer::CloseAll()
{
    const auto windows = std::exchange(m_windows, {});
    for (const QPointer<THelpWindow> &window : windows)
        delete window.data();
}
