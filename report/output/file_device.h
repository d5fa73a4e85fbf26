#pragma once

#include "report/output/device.h"
#include "report/page/report_types.h"

#include <QFile>

#include <functional>
#include <memory>

/// The base of the devices that write a job into a file (text exports, archives). States:
/// idle (no file) → StartJob creates FileName anew (an old file is replaced) → pages are
/// written → EndJob closes the file → idle. A file that cannot be created fails the job with
/// EPrintError "Unable to open file: <filename>.". Progress goes to the progress dialog.
class TppFileDevice : public TppDevice {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppFileDevice(TComponent* AOwner = nullptr);
    ~TppFileDevice() override;

    QString FileName() const { return m_fileName; }
    /// Ignored while busy.
    void SetFileName(const QString& v);
    virtual QString DefaultExt() const { return QString(); }
    virtual QString FileFilter() const { return QString(); }
    virtual QString Description() const { return QString(); }

    void StartJob() override;
    void EndJob() override;
    void CancelJob() override;

protected:
    /// The file of the running job; null outside a job.
    QFile* OutputStream() const { return m_stream.get(); }
    /// Writes the progress text for a page (none: "Accessing data...") into the progress
    /// dialog when it changed, then lets the application process its events.
    void UpdatePageStatus(const TppPage* aPage);
    /// Closes the file of the job.
    void CloseStream();

private:
    QString m_fileName;
    std::unique_ptr<QFile> m_stream;
};

namespace report {
/// The hook a producer gives a text export: it may change each text before it is written.
using SaveTextHook = std::function<void(TppDevice* aDevice, QObject* aTextComponent, QString& aText)>;

/// What a producer sets on a text-export device besides its file: the record layout and the
/// save-text hook. Text-export device classes implement it.
class TextExportSettings {
public:
    virtual ~TextExportSettings() = default;
    virtual void SetTextFileType(TppFileType aType) = 0;
    virtual void SetSaveTextHook(SaveTextHook aHook) = 0;
};
}  // namespace report

/// Exports the texts that components mark for saving as delimited records: one record per
/// band output (BandSaveNo), one field per saved text in save order (ComponentSaveNo). The
/// file is UTF-8; with ftComma and ftTab a field that holds the separator, a double quote
/// or a line break is written in double quotes with its quotes doubled, as spreadsheets
/// read delimited text.
class TppTextFileDevice : public TppFileDevice, public report::TextExportSettings {
    Q_OBJECT
    Q_CLASSINFO("DeviceName", "TextFile")
public:
    Q_INVOKABLE explicit TppTextFileDevice(TComponent* AOwner = nullptr);

    TppFileType FileType() const { return m_fileType; }
    /// Ignored while busy.
    void SetFileType(TppFileType v);
    void SetTextFileType(TppFileType aType) override { SetFileType(aType); }
    void SetSaveTextHook(report::SaveTextHook aHook) override { m_saveText = std::move(aHook); }

    QString DefaultExt() const override { return QStringLiteral("txt"); }
    QString FileFilter() const override { return QStringLiteral("Text files|*.TXT|All files|*.*"); }
    QString Description() const override;

    void ReceivePage(TppPage& aPage) override;

private:
    void writeRecords(TppPage& aPage);
    QString quoted(const QString& aText) const;

    TppFileType m_fileType = TppFileType::ftComma;
    report::SaveTextHook m_saveText;
};
