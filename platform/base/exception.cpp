#include "platform/base/exception.h"

namespace base {

Exception::Exception(QString message, int helpContext, int code)
    : m_message(std::move(message)), m_helpContext(helpContext), m_code(code),
      m_utf8(m_message.toStdString()) {}

void Exception::SetMessage(const QString& message) {
    m_message = message;
    m_utf8 = message.toStdString();
}

}  // namespace base
