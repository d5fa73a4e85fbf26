#pragma once

#include <QString>

#include <exception>
#include <string>

namespace base {

/// The one base of every exception the system raises: a message for the user, the help
/// context of the topic that explains it (0 for none) and a code that callers may test
/// (an engine error code, a message number; 0 when the kind alone says enough).
class Exception : public std::exception {
public:
    explicit Exception(QString message, int helpContext = 0, int code = 0);

    const QString& Message() const { return m_message; }
    int HelpContext() const { return m_helpContext; }
    int Code() const { return m_code; }

    void SetMessage(const QString& message);

    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    int m_helpContext;
    int m_code;
    std::string m_utf8;
};

}  // namespace base
