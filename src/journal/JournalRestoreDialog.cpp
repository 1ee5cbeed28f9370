#include "journal/JournalRestoreDialog.h"

#include "journal/JournalFile.h"
#include "journal/JournalKinds.h"
#include "journal/JournalReader.h"
#include "widgets/BackgroundTask.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace K = JournalKinds;
namespace F = JournalKinds::Field;

namespace {

const QString EndOfJournal = QStringLiteral("Stand am Ende des Journals");

// Why the file was taken up while the program ran. Older journals do not say; there the
// first event of a file began it, any later one wrote it again after a failure.
QString describeContinued(const JournalEntry &entry)
{
    const QString reason = entry.field(F::Reason);
    if (reason == K::ContinuedReason::NewDay || (reason.isEmpty() && entry.sequence == 1))
        return QStringLiteral("Neues Journal des Tages");
    if (reason == K::ContinuedReason::Recreated)
        return QStringLiteral("Journal neu angelegt");
    return QStringLiteral("Journal fortgesetzt");
}

} // namespace

JournalRestoreDialog::JournalRestoreDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("journalRestoreDialog"));
    setWindowTitle(QStringLiteral("Protokoll wiederherstellen"));
    resize(620, 420);

    auto *intro = new QLabel(QStringLiteral("Das Protokoll wird aus dem Journal so wiederhergestellt, wie es "
                                            "unmittelbar vor dem gew\u00e4hlten Ereignis war."),
                             this);
    intro->setWordWrap(true);
    journalBox = new QComboBox(this);
    journalBox->setObjectName(QStringLiteral("journalBox"));
    journalBox->setAccessibleName(QStringLiteral("Journal"));
    eventList = new QTreeWidget(this);
    eventList->setObjectName(QStringLiteral("eventList"));
    eventList->setAccessibleName(QStringLiteral("Ereignisse"));
    eventList->setRootIsDecorated(false);
    eventList->setUniformRowHeights(true);
    eventList->setHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Zeit"), QStringLiteral("Ereignis"),
                                QStringLiteral("Ergebnisse davor")});
    eventList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    eventList->header()->setStretchLastSection(false);
    eventList->header()->setSectionResizeMode(2, QHeaderView::Stretch);
    noteLabel = new QLabel(this);
    noteLabel->setObjectName(QStringLiteral("journalNoteLabel"));
    noteLabel->setWordWrap(true);
    noteLabel->hide();
    readingBar = new QProgressBar(this);
    readingBar->setObjectName(QStringLiteral("readingBar"));
    readingBar->setRange(0, 1000);
    readingBar->setTextVisible(false);
    readingBar->hide();
    m_reading = new BackgroundTask(this);
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(50);
    connect(m_progressTimer, &QTimer::timeout, this, [this] { readingBar->setValue(m_reading->permille()); });

    auto *buttons = new QDialogButtonBox(this);
    restoreButton = buttons->addButton(QStringLiteral("Wiederherstellen"), QDialogButtonBox::AcceptRole);
    restoreButton->setObjectName(QStringLiteral("journalRestoreButton"));
    restoreButton->setDefault(true);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(journalBox);
    layout->addWidget(eventList, 1);
    layout->addWidget(noteLabel);
    layout->addWidget(readingBar);
    layout->addWidget(buttons);
    connect(m_reading, &BackgroundTask::finished, m_progressTimer, &QTimer::stop);

    connect(journalBox, &QComboBox::currentIndexChanged, this, &JournalRestoreDialog::showEvents);
    connect(eventList, &QTreeWidget::itemSelectionChanged, this,
            [this] { restoreButton->setEnabled(currentChoice().has_value()); });
    connect(eventList, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (currentChoice())
            accept();
    });
}

QString JournalRestoreDialog::describe(const JournalEntry &entry)
{
    const QString file = QFileInfo(entry.field(F::File)).fileName();
    if (entry.kind == K::ProgramStart)
        return QStringLiteral("Programmstart");
    if (entry.kind == K::ProgramExit)
        return QStringLiteral("Programmende");
    if (entry.kind == K::Continued)
        return describeContinued(entry);
    if (entry.kind == K::Start)
        return QStringLiteral("START um ") + entry.field(F::TimeOfDay);
    if (entry.kind == K::RaceContinued)
        return QStringLiteral("START um %1 fortgesetzt").arg(entry.field(F::TimeOfDay));
    if (entry.kind == K::Stop)
        return QStringLiteral("STOPP um %1, Laufzeit %2")
            .arg(entry.field(F::TimeOfDay), entry.field(F::RaceTime));
    if (entry.kind == K::Reset)
        return QStringLiteral("Zur\u00fcckgesetzt (0,00)");
    if (entry.kind == K::Clear)
        return QStringLiteral("Protokoll gel\u00f6scht");
    if (entry.kind == K::Load)
        return QStringLiteral("Geladen: ") + file;
    if (entry.kind == K::Import)
        return QStringLiteral("Importiert: ") + file;
    if (entry.kind == K::RowDeleted)
        return QStringLiteral("Zeile %1 gel\u00f6scht").arg(entry.field(F::Row));
    if (entry.kind == K::RowInserted)
        return QStringLiteral("Zeile %1 eingef\u00fcgt").arg(entry.field(F::Row));
    if (entry.kind == K::Restore)
        return QStringLiteral("Wiederhergestellt aus %1 vor Nr. %2").arg(file, entry.field(F::Before));
    return entry.kind;
}

void JournalRestoreDialog::showJournals(const QString &folder)
{
    m_folder = folder;
    const QSignalBlocker blocker(journalBox);
    journalBox->clear();
    for (const QString &name : JournalFile::journalsIn(folder))
        journalBox->addItem(QFileInfo(name).fileName(), name);
    journalBox->setCurrentIndex(journalBox->count() > 0 ? 0 : -1);
    showEvents(journalBox->currentIndex());
}

void JournalRestoreDialog::showEvents(int journalIndex)
{
    m_reading->cancel();
    disconnect(m_reading, &BackgroundTask::finished, this, nullptr);
    eventList->clear();
    m_points.clear();
    noteLabel->hide();
    restoreButton->setEnabled(false);
    if (journalIndex < 0) {
        noteLabel->setText(
            QStringLiteral("Im Ordner %1 gibt es kein Journal.").arg(QDir::toNativeSeparators(m_folder)));
        noteLabel->show();
        return;
    }
    struct Result
    {
        std::optional<JournalReplay::Scan> scan;
        QString error;
    };
    auto result = std::make_shared<Result>();
    const QString journal = journalBox->itemData(journalIndex).toString();
    connect(m_reading, &BackgroundTask::finished, this, [this, result] {
        readingBar->hide();
        showScan(result->scan, result->error);
    });
    readingBar->setValue(0);
    readingBar->show();
    m_progressTimer->start();
    m_reading->start([journal, result](TaskProgress &progress) {
        result->scan = JournalReplay::scanFile(journal, &result->error, &progress);
    });
}

void JournalRestoreDialog::showScan(const std::optional<JournalReplay::Scan> &scan, const QString &error)
{
    if (!scan) {
        noteLabel->setText(QStringLiteral("Das Journal kann nicht gelesen werden: ") + error);
        noteLabel->show();
        return;
    }
    if (scan->damagedLines > 0) {
        noteLabel->setText(QStringLiteral("%1 besch\u00e4digte Zeilen des Journals wurden \u00fcbergangen; "
                                          "der wiederhergestellte Stand kann davon abweichen.")
                               .arg(scan->damagedLines));
        noteLabel->show();
    }
    m_points = scan->points;
    QTreeWidgetItem *preferred = nullptr;
    for (int i = 0; i < m_points.size(); ++i) {
        const JournalReplay::RestorePoint &point = m_points.at(i);
        const JournalEntry &entry = point.entry;
        auto *item = new QTreeWidgetItem(
            eventList, {point.atEnd ? QString() : QString::number(entry.sequence), entry.time.mid(11, 8),
                        point.atEnd ? EndOfJournal : describe(entry), QString::number(point.resultsBefore)});
        item->setData(0, Qt::UserRole, i);
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(1, entry.time);
        // Going back is mostly going back before the latest loss of results.
        if (entry.kind == K::Clear || entry.kind == K::Reset || entry.kind == K::Load
            || entry.kind == K::Import || entry.kind == K::Restore || entry.kind == K::RowDeleted)
            preferred = item;
    }
    if (!preferred && eventList->topLevelItemCount() > 0)
        preferred = eventList->topLevelItem(eventList->topLevelItemCount() - 1);
    if (preferred) {
        eventList->setCurrentItem(preferred);
        eventList->scrollToItem(preferred);
    }
    restoreButton->setEnabled(currentChoice().has_value());
}

std::optional<JournalRestoreDialog::Choice> JournalRestoreDialog::currentChoice() const
{
    const QTreeWidgetItem *item = eventList->currentItem();
    if (!item || !item->isSelected() || journalBox->currentIndex() < 0)
        return std::nullopt;
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index < 0 || index >= m_points.size())
        return std::nullopt;
    return Choice{journalBox->currentData().toString(), m_points.at(index)};
}

bool JournalRestoreDialog::isReading() const
{
    return m_reading->isRunning();
}

void JournalRestoreDialog::done(int result)
{
    // A read still running is of no use any more.
    m_reading->cancel();
    m_progressTimer->stop();
    QDialog::done(result);
}

std::optional<JournalRestoreDialog::Choice> JournalRestoreDialog::choose(const QString &folder)
{
    showJournals(folder);
    eventList->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return currentChoice();
}
