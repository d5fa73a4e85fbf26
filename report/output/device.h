#pragma once

#include "report/model/communicator.h"
#include "report/page/draw_command.h"

#include <QList>
#include <QPair>
#include <QPointer>

#include <functional>
#include <memory>

class TppPage;
class TppPageRequest;
class TppPublisher;
class TppCustomCancelDialog;
class TppDevice;

using TppDeviceEvent = std::function<void(TppDevice* Sender)>;
using TppPageEvent = std::function<void(TppDevice* Sender, TppPage* aPage)>;

/// A consumer of generated pages: it attaches to the publisher of one report, says through
/// its page request which pages it wants, receives them one by one and draws their commands.
///
/// States: idle (Busy false) → StartJob → busy, receiving pages while Waiting → EndJob
/// (Waiting armed again) or CancelJob → idle. Active, Exclusive and ExclusiveGroup change
/// only while idle (the two exclusive settings also only while detached).
///
/// A device class answers its name through DeviceName (the class information "DeviceName",
/// else its class name); the device-class registry finds classes by that name.
class TppDevice : public TppCommunicator, public report::PageDevice {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDevice(TComponent* AOwner = nullptr);
    ~TppDevice() override;

    bool Active() const { return m_active; }
    /// Ignored while busy.
    void SetActive(bool v);
    bool Busy() const { return m_busy; }
    TppCustomCancelDialog* CancelDialog() const { return m_cancelDialog; }
    void SetCancelDialog(TppCustomCancelDialog* v) { m_cancelDialog = v; }
    bool SkipPage() const { return m_skipPage; }
    bool PageIsRequested() const { return m_pageIsRequested; }
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int v) { m_languageIndex = v; }
    TppPageRequest* PageRequest() const { return m_pageRequest.get(); }
    /// Copies the request into the device's own.
    void SetPageRequest(TppPageRequest* aRequest);
    TppPublisher* Publisher() const { return m_publisher; }
    /// Detaches from the current publisher, attaches to the new one (when not null) and
    /// raises OnPublisherChange.
    void SetPublisher(TppPublisher* aPublisher);
    bool Exclusive() const { return m_exclusive; }
    virtual void SetExclusive(bool v);
    QString ExclusiveGroup() const { return m_exclusiveGroup; }
    virtual void SetExclusiveGroup(const QString& v);
    QString Status() const { return m_status; }
    virtual void SetStatus(const QString& aText) { m_status = aText; }
    bool Waiting() const { return m_waiting; }
    void SetWaiting(bool v) { m_waiting = v; }

    /// The class's device name (class information "DeviceName", else the class name).
    QString DeviceName() const;

    virtual void CancelJob();
    /// Base: draws nothing and answers false.
    bool DrawCommand(TppDrawCommand& aDrawCommand) override;
    /// Base: nothing.
    void RedrawCommand(TppDrawCommand& aDrawCommand) override;
    virtual void EndJob();
    /// True: pages that are not final are skipped.
    virtual bool RequiresFinalPages() const { return true; }
    /// Sets PageIsRequested and SkipPage, raises OnPageReceive, and stops waiting once the
    /// request is met by a final page. Descendants call this first and output the page when
    /// it is requested and not skipped.
    virtual void ReceivePage(TppPage& aPage);
    /// Resets the page request and waits again.
    virtual void Reset();
    virtual void StartJob();

    /// When attached: waits and has the publisher publish.
    void RequestPages();
    /// Draws the page's commands in order, skipping those that start beyond the paper.
    void DrawPage(TppPage& aPage);
    /// Raises OnPageRequest; called by the publisher before it collects the request.
    void DoPageRequest();

    /// Drops the publisher when it is freed.
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;

    TppDeviceEvent OnCancelJob;
    TppDeviceEvent OnPageRequest;
    TppPageEvent OnPageReceive;
    TppDeviceEvent OnStartJob;
    TppDeviceEvent OnEndJob;
    TppDeviceEvent OnPublisherChange;

protected:
    void setBusy(bool v) { m_busy = v; }

private:
    friend class TppPublisher;
    bool m_active = true;
    bool m_busy = false;
    TppCustomCancelDialog* m_cancelDialog = nullptr;
    bool m_skipPage = false;
    bool m_pageIsRequested = false;
    int m_languageIndex = 0;
    std::unique_ptr<TppPageRequest> m_pageRequest;
    TppPublisher* m_publisher = nullptr;
    bool m_exclusive = false;
    QString m_exclusiveGroup;
    QString m_status;
    bool m_waiting = true;
};

/// The common base of the screen and the printer device.
class TppRasterDevice : public TppDevice {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppRasterDevice(TComponent* AOwner = nullptr) : TppDevice(AOwner) {}
};

/// A device class: its meta-object (with a Q_INVOKABLE constructor taking the owner).
using TppDeviceClass = const QMetaObject*;

/// The device name of a class (class information "DeviceName", else the class name).
QString ppDeviceNameOf(TppDeviceClass aClass);
/// Registers a device class (and with the class registry); null and repeats are ignored.
void ppRegisterDevice(TppDeviceClass aClass);
/// Removes a device class wherever it stands; null is ignored.
void ppUnRegisterDevice(TppDeviceClass aClass);
/// Appends (device name, class) for every registered class, in registration order.
void ppGetDeviceClasses(QList<QPair<QString, TppDeviceClass>>& aList);
/// The class whose device name matches (case-insensitive); null when none.
TppDeviceClass ppDeviceClassForName(const QString& aName);
/// A new device of the class, owned by aOwner; null when the class cannot be made.
TppDevice* ppCreateDevice(TppDeviceClass aClass, TComponent* aOwner);
