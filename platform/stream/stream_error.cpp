#include "platform/stream/stream_error.h"

namespace stream {

QString SourcePos::ToString() const {
    if (line > 0) return QStringLiteral("line %1, column %2").arg(line).arg(column);
    if (offset >= 0) return QStringLiteral("offset %1").arg(offset);
    return {};
}

namespace {
QString Compose(const QString& what, const SourcePos& pos) {
    if (!pos.IsKnown()) return what;
    return QStringLiteral("%1 (at %2)").arg(what, pos.ToString());
}
}  // namespace

StreamError::StreamError(StreamErrorKind kind, const QString& what, SourcePos pos)
    : base::Exception(Compose(what, pos), 0, static_cast<int>(kind)),
      m_kind(kind),
      m_what(what),
      m_pos(pos) {}

StreamError StreamError::InContext(const QString& objectName, const QString& propertyName,
                                   SourcePos fallbackPos) const {
    QString subject = objectName;
    if (!propertyName.isEmpty()) subject += (subject.isEmpty() ? QString() : QStringLiteral(".")) + propertyName;
    const SourcePos pos = m_pos.IsKnown() ? m_pos : fallbackPos;
    if (subject.isEmpty() || m_what.startsWith(QLatin1String("Error reading "))) return StreamError(m_kind, m_what, pos);
    return StreamError(m_kind, QStringLiteral("Error reading %1: %2").arg(subject, m_what), pos);
}

}  // namespace stream
