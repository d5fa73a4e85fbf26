#include "report/designer/docking/tool_window_positions.h"

#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/errors.h"
#include "report/designer/docking/internal/form_bars.h"

#include "platform/settings/ini_document.h"

#include <QDir>
#include <QMainWindow>

namespace skiffrow {

void SaveToolWindowPositions(QMainWindow* form, const PositionWriter& writer) {
    for (TppCustomToolWindowSkiffrow* bar : FormBars::Of(form)->Bars()) {
        const QString section = bar->Name();
        if (section.isEmpty()) continue;
        QString dockedTo = QStringLiteral("+");
        if (TppDockSkiffrow* dock = bar->DockedTo()) {
            if (dock->AllowDrag()) {
                if (dock->Name().isEmpty())
                    throw EToolWindowPositionError(
                        QStringLiteral("Cannot save tool window's position because DockedTo's Name property not set"));
                dockedTo = dock->Name();
            } else {
                dockedTo.clear();
            }
        }
        writer.WriteInteger(section, QStringLiteral("Rev"), 2);
        writer.WriteInteger(section, QStringLiteral("Visible"), bar->Visible() ? 1 : 0);
        writer.WriteString(section, QStringLiteral("DockedTo"), dockedTo);
        writer.WriteInteger(section, QStringLiteral("DockRow"), bar->DockRow());
        writer.WriteInteger(section, QStringLiteral("DockPos"), bar->DockPos());
        writer.WriteInteger(section, QStringLiteral("FloatLeft"), bar->FloatLeft());
        writer.WriteInteger(section, QStringLiteral("FloatTop"), bar->FloatTop());
        bar->WritePositionData(writer, section);
    }
}

void LoadToolWindowPositions(QMainWindow* form, const PositionReader& reader) {
    FormBars* bars = FormBars::Of(form);
    const QList<TppDockSkiffrow*> docks = bars->Docks();
    for (TppDockSkiffrow* dock : docks) dock->BeginArrange();
    try {
        const QList<TppCustomToolWindowSkiffrow*> all = bars->Bars();
        for (TppCustomToolWindowSkiffrow* bar : all) {
            const QString section = bar->Name();
            if (section.isEmpty() || !bars->Contains(bar)) continue;
            if (reader.ReadInteger(section, QStringLiteral("Rev"), 0) != 2) continue;
            bar->SetVisible(reader.ReadInteger(section, QStringLiteral("Visible"), bar->Visible() ? 1 : 0) != 0);
            const QString dockedTo = reader.ReadString(section, QStringLiteral("DockedTo"), QString());
            if (dockedTo.isEmpty()) continue;
            TppDockSkiffrow* target = nullptr;
            if (dockedTo != QLatin1String("+")) {
                for (TppDockSkiffrow* dock : docks)
                    if (dock->Name() == dockedTo) target = dock;
                if (!target || !target->AllowDrag()) continue;
            }
            bar->SetDockRowQuietly(reader.ReadInteger(section, QStringLiteral("DockRow"), bar->DockRow()));
            bar->SetDockPosQuietly(reader.ReadInteger(section, QStringLiteral("DockPos"), bar->DockPos()));
            bar->SetFloatLeft(reader.ReadInteger(section, QStringLiteral("FloatLeft"), 0));
            bar->SetFloatTop(reader.ReadInteger(section, QStringLiteral("FloatTop"), 0));
            bar->ReadPositionData(reader, section);
            if (target && bar->DockedTo() == target) bar->Rearrange();
            bar->SetDockedTo(target);
            if (!target) bar->KeepOnScreen(true);
        }
    } catch (const std::exception&) {
        // A failing bar ends the restore; the bars not reached keep their places.
    }
    for (TppDockSkiffrow* dock : docks) {
        dock->EndArrange();
        dock->LayoutBars();
    }
}

}  // namespace skiffrow

namespace {
QString iniPath(const QString& fileName) {
    if (fileName.contains(QLatin1Char('/'))) return fileName;
    return QDir(settings::ConfigRoot()).filePath(fileName);
}
}  // namespace

void ppSaveToolWindowPositions(QMainWindow* form, const QString& iniFileName) {
    const QString path = iniPath(iniFileName);
    settings::IniDocument doc = settings::IniDocument::Load(path);
    skiffrow::PositionWriter writer{
        [&doc](const QString& s, const QString& k, int v) { doc.SetValue(s, k, QString::number(v)); },
        [&doc](const QString& s, const QString& k, const QString& v) { doc.SetValue(s, k, v); }};
    try {
        skiffrow::SaveToolWindowPositions(form, writer);
    } catch (...) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        doc.Save(path);
        throw;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    doc.Save(path);
}

void ppLoadToolWindowPositions(QMainWindow* form, const QString& iniFileName) {
    const settings::IniDocument doc = settings::IniDocument::Load(iniPath(iniFileName));
    skiffrow::PositionReader reader{
        [&doc](const QString& s, const QString& k, int def) {
            bool ok = false;
            const int v = doc.Value(s, k).value_or(QString()).trimmed().toInt(&ok);
            return ok ? v : def;
        },
        [&doc](const QString& s, const QString& k, const QString& def) { return doc.Value(s, k).value_or(def); }};
    skiffrow::LoadToolWindowPositions(form, reader);
}
