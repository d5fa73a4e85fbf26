#pragma once

#include "report/output/device.h"
#include "report/page/report_types.h"

#include <functional>

/// The base of the devices that write a job into a file (text exports, archives): the file
/// name, and what the print dialog offers for them (extension, filter, description).
class TppFileDevice : public TppDevice {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppFileDevice(TComponent* AOwner = nullptr) : TppDevice(AOwner) {}

    QString FileName() const { return m_fileName; }
    void SetFileName(const QString& v) { m_fileName = v; }
    virtual QString DefaultExt() const { return QString(); }
    virtual QString FileFilter() const { return QString(); }
    virtual QString Description() const { return QString(); }

private:
    QString m_fileName;
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
