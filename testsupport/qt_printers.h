#pragma once

// gtest printers for the Qt types our tests compare, so failures show readable values.
// Every file of a test program sees them (cmake/DossaraTargets.cmake includes this header
// first), so assertions and messages take Qt values as they are: `EXPECT_EQ(name, "Key")`,
// `<< name`, `SCOPED_TRACE(text)`, without converting them to std::string.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <ostream>

QT_BEGIN_NAMESPACE
/// A text as UTF-8 in a failure message or a trace.
inline std::ostream& operator<<(std::ostream& os, const QString& s) { return os << s.toStdString(); }

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "QByteArray(\"" << b.toHex(' ').toStdString() << "\")"; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i) *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << ']';
}
inline void PrintTo(const QDate& d, std::ostream* os) { *os << d.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(const QTime& t, std::ostream* os) { *os << t.toString(Qt::ISODateWithMs).toStdString(); }
inline void PrintTo(const QDateTime& d, std::ostream* os) { *os << d.toString(Qt::ISODateWithMs).toStdString(); }
inline void PrintTo(const QVariant& v, std::ostream* os) {
    *os << "QVariant(" << v.typeName() << ", " << v.toString().toStdString() << ')';
}
QT_END_NAMESPACE
