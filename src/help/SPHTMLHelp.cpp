#include "SPHTMLHelp.h"

#include "HelpFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QPluginLoader>

namespace {

SPHTMLHelp *g_instance = nullptr;

} // namespace

SPHTMLHelp::SPHTMLHelp(QObject *parent)
    : QObject(parent)
    , m_moduleFolders(HelpModuleFolders(QCoreApplication::applicationDirPath()))
{
}

SPHTMLHelp::~SPHTMLHelp()
{
    Shutdown();
    if (g_instance == this)
        g_instance = nullptr;
}

SPHTMLHelp *SPHTMLHelp::Instance()
{
    return g_instance;
}

bool SPHTMLHelp::Start()
{
    if (m_started)
        return Loaded();
    m_started = true;
    g_instance = this;

    for (const QString &folder : std::as_const(m_moduleFolders)) {
        const QString path = QDir(folder).filePath(HelpModuleFileName());
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
        if (auto *module = qobject_cast<THelpViewerModule *>(loader->instance())) {
            m_loader = std::move(loader);
            m_module = module;
            return true;
        }
        loader->unload();
    }
    ShowWarning();
    return false;
}

void SPHTMLHelp::Shutdown()
{
    if (!m_module)
        return;
    SoftShutDown();
    m_module = nullptr;
    // Windows of the module that were closed with deleteLater must be gone
    // before its code is unmapped.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_loader->unload();
    m_loader.reset();
}

QString SPHTMLHelp::ModulePath() const
{
    return m_loader ? m_loader->fileName() : QString();
}

void SPHTMLHelp::Register(QWidget *mainWindow, const QString &helpFile)
{
    m_mainWindow = mainWindow;
    m_helpFile = helpFile;
}

QString SPHTMLHelp::ResolveHelpFile(const QString &requested) const
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

QStringList SPHTMLHelp::HelpStrings(const QString &keyword)
{
    return {ViewerName() + QStringLiteral(": ") + keyword};
}

QString SPHTMLHelp::WarningText()
{
    return QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. Get new \"")
        + HelpModuleFileName() + QStringLiteral("\" library.");
}

QWidget *SPHTMLHelp::ShowContents(const QString &helpFile)
{
    return Request(helpFile, THelpCommand::hcDisplayToc, QVariant());
}

QWidget *SPHTMLHelp::ShowKeyword(const QString &keyword, const QString &helpFile)
{
    return Request(helpFile, THelpCommand::hcDisplayIndex, keyword);
}

QWidget *SPHTMLHelp::ShowTopic(const QString &topic, const QString &helpFile)
{
    if (!m_module)
        return nullptr;
    const QString file = ResolveHelpFile(helpFile);
    if (file.isEmpty())
        return nullptr;
    return m_module->HtmlHelp(m_mainWindow, file + QStringLiteral(" ::/") + topic,
                              THelpCommand::hcDisplayTopic, QVariant());
}

QWidget *SPHTMLHelp::ShowContext(int contextId, const QString &helpFile)
{
    return Request(helpFile, THelpCommand::hcHelpContext, contextId);
}

void SPHTMLHelp::SoftShutDown()
{
    if (m_module)
        m_module->HtmlHelp(nullptr, QString(), THelpCommand::hcCloseAll, QVariant());
}

QWidget *SPHTMLHelp::Request(const QString &file, THelpCommand command, const QVariant &data)
{
    if (!m_module)
        return nullptr;
    const QString resolved = ResolveHelpFile(file);
    if (resolved.isEmpty())
        return nullptr;
    return m_module->HtmlHelp(m_mainWindow, resolved, command, data);
}

void SPHTMLHelp::ShowWarning()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning!"), WarningText(),
                    QMessageBox::Ok);
    box.exec();
}
