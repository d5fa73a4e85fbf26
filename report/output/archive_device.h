#pragma once

#include "report/output/file_device.h"

#include <memory>

class QFile;

/// Saves the pages of a job, with all their draw commands, into one archive file.
///
/// Layout (integers 32-bit signed, little-endian):
///
/// | offset | size  | content                                                           |
/// |--------|-------|-------------------------------------------------------------------|
/// | 0      | 4     | D, the offset at which the page data begins (D = 4 + 8 x N)       |
/// | 4      | 8 x N | per page in output order: its offset counted from D, then its     |
/// |        |       | AbsolutePageNo                                                    |
/// | D      | rest  | the pages, each a binary component stream ("TPF0") of the TppPage |
///
/// While the job runs the page streams go to a temporary file ("arc...") and the index to
/// the archive; EndJob (also after a cancel) appends the page data and writes D.
class TppArchiveDevice : public TppFileDevice {
    Q_OBJECT
    Q_CLASSINFO("DeviceName", "ArchiveFile")
public:
    Q_INVOKABLE explicit TppArchiveDevice(TComponent* AOwner = nullptr);
    ~TppArchiveDevice() override;

    QString DefaultExt() const override { return QStringLiteral("raf"); }
    QString FileFilter() const override { return QStringLiteral("Archive files|*.RAF|All files|*.*"); }
    QString Description() const override;

    void StartJob() override;
    void ReceivePage(TppPage& aPage) override;
    void EndJob() override;
    void CancelJob() override;

private:
    void finish();
    std::unique_ptr<QFile> m_pageData;
};
