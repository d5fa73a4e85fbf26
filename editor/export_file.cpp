#include "editor/export_file.h"

#include "core/settings_store.h"
#include "platform/base/ansi.h"

#include <QStringDecoder>
#include <QStringList>

#include <cstdint>

namespace editor {

QString RowKeyText(const SettingsRow& row) {
    return QStringLiteral("[%1 | %2 | %3 | %4]").arg(row.Section, row.Key1, row.Key2, row.Variable);
}

QString CountOfRows(qsizetype count) {
    return count == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(count);
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    return text.mid(begin, end - begin);
}

namespace {
bool hasLineBreak(const QString& s) { return s.contains(u'\r') || s.contains(u'\n'); }
}  // namespace

base::Result<QByteArray> FormatExportFile(const QString& delimiter, const std::vector<SettingsRow>& rows) {
    if (delimiter.size() != 1 || hasLineBreak(delimiter))
        return base::MakeError(kBadDelimiter, QStringLiteral("The delimiter must be one character."));
    QString out = delimiter + QStringLiteral("\r\n");
    for (const SettingsRow& r : rows) {
        for (const QString* key : {&r.Section, &r.Key1, &r.Key2, &r.Variable}) {
            if (key->contains(delimiter))
                return base::MakeError(kUnexportableRow,
                                       QStringLiteral("The key %1 contains the delimiter \"%2\". "
                                                      "Choose another delimiter.")
                                           .arg(RowKeyText(r), delimiter));
        }
        for (const QString* field : {&r.Section, &r.Key1, &r.Key2, &r.Variable, &r.Value}) {
            if (hasLineBreak(*field))
                return base::MakeError(kUnexportableRow,
                                       QStringLiteral("The row %1 contains a line break and cannot be exported.")
                                           .arg(RowKeyText(r)));
        }
        out += QStringList{r.Section, r.Key1, r.Key2, r.Variable, r.Value}.join(delimiter);
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

base::Result<ExportFileContent> ParseExportFile(const QByteArray& content) {
    ExportFileContent file;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(content);
    file.encoding = QStringLiteral("UTF-8");
    if (utf8.hasError()) {
        text = QString(content.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < content.size(); ++i)
            text[i] = QChar(base::AnsiToUnicode(static_cast<std::uint8_t>(content[i])));
        file.encoding = QStringLiteral("Windows-1252");
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList lines = text.isEmpty() ? QStringList() : text.split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r')) l.chop(1);
    // A final line break does not start another line.
    if (content.endsWith('\n')) lines.removeLast();
    auto formatError = [](int line) {
        return base::MakeError(kBadFormat, QStringLiteral("Import file format is incorrect (line %1)").arg(line), line);
    };
    if (lines.size() < 2) return formatError(static_cast<int>(lines.size() + 1));

    const QString delimiter = lines[0].left(1);
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QString& line = lines[n];
        const int lineNumber = static_cast<int>(n + 1);
        if (TrimBlanks(line).isEmpty()) continue;
        QString fields[4];
        qsizetype from = 0;
        bool complete = !delimiter.isEmpty();
        for (int f = 0; f < 4 && complete; ++f) {
            const qsizetype at = line.indexOf(delimiter, from);
            if (at < 0) {
                complete = false;
                break;
            }
            fields[f] = line.mid(from, at - from);
            from = at + delimiter.size();
        }
        if (!complete) return formatError(lineNumber);
        SettingsRow row{fields[0], fields[1], fields[2], fields[3], line.mid(from)};
        static const char* const kNames[] = {"Section", "Key1", "Key2", "Variable", "Value"};
        const QString* values[] = {&row.Section, &row.Key1, &row.Key2, &row.Variable, &row.Value};
        for (int f = 0; f < 5; ++f) {
            const int limit = f < 4 ? core::kSettingsKeySize : core::kSettingsValueSize;
            if (values[f]->size() > limit)
                return base::MakeError(kFieldTooLong,
                                       QStringLiteral("Line %1 of the import file does not fit the table: its %2 has "
                                                      "%3 characters, more than the %4 the field holds. Nothing was "
                                                      "imported.")
                                           .arg(lineNumber)
                                           .arg(QLatin1String(kNames[f]))
                                           .arg(values[f]->size())
                                           .arg(limit),
                                       lineNumber);
        }
        file.rows.push_back(std::move(row));
    }
    return file;
}

}  // namespace editor
