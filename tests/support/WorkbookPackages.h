#pragma once

// Workbook packages made from their XML parts, for tests, benchmarks and fuzzing: an
// .xlsx or .ods file as a spreadsheet application would store it, down to the byte.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

namespace WorkbookPackages {

using Parts = QList<QPair<QString, QByteArray>>;

// A zip archive of the parts, in their order; the first is stored uncompressed (the
// "mimetype" part of an OpenDocument package must be). Empty when libzip fails.
inline QByteArray zipPackage(const Parts &parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!buffer)
        return {};
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr);
    if (!archive) {
        zip_source_free(buffer);
        return {};
    }
    zip_source_keep(buffer); // the bytes are read back after the archive is closed
    bool ok = true;
    for (qsizetype i = 0; i < parts.size() && ok; ++i) {
        const QByteArray &bytes = parts[i].second;
        zip_source_t *part = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index
            = part ? zip_file_add(archive, parts[i].first.toUtf8().constData(), part, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(part);
            ok = false;
        } else if (i == 0) {
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
        }
    }
    if (!ok || zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        return {};
    }
    QByteArray out;
    if (zip_source_open(buffer) == 0) {
        char chunk[1 << 16];
        zip_int64_t n = 0;
        while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
            out.append(chunk, qsizetype(n));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
}

// An .xlsx package around a worksheet part; shared strings and styles only when given.
inline QByteArray xlsx(const QByteArray &sheet, const QByteArray &sharedStrings = {},
                       const QByteArray &styles = {}, const QByteArray &workbookProperties = {})
{
    const QByteArray relationshipType("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
    QByteArray workbookRelationships
        = "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
          "<Relationship Id=\"rId1\" Type=\""
        + relationshipType + "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (!sharedStrings.isEmpty())
        workbookRelationships += "<Relationship Id=\"rId2\" Type=\"" + relationshipType
            + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    if (!styles.isEmpty())
        workbookRelationships += "<Relationship Id=\"rId3\" Type=\"" + relationshipType
            + "styles\" Target=\"/xl/styles.xml\"/>";
    workbookRelationships += "</Relationships>";
    Parts parts{{QStringLiteral("[Content_Types].xml"),
                 "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
                {QStringLiteral("_rels/.rels"),
                 "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                 "<Relationship Id=\"rId1\" Type=\""
                     + relationshipType
                     + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                       "</Relationships>"},
                {QStringLiteral("xl/workbook.xml"),
                 "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                 "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                     + workbookProperties
                     + "<sheets><sheet name=\"Tivano\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
                {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelationships},
                {QStringLiteral("xl/worksheets/sheet1.xml"),
                 "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                     + sheet + "</sheetData></worksheet>"}};
    if (!sharedStrings.isEmpty())
        parts.append({QStringLiteral("xl/sharedStrings.xml"),
                      "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          + sharedStrings + "</sst>"});
    if (!styles.isEmpty())
        parts.append({QStringLiteral("xl/styles.xml"),
                      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          + styles + "</styleSheet>"});
    return zipPackage(parts);
}

// The content part of an .ods package around the rows of its first table, with the
// namespaces and (optional) automatic styles LibreOffice Calc writes.
inline QByteArray odsContent(const QByteArray &rows, const QByteArray &automaticStyles = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
           "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
           "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" "
           "office:version=\"1.3\"><office:automatic-styles>"
        + automaticStyles
        + "</office:automatic-styles><office:body><office:spreadsheet><table:table table:name=\"Tivano\">"
        + rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
}

// An .ods package around a content part.
inline QByteArray ods(const QByteArray &content)
{
    return zipPackage(
        {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
         {QStringLiteral("content.xml"), content},
         {QStringLiteral("META-INF/manifest.xml"),
          "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
          "manifest:version=\"1.3\"><manifest:file-entry manifest:full-path=\"/\" "
          "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
          "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
          "</manifest:manifest>"}});
}

} // namespace WorkbookPackages
