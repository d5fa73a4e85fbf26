#include "fulltext/cx_strings.h"

#include "platform/base/messages.h"

#include <QHash>
#include <QMutex>
#include <QtEndian>

#include <algorithm>

namespace fulltext {

namespace {

QByteArray managerTable() {
    return BuildStringTable({
        {1, QStringLiteral("String not found: %d")},
        {2, QStringLiteral("Cannot lock resource")},
        {3, QStringLiteral("String resource not found: %s")},
        {4, QStringLiteral("Unable to open string resource: %s")},
        {5, QStringLiteral("Invalid string resource")},
    });
}

QByteArray libraryTable() {
    return BuildStringTable({
        {51, QStringLiteral("Compare property must be set")},
        {52, QStringLiteral("An incompatible class is passed to a method")},
        {53, QStringLiteral("Bad size parameter")},
        {54, QStringLiteral("Attempt to add duplicate node to TCxTree")},
        {57, QStringLiteral("Container class name %s read from stream is unregistered")},
        {58, QStringLiteral("Node class name %s read from stream is unregistered")},
        {59, QStringLiteral("Container's StoreData property is unassigned")},
        {60, QStringLiteral("Container's LoadData property is unassigned")},
        {61, QStringLiteral("Class name on stream differs from object's class")},
        {62, QStringLiteral("Node class name on stream differs from object's node class")},
    });
}

QMutex& registryMutex() {
    static QMutex m;
    return m;
}

QHash<QString, QByteArray>& registry() {
    static QHash<QString, QByteArray> r{
        {QStringLiteral("CXSRMGR_STRINGS"), managerTable()},
        {QStringLiteral("CORVEX_STRINGS_ENGLISH"), libraryTable()},
    };
    return r;
}

bool findResource(const QString& name, QByteArray& out) {
    QMutexLocker lock(&registryMutex());
    const auto it = registry().constFind(name.toUpper());
    if (it == registry().constEnd()) return false;
    out = *it;
    return true;
}

std::uint32_t u32At(const QByteArray& data, qsizetype offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

void putU32(QByteArray& data, std::uint32_t v) {
    char b[4];
    qToLittleEndian<quint32>(v, b);
    data.append(b, 4);
}

}  // namespace

QByteArray BuildStringTable(std::vector<std::pair<std::uint32_t, QString>> rows) {
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray out("STR0");
    putU32(out, std::uint32_t(rows.size()));
    std::uint32_t textOffset = 8 + 12 * std::uint32_t(rows.size());
    for (const auto& [id, text] : rows) {
        putU32(out, id);
        putU32(out, textOffset);
        putU32(out, std::uint32_t(text.size()));
        textOffset += 2 * std::uint32_t(text.size());
    }
    for (const auto& row : rows) {
        for (QChar c : row.second) {
            char b[2];
            qToLittleEndian<quint16>(c.unicode(), b);
            out.append(b, 2);
        }
    }
    return out;
}

void RegisterStringResource(const QString& name, const QByteArray& data) {
    QMutexLocker lock(&registryMutex());
    registry().insert(name.toUpper(), data);
}

const TCxStringResource& CxSrMgrStrings() {
    static const TCxStringResource r(QStringLiteral("CXSRMGR_STRINGS"));
    return r;
}

const TCxStringResource& CorvexStrings() {
    static const TCxStringResource r(QStringLiteral("CORVEX_STRINGS_ENGLISH"));
    return r;
}

}  // namespace fulltext

ECxContainerError::ECxContainerError(int id, const QStringList& args)
    : ECxException(base::FormatText(fulltext::CorvexStrings().GetString(std::uint32_t(id)), args), id) {}

ECxsStringResourceError::ECxsStringResourceError(int id, const QStringList& args)
    : base::Exception(base::FormatText(fulltext::CxSrMgrStrings().GetString(std::uint32_t(id)), args), 0, id) {}

TCxStringResource::TCxStringResource(const QString& resourceName) {
    Open(resourceName);
}

TCxStringResource::~TCxStringResource() = default;

void TCxStringResource::Open(const QString& resourceName) {
    Close();
    if (resourceName.isEmpty()) return;
    QByteArray data;
    if (!fulltext::findResource(resourceName, data)) throw ECxsStringResourceError(3, {resourceName});
    // A table that cannot be trusted whole is refused whole.
    bool valid = data.size() >= 8 && data.startsWith("STR0");
    std::uint32_t count = valid ? fulltext::u32At(data, 4) : 0;
    if (valid && (data.size() - 8) / 12 < qsizetype(count)) valid = false;
    std::uint32_t previousId = 0;
    for (std::uint32_t i = 0; valid && i < count; ++i) {
        const qsizetype entry = 8 + 12 * qsizetype(i);
        const std::uint32_t id = fulltext::u32At(data, entry);
        const quint64 offset = fulltext::u32At(data, entry + 4);
        const quint64 length = fulltext::u32At(data, entry + 8);
        if ((i > 0 && id <= previousId) || offset + 2 * length > quint64(data.size())) valid = false;
        previousId = id;
    }
    if (!valid) {
        // The manager's own table is checked before anything can report through it.
        if (resourceName.compare(QLatin1String("CXSRMGR_STRINGS"), Qt::CaseInsensitive) == 0)
            throw ECxsStringResourceError::WithText(fulltext::srInvalidResource,
                                                    QStringLiteral("Invalid string resource"));
        throw ECxsStringResourceError(5);
    }
    m_data = data;
    m_count = count;
}

QString TCxStringResource::GetString(std::uint32_t id) const {
    std::uint32_t lo = 0;
    std::uint32_t hi = m_count;
    while (lo < hi) {
        const std::uint32_t mid = lo + (hi - lo) / 2;
        const qsizetype entry = 8 + 12 * qsizetype(mid);
        const std::uint32_t midId = fulltext::u32At(m_data, entry);
        if (midId == id) {
            const qsizetype offset = fulltext::u32At(m_data, entry + 4);
            const qsizetype length = fulltext::u32At(m_data, entry + 8);
            QString text(length, Qt::Uninitialized);
            for (qsizetype k = 0; k < length; ++k)
                text[k] = QChar(qFromLittleEndian<quint16>(m_data.constData() + offset + 2 * k));
            return text;
        }
        if (midId < id) lo = mid + 1;
        else hi = mid;
    }
    return QString();
}

void TCxStringResource::Close() {
    m_data.clear();
    m_count = 0;
}
