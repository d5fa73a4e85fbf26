// The shared main of every test program: a real QApplication on the offscreen platform,
// the C locale, a fixed application font, QStandardPaths in test mode, and Qt warnings
// turned into test failures.

#include "testsupport/qt_warnings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QStandardPaths>

#include <clocale>
#include <cstdlib>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(QLocale::c());
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("DossaraTests"));
    QApplication::setApplicationName(QStringLiteral("dossara-tests"));
    std::setlocale(LC_NUMERIC, "C");

    const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) QApplication::setFont(QFont(families.first(), 9));
    }
    testsupport::InstallQtMessageHandler();
    return RUN_ALL_TESTS();
}
