#include "platform/base/messages.h"

#include <QHash>
#include <QMutex>

namespace base {

namespace {
QMutex& tableMutex() {
    static QMutex mutex;
    return mutex;
}
QHash<int, QString>& table() {
    static QHash<int, QString> messages;
    return messages;
}
}  // namespace

void DeclareMessages(std::initializer_list<MessageDef> messages) {
    QMutexLocker lock(&tableMutex());
    for (const auto& m : messages) table().insert(m.number, QString::fromUtf8(m.text));
}

void DeclareMessage(int number, const QString& text) {
    QMutexLocker lock(&tableMutex());
    table().insert(number, text);
}

QString MessageText(int number) {
    QMutexLocker lock(&tableMutex());
    return table().value(number);
}

bool HasMessage(int number) {
    QMutexLocker lock(&tableMutex());
    return table().contains(number);
}

QString FormatText(const QString& text, const QStringList& args) {
    QString out;
    out.reserve(text.size() + 16);
    int next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'%' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        if (text[i + 1] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // %[index:][-][width][.prec]type
        qsizetype j = i + 1;
        int index = -1;
        qsizetype k = j;
        while (k < text.size() && text[k].isDigit()) ++k;
        if (k < text.size() && k > j && text[k] == u':') {
            index = text.mid(j, k - j).toInt();
            j = k + 1;
        }
        while (j < text.size() && (text[j] == u'-' || text[j].isDigit() || text[j] == u'.')) ++j;
        if (j < text.size() && QStringLiteral("sdufxegnmp").contains(text[j].toLower())) {
            const int argIndex = index >= 0 ? index : next;
            if (argIndex < args.size()) {
                out += args[argIndex];
                next = argIndex + 1;
                i = j;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString ReplacePlaceholders(QString text, std::initializer_list<std::pair<QString, QString>> values) {
    for (const auto& [name, value] : values) text.replace(name, value, Qt::CaseInsensitive);
    return text;
}

}  // namespace base
