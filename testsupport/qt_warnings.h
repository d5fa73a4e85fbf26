#pragma once

#include <QRegularExpression>
#include <QString>

namespace testsupport {

/// Qt warnings and critical messages that reach the test main's handler fail the running
/// test, unless a live ExpectQtWarning matches them. The guard fails the test if no
/// matching warning arrived before it went out of scope.
class ExpectQtWarning {
public:
    explicit ExpectQtWarning(const QString& pattern);
    ~ExpectQtWarning();
    ExpectQtWarning(const ExpectQtWarning&) = delete;
    ExpectQtWarning& operator=(const ExpectQtWarning&) = delete;

    int Seen() const { return m_seen; }

private:
    friend bool matchExpectedWarning(const QString& text);
    QRegularExpression m_pattern;
    int m_seen = 0;
};

/// Installs the message handler; called once by the test main.
void InstallQtMessageHandler();

}  // namespace testsupport
