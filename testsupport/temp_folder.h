#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testsupport {

/// A fresh, empty folder for one test, removed with everything in it afterwards.
class TempFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
};

}  // namespace testsupport
