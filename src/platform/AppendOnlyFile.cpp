#include "platform/AppendOnlyFile.h"

AppendOnlyFile::~AppendOnlyFile()
{
    close();
}

bool AppendOnlyFile::append(const QByteArray &bytes)
{
    if (!isOpen()) {
        m_error = QStringLiteral("nicht ge\u00f6ffnet");
        return false;
    }
    // A record glued to a torn line would be lost with it, and a torn line that happens
    // to be complete but for its line feed would count after all: it is cut away.
    if (m_partialLine && !cutPartialLine())
        return false;
    if (!writeAll(bytes.constData(), bytes.size()) || !syncData()) {
        m_partialLine = true;
        return false;
    }
    m_partialLine = false;
    m_error.clear();
    return true;
}
