#include "help/HelpLauncher.h"

#include "help/HelpFiles.h"
#include "help/HelpModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

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
        // Any failure to load or to find the entry point counts as no module.
        m_module = HelpModule::load(path);
        if (m_module)
            return true;
    }
    showWarning();
    return false;
}

void HelpLauncher::shutdown()
{
    if (!m_module)
        return;
    softShutDown();
    m_module.reset();
}

QString HelpLauncher::modulePath() const
{
    return m_module ? m_module->path() : QString();
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
    // HTML help's documented notation "<file>::/<topic>": no blank before "::"
    // (it would belong to the file name unless the viewer trims it), and the
    // topic without a leading slash of its own.
    qsizetype start = 0;
    while (start < topic.size() && topic.at(start) == QLatin1Char('/'))
        ++start;
    return m_module->htmlHelp(m_mainWindow, file + QStringLiteral("::/") + topic.mid(start),
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
