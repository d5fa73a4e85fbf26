#pragma once

// Shared pieces of the report object model's tests: a designer window that records the
// designer messages it receives, a pipeline with a fixed table of fields, and a fixture
// that registers the report classes at 96 pixels per inch.

#include "report/model/data_pipeline.h"
#include "report/model/report_classes.h"
#include "report/page/units.h"

#include "platform/ui/window_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QStringList>

namespace reporttest {

/// Stands in for the designer window: records "<n>:<kind>" for each designer message
/// WM_USER+n, kind "send" when it arrived while the sender waited and "post" otherwise.
class DesignerRecorder : public QObject {
public:
    bool event(QEvent* e) override {
        if (auto* m = ui::AsWindowMessage(e)) {
            received << QStringLiteral("%1").arg(m->Msg - report::kWmUser);
            return true;
        }
        return QObject::event(e);
    }
    /// Delivers the posted messages.
    void Flush() { QCoreApplication::sendPostedEvents(this); }
    QStringList received;
};

/// A pipeline over a fixed set of text fields; Value sets the current values.
class TppTestPipeline : public TppDataPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTestPipeline(TComponent* AOwner = nullptr) : TppDataPipeline(AOwner) {}
    bool GetActive() const override { return true; }
    TppDataType GetFieldDataType(const QString& f) const override {
        return fields.contains(f) ? TppDataType::dtString : TppDataType::dtNotKnown;
    }
    QString GetFieldAlias(const QString& f) const override { return f + QStringLiteral(" (alias)"); }
    QVariant GetFieldValue(const QString& f) const override { return values.value(f); }
    QStringList fields = {QStringLiteral("Company"), QStringLiteral("City"), QStringLiteral("Amount")};
    QHash<QString, QVariant> values;
};

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        report::SetScreenPixelsPerInch(96);
        report::RegisterReportClasses();
    }
    void TearDown() override { report::SetScreenPixelsPerInch(0); }
};

}  // namespace reporttest
