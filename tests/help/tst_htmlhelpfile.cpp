#include "HelpContextPages.h"
#include "HelpPlatformText.h"
#include "help/HelpContext.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTest>
#include <QXmlStreamReader>
#include <QtEndian>

#include <algorithm>
#include <objbase.h>
#include <optional>
#include <windows.h>

// The storage interface of itss.dll, through which hhctrl.ocx reads compiled help.
// Only the methods before StgOpenStorage matter here, and only for their places. Outside
// the anonymous namespace: there GCC would take the interface, implemented nowhere in this
// file, for one that no object has, and drop the calls.

struct ItStorage : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR *, DWORD, DWORD, IStorage **) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes *, DWORD, DWORD, IStorage **)
        = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes *) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR *name, IStorage *priority, DWORD mode,
                                                     SNB exclude, DWORD reserved, IStorage **opened)
        = 0;
};

namespace {

const GUID ClsidItStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const GUID IidItStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

quint32 dword(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The value of <param name="..." value="..."> in a sitemap line, HTML entities decoded.
QString decodedAttribute(QString text)
{
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    return text.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace

// The compiled help file tivano.hlp, read as Windows' help machinery reads it: the pages as
// the build laid them out, the contents and the index of tivano.qhp in Windows-1252, and
// the context ids that name their pages.
class TestHtmlHelpFile : public QObject
{
    Q_OBJECT

private:
    struct Entry
    {
        QString name;
        QString page;
    };

    IStorage *m_storage = nullptr;

    std::optional<QByteArray> read(const QString &name) const
    {
        IStream *stream = nullptr;
        if (!m_storage
            || FAILED(m_storage->OpenStream(reinterpret_cast<const wchar_t *>(name.utf16()), nullptr,
                                            STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream)))
            return std::nullopt;
        QByteArray content;
        char buffer[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &got)) && got > 0)
            content.append(buffer, got);
        stream->Release();
        return content;
    }

    QStringList names() const
    {
        QStringList result;
        IEnumSTATSTG *elements = nullptr;
        if (!m_storage || FAILED(m_storage->EnumElements(0, nullptr, 0, &elements)))
            return result;
        STATSTG element;
        ULONG got = 0;
        while (elements->Next(1, &element, &got) == S_OK && got == 1) {
            if (element.type == STGTY_STREAM)
                result.append(QString::fromWCharArray(element.pwcsName));
            CoTaskMemFree(element.pwcsName);
        }
        elements->Release();
        return result;
    }

    // The sitemap entries (name and page) of tivano.hhc or tivano.hhk, in their order.
    QList<Entry> sitemap(const QString &name) const
    {
        QList<Entry> entries;
        const QString text = TextCodec::decode(read(name).value_or(QByteArray()));
        static const QRegularExpression param(
            QStringLiteral("<param name=\"(Name|Local)\" value=\"([^\"]*)\">"));
        auto matches = param.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            if (match.captured(1) == QLatin1String("Name"))
                entries.append({decodedAttribute(match.captured(2)), QString()});
            else if (!entries.isEmpty())
                entries.last().page = decodedAttribute(match.captured(2));
        }
        return entries;
    }

    // The project as this platform's build lays it out: files, contents, keywords.
    static void readProject(QStringList *files, QList<Entry> *contents, QList<Entry> *keywords)
    {
        QFile file(QDir(QStringLiteral(TIVANO_HELP_SOURCE_DIR)).filePath(QStringLiteral("tivano.qhp")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(platformText(QString::fromUtf8(file.readAll()), helpPlatform()));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto attributes = xml.attributes();
            const Entry entry{attributes.value(QLatin1String("title")).toString(),
                              attributes.value(QLatin1String("ref")).toString()};
            if (xml.name() == QLatin1String("file"))
                files->append(xml.readElementText());
            else if (xml.name() == QLatin1String("section"))
                contents->append(entry);
            else if (xml.name() == QLatin1String("keyword"))
                keywords->append({attributes.value(QLatin1String("name")).toString(), entry.page});
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    }

    static bool sameEntries(QList<Entry> a, QList<Entry> b)
    {
        const auto order = [](const Entry &x, const Entry &y) { return x.name < y.name; };
        std::sort(a.begin(), a.end(), order);
        std::sort(b.begin(), b.end(), order);
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Entry &x, const Entry &y) {
            return x.name == y.name && x.page == y.page;
        });
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        void *created = nullptr;
        QVERIFY(SUCCEEDED(
            CoCreateInstance(ClsidItStorage, nullptr, CLSCTX_INPROC_SERVER, IidItStorage, &created)));
        auto *storages = static_cast<ItStorage *>(created);
        const QString path
            = QDir::toNativeSeparators(QFileInfo(QStringLiteral(TIVANO_HELP_FILE)).absoluteFilePath());
        const HRESULT opened
            = storages->StgOpenStorage(reinterpret_cast<const wchar_t *>(path.utf16()), nullptr,
                                       STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &m_storage);
        storages->Release();
        QVERIFY2(SUCCEEDED(opened), qPrintable(path));
    }

    void cleanupTestCase()
    {
        if (m_storage)
            m_storage->Release();
        CoUninitialize();
    }

    void pagesAreTheLaidOutPages()
    {
        QStringList files;
        QList<Entry> contents;
        QList<Entry> keywords;
        readProject(&files, &contents, &keywords);
        QVERIFY(!files.isEmpty());
        const QDir laidOut(QStringLiteral(TIVANO_HELP_STAGE_DIR));
        for (const QString &name : std::as_const(files)) {
            QFile page(laidOut.filePath(name));
            QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(name));
            QCOMPARE(read(name).value_or("<missing>"), page.readAll());
        }
        // Besides the pages only the contents, the index and the format's own entries.
        QStringList others = names();
        for (const QString &name : std::as_const(files))
            others.removeAll(name);
        others.removeAll(QStringLiteral("tivano.hhc"));
        others.removeAll(QStringLiteral("tivano.hhk"));
        for (const QString &name : std::as_const(others))
            QVERIFY2(name.startsWith(QLatin1Char('#')) || name.startsWith(QLatin1Char('$'))
                         || name.startsWith(QLatin1Char('_')),
                     qPrintable(name));
    }

    void contentsAreThoseOfTheProject()
    {
        QStringList files;
        QList<Entry> contents;
        QList<Entry> keywords;
        readProject(&files, &contents, &keywords);
        const QList<Entry> compiled = sitemap(QStringLiteral("tivano.hhc"));
        QCOMPARE(compiled.size(), contents.size());
        for (qsizetype i = 0; i < contents.size(); ++i) {
            QCOMPARE(compiled.at(i).name, contents.at(i).name);
            QCOMPARE(compiled.at(i).page, contents.at(i).page);
        }
        // Windows-1252: "Ü" is one byte.
        QCOMPARE(compiled.first().name, QStringLiteral("Überblick"));
        QVERIFY(read(QStringLiteral("tivano.hhc"))
                    .value_or(QByteArray())
                    .contains("\xdc"
                              "berblick"));
    }

    void indexHoldsThisPlatformsKeywords()
    {
        QStringList files;
        QList<Entry> contents;
        QList<Entry> keywords;
        readProject(&files, &contents, &keywords);
        const QList<Entry> compiled = sitemap(QStringLiteral("tivano.hhk"));
        QVERIFY(sameEntries(compiled, keywords));
        QVERIFY(std::any_of(compiled.begin(), compiled.end(),
                            [](const Entry &entry) { return entry.name == QStringLiteral("Tastenkürzel"); }));
        QVERIFY(std::none_of(compiled.begin(), compiled.end(),
                             [](const Entry &entry) { return entry.name == QStringLiteral("dialout"); }));
    }

    void contextIdsNameTheirPages_data() { addContextPageRows(); }

    void contextIdsNameTheirPages()
    {
        QFETCH(int, context);
        QFETCH(QString, page);
        // #IVB: its size, then pairs of context id and offset of the page's name in #STRINGS.
        const QByteArray ids = read(QStringLiteral("#IVB")).value_or(QByteArray());
        const QByteArray strings = read(QStringLiteral("#STRINGS")).value_or(QByteArray());
        QVERIFY(ids.size() >= 12);
        QCOMPARE(qsizetype(dword(ids, 0)), ids.size() - 4);
        QStringList named;
        for (qsizetype at = 4; at + 8 <= ids.size(); at += 8) {
            if (dword(ids, at) != quint32(context))
                continue;
            const qsizetype offset = dword(ids, at + 4);
            QVERIFY(offset < strings.size());
            named.append(QString::fromLatin1(strings.mid(offset, strings.indexOf('\0', offset) - offset)));
        }
        QCOMPARE(named, QStringList{page});
        QVERIFY(read(page).has_value());
    }

    void systemNamesTitleLanguageAndStart()
    {
        // #SYSTEM: a version, then records of a code, a length and the data.
        const QByteArray system = read(QStringLiteral("#SYSTEM")).value_or(QByteArray());
        QMap<int, QByteArray> records;
        for (qsizetype at = 4; at + 4 <= system.size();) {
            const int code = qFromLittleEndian<quint16>(system.constData() + at);
            const int length = qFromLittleEndian<quint16>(system.constData() + at + 2);
            records.insert(code, system.mid(at + 4, length));
            at += 4 + length;
        }
        const auto text = [&records](int code) {
            const QByteArray data = records.value(code);
            return QString::fromLatin1(data.left(data.indexOf('\0')));
        };
        QCOMPARE(text(0), QStringLiteral("tivano.hhc"));
        QCOMPARE(text(1), QStringLiteral("tivano.hhk"));
        QCOMPARE(text(2), QStringLiteral("ueberblick.html"));
        QCOMPARE(text(3), QStringLiteral("Tivano Hilfe"));
        QVERIFY(records.value(4).size() >= 4);
        QCOMPARE(dword(records.value(4), 0), quint32(0x407));
    }
};

QTEST_GUILESS_MAIN(TestHtmlHelpFile)
#include "tst_htmlhelpfile.moc"
