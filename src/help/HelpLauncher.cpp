#include "help/HelpLauncher.h"

#include "help/HelpFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QPluginLoader>

namespace {

HelpLauncher *g_instance = nullptr;

} // namespace

HelpLauncher::HelpLauncher(QObject *parent)
    : QObject(parent)
    , m_moduleFolders(helpModuleFolders(QCoreApplication::applicationDirPath()))
{ }

HelpLauncher::~HelpLauncher()
{
    shutdown();
    if (g_instance == this)
        g_instance = nullptr;
}

HelpLauncher *HelpLauncher::instance()
{
    return g_instance;
}

bool HelpLauncher::start()
{
    if (m_started)
        return loaded();
    m_started = true;
    g_instance = this;

    for (const QString &folder : std::as_const(m_moduleFolders)) {
        const QString path = QDir(folder).filePath(helpModuleFileName());
        if (!QFileInfo(path).isFile())
            continue;
        auto loader = std::make_unique<QPluginLoader>(path);
        // Qt keeps type information of loaded libraries in global tables, so
        // the module's code stays mapped after unloading; unloading drops
        // the module's objects.
        loader->setLoadHints(loader->loadHints() | QLibrary::PreventUnloadHint);
        // Any failure to load or to find the entry point counts as no module.
        if (!loader->load())
            continue;
        if (auto *module = qobject_cast<HelpViewerModule *>(loader->instance())) {
            m_loader = std::move(loader);
            m_module = module;
            return true;
        }
        loader->unload();
    }
    showWarning();
    return false;
}

void HelpLauncher::shutdown()
{
    if (!m_module)
        return;
    softShutDown();
    m_module = nullptr;
    // Windows of the module that were closed with deleteLater must be gone
    // before its code is unmapped.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_loader->unload();
    m_loader.reset();
}

QString HelpLauncher::modulePath() const
{
    return m_loader ? m_loader->fileName() : QString();
}

void HelpLauncher::registerHelpFile(QWidget *mainWindow, const QString &helpFile)
{
    m_mainWindow = mainWindow;
    m_helpFile = helpFile;
}

QString HelpLauncher::resolveHelpFile(const QString &requested) const
{
    QString file = requested;
    if (file.isEmpty())
        file = m_currentHelpFile;
    if (file.isEmpty())
        file = m_helpFile;
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return QString();
    return file;
}

QStringList HelpLauncher::helpStrings(const QString &keyword)
{
    return {viewerName() + QStringLiteral(": ") + keyword};
}

QString HelpLauncher::warningText()
{
    return QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. Get new \"")
        + helpModuleFileName() + QStringLiteral("\" library.");
}

QWidget *HelpLauncher::showContents(const QString &helpFile)
{
    return request(helpFile, HelpCommand::hcDisplayToc, QVariant());
}

QWidget *HelpLauncher::showKeyword(const QString &keyword, const QString &helpFile)
{
    return request(helpFile, HelpCommand::hcDisplayIndex, keyword);
}

QWidget *HelpLauncher::showTopic(const QString &topic, const QString &helpFile)
{
    if (!m_module)
        return nullptr;
    const QString file = resolveHelpFile(helpFile);
    if (file.isEmpty())
        return nullptr;
    return m_module->htmlHelp(m_mainWindow, file + QStringLiteral(" ::/") + topic,
                              HelpCommand::hcDisplayTopic, QVariant());
}

QWidget *HelpLauncher::showContext(int contextId, const QString &helpFile)
{
    return request(helpFile, HelpCommand::hcHelpContext, contextId);
}

void HelpLauncher::softShutDown()
{
    if (m_module)
        m_module->htmlHelp(nullptr, QString(), HelpCommand::hcCloseAll, QVariant());
}

QWidget *HelpLauncher::request(const QString &file, HelpCommand command, const QVariant &data)
{
    if (!m_module)
        return nullptr;
    const QString resolved = resolveHelpFile(file);
    if (resolved.isEmpty())
        return nullptr;
    return m_module->htmlHelp(m_mainWindow, resolved, command, data);
}

void HelpLauncher::showWarning()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning!"), warningText(), QMessageBox::Ok);
    box.exec();
}
