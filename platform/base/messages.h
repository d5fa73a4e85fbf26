#pragma once

#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace base {

/// One numbered text of the program's string table.
struct MessageDef {
    int number;
    const char* text;  ///< UTF-8
};

/// Numbered message texts. Each area declares its texts once (the full-text engine its
/// 30464 to 30504, for example) and looks them up by number; a later declaration of the
/// same number replaces the earlier one (a language module overriding the defaults).
void DeclareMessages(std::initializer_list<MessageDef> messages);
void DeclareMessage(int number, const QString& text);

/// The text of message `number`, or an empty string when none is declared.
QString MessageText(int number);
bool HasMessage(int number);

/// Fills printf-style placeholders the way the system's texts use them: %s, %d, %u, %x
/// and %f take the next argument as given (already formatted by the caller), "%%" is a
/// percent sign, and "%N:s" takes argument N (0-based). A placeholder without an argument
/// is left as it stands.
QString FormatText(const QString& text, const QStringList& args);

/// Replaces named placeholders such as "<page>" or "<filename>".
QString ReplacePlaceholders(QString text, std::initializer_list<std::pair<QString, QString>> values);

}  // namespace base
