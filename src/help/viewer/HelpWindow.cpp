#include "help/viewer/HelpWindow.h"

#include "help/viewer/HelpBrowser.h"

#include <QHBoxLayout>
#include <QHelpContentItem>
#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QHelpEngine *engine, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_engine(engine)
{
    m_engine->setParent(this);
    const QStringList namespaces = m_engine->registeredDocumentations();
    if (!namespaces.isEmpty())
        m_namespace = namespaces.first();

    setWindowTitle(tr("Hilfe"));
    resize(860, 600);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    m_tabs = new QTabWidget(splitter);
    m_tabs->addTab(m_engine->contentWidget(), tr("Inhalt"));

    auto *indexPage = new QWidget(m_tabs);
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    m_indexFilter = new QLineEdit(indexPage);
    m_indexFilter->setPlaceholderText(tr("Stichwort"));
    m_indexFilter->setClearButtonEnabled(true);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_engine->indexWidget());
    m_tabs->addTab(indexPage, tr("Index"));

    m_browser = new HelpBrowser(m_engine, splitter);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_engine->contentWidget(), &QHelpContentWidget::linkActivated, this, &HelpWindow::openPage);
    connect(m_engine->indexWidget(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &document, const QString &) { openPage(document.url); });
    connect(m_engine->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &documents, const QString &) {
                if (!documents.isEmpty())
                    openPage(documents.first().url);
            });
    connect(m_indexFilter, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_engine->indexWidget()->filterIndices(text); });
    connect(m_indexFilter, &QLineEdit::returnPressed, m_engine->indexWidget(),
            &QHelpIndexWidget::activateCurrentItem);
    connect(m_engine->indexModel(), &QHelpIndexModel::indexCreated, this, [this] {
        if (!m_indexFilter->text().isEmpty())
            m_engine->indexWidget()->filterIndices(m_indexFilter->text());
        if (!m_pendingKeyword.isEmpty())
            openKeyword(std::exchange(m_pendingKeyword, QString()));
    });
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, [this] {
        // The manual is short: show every chapter at once.
        m_engine->contentWidget()->expandAll();
        syncContents();
        if (m_openFirstPage) {
            m_openFirstPage = false;
            openPage(firstPage());
        }
    });
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        updateTitle();
        syncContents();
    });
}

HelpWindow::~HelpWindow() = default;

QUrl HelpWindow::currentPage() const
{
    return m_browser->source();
}

void HelpWindow::showContents()
{
    m_tabs->setCurrentIndex(0);
    if (!m_browser->source().isEmpty())
        return;
    const QUrl first = firstPage();
    if (first.isValid())
        openPage(first);
    else
        m_openFirstPage = true;
}

void HelpWindow::showIndex(const QString &keyword)
{
    m_tabs->setCurrentIndex(1);
    m_indexFilter->setText(keyword);
    m_indexFilter->setFocus();
    if (!keyword.isEmpty())
        openKeyword(keyword);
}

void HelpWindow::showTopic(const QString &topic)
{
    QString path = topic.trimmed();
    QString fragment;
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        fragment = path.mid(hash + 1);
        path.truncate(hash);
    }
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (!path.isEmpty()) {
        const QString tail = QLatin1Char('/') + path;
        const QList<QUrl> files = m_engine->files(m_namespace, QString());
        for (QUrl url : files) {
            if (url.path().endsWith(tail, Qt::CaseInsensitive)) {
                if (!fragment.isEmpty())
                    url.setFragment(fragment);
                openPage(url);
                return;
            }
        }
    }
    showMissing(topic);
}

void HelpWindow::showContext(int contextId)
{
    const QList<QHelpLink> links
        = m_engine->documentsForIdentifier(QStringLiteral("context.%1").arg(contextId));
    if (links.isEmpty()) {
        showMissing(QString::number(contextId));
        return;
    }
    openPage(links.first().url);
}

void HelpWindow::openKeyword(const QString &keyword)
{
    QList<QHelpLink> links = m_engine->documentsForKeyword(keyword);
    if (links.isEmpty()) {
        // The index compares letter case; look for the entry as written there.
        QHelpIndexModel *index = m_engine->indexModel();
        if (index->isCreatingIndex() || index->rowCount() == 0) {
            m_pendingKeyword = keyword;
            return;
        }
        const QStringList entries = index->stringList();
        for (const QString &entry : entries) {
            if (entry.compare(keyword, Qt::CaseInsensitive) == 0) {
                links = m_engine->documentsForKeyword(entry);
                break;
            }
        }
    }
    if (!links.isEmpty())
        openPage(links.first().url);
}

void HelpWindow::openPage(const QUrl &url)
{
    if (!url.isValid())
        return;
    m_openFirstPage = false;
    m_browser->setSource(url);
}

void HelpWindow::showMissing(const QString &what)
{
    m_browser->setHtml(
        QStringLiteral("<p>%1</p>")
            .arg(tr("Das Thema „%1“ ist in dieser Hilfe nicht enthalten.").arg(what.toHtmlEscaped())));
    updateTitle();
}

QUrl HelpWindow::firstPage() const
{
    QHelpContentModel *contents = m_engine->contentModel();
    if (contents->isCreatingContents() || contents->rowCount() == 0)
        return QUrl();
    QHelpContentItem *item = contents->contentItemAt(contents->index(0, 0));
    return item ? item->url() : QUrl();
}

void HelpWindow::syncContents()
{
    QHelpContentWidget *contents = m_engine->contentWidget();
    QUrl page = m_browser->source();
    page.setFragment(QString());
    const QModelIndex index = page.isEmpty() ? QModelIndex() : contents->indexOf(page);
    if (index.isValid())
        contents->setCurrentIndex(index);
}

void HelpWindow::updateTitle()
{
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? tr("Hilfe") : page + tr(" - Hilfe"));
}
