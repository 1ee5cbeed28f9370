#include "help/HelpFiles.h"
#include "help/HelpModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QPluginLoader>

#ifndef TIVANO_REL_MODULEDIR
#define TIVANO_REL_MODULEDIR "../lib/tivano"
#endif

namespace {

// The Qt help viewer, a plugin module that implements HelpViewerModule.
class QtHelpModule final : public HelpModule
{
public:
    QtHelpModule(std::unique_ptr<QPluginLoader> loader, HelpViewerModule *viewer)
        : HelpModule(loader->fileName())
        , m_loader(std::move(loader))
        , m_viewer(viewer)
    { }

    ~QtHelpModule() override
    {
        // Windows of the module that were closed with deleteLater must be gone before its
        // code is unmapped.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_loader->unload();
    }

    QWidget *htmlHelp(QWidget *caller, const QString &file, HelpCommand command,
                      const QVariant &data) override
    {
        return m_viewer->htmlHelp(caller, file, command, data);
    }

private:
    std::unique_ptr<QPluginLoader> m_loader;
    HelpViewerModule *m_viewer;
};

} // namespace

std::unique_ptr<HelpModule> HelpModule::load(const QString &path)
{
    auto loader = std::make_unique<QPluginLoader>(path);
    // Qt keeps type information of loaded libraries in global tables, so the module's code
    // stays mapped after unloading; unloading drops the module's objects.
    loader->setLoadHints(loader->loadHints() | QLibrary::PreventUnloadHint);
    if (!loader->load())
        return nullptr;
    if (auto *viewer = qobject_cast<HelpViewerModule *>(loader->instance()))
        return std::make_unique<QtHelpModule>(std::move(loader), viewer);
    loader->unload();
    return nullptr;
}

QStringList helpModuleFolders(const QString &executableFolder)
{
    QStringList folders{QDir::cleanPath(executableFolder)};
    const QString installed
        = QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral(TIVANO_REL_MODULEDIR)));
    if (installed != folders.first())
        folders.append(installed);
    return folders;
}
