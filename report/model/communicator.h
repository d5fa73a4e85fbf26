#pragma once

// The root of the report library's objects: notification links, numbered events, user
// names, transient state bits and the design form. The event ids and the designer messages
// here are fixed for the whole report library.

#include "report/page/class_library.h"

#include "platform/stream/persistent.h"

#include <QPointer>
#include <QString>

#include <bitset>
#include <functional>
#include <memory>
#include <vector>

class TppCommunicator;
class TraParamList;

/// The operation of a notification (`TppCommunicator::Notify`).
enum TppOperationType : quint8 {
    ppopRemove = 0,            ///< the sender is being freed; receivers drop it from their lists
    ppopDataSourceChange = 1,  ///< a dataset pipeline's dataset was exchanged or its fields rebuilt
    ppopDataChange = 2,        ///< a pipeline's data changed
    ppopUserNameChange = 3,    ///< the sender's UserName changed
    ppopReportReset = 4,       ///< a report's template is about to clear the report
    ppopLanguageChange = 5,    ///< a report's language changed
};

/// The transient state bits of a communicator (any combination).
using TppCommunicatorStates = quint16;
inline constexpr TppCommunicatorStates ppsDesignControl = 1;
inline constexpr TppCommunicatorStates ppsPreviewing = 2;
inline constexpr TppCommunicatorStates ppsDesignerPrinting = 4;
inline constexpr TppCommunicatorStates ppsShowData = 8;
inline constexpr TppCommunicatorStates ppsCopying = 16;
inline constexpr TppCommunicatorStates ppsPasting = 32;
inline constexpr TppCommunicatorStates ppsCreatingDesignControls = 64;
inline constexpr TppCommunicatorStates ppsTemplateLoading = 128;
inline constexpr TppCommunicatorStates ppsTemplateSaving = 256;
inline constexpr TppCommunicatorStates ppsUpdating = 512;
inline constexpr TppCommunicatorStates ppsCreating = 1024;
inline constexpr TppCommunicatorStates ppsModule = 2048;

namespace report {

/// The numbered events (0 to 255) a communicator raises; ids 50 and 72 to 255 are free.
enum EventId : int {
    ciProducerAfterPrint = 0, ciProducerBeforePrint = 1, ciProducerCancel = 2,
    ciProducerCancelDialogCreate = 3, ciProducerCancelDialogClose = 4,
    ciProducerPreviewFormCreate = 5, ciProducerPreviewFormClose = 6,
    ciProducerPrintDialogCreate = 7, ciProducerPrintDialogClose = 8, ciProducerSaveText = 9,
    ciReportAutoSearchDialogCreate = 10, ciReportAutoSearchDialogClose = 11, ciReportGetAutoSearchValues = 12,
    ciEngineReportStart = 13, ciEngineReportEnd = 14,
    ciReportEndColumn = 15, ciReportEndFirstPass = 16, ciReportEndPage = 17, ciReportEndSecondPass = 18,
    ciReportStartColumn = 19, ciReportStartFirstPass = 20, ciReportStartPage = 21, ciReportStartSecondPass = 22,
    ciBandAfterPrint = 23, ciBandBeforePrint = 24, ciBandAfterGenerate = 25, ciBandBeforeGenerate = 26,
    ciGroupAfterGroupBreak = 27, ciGroupBeforeGroupBreak = 28, ciGroupBeforeHeader = 29, ciGroupBeforeFooter = 30,
    ciGroupGetBreakValue = 31,
    ciPrintableOnPrint = 32,
    ciVariableCalc = 33, ciVariableReset = 34,
    ciEnginePipelinesTraversed = 35,
    ciDataSetExchanged = 36,
    ciPipelineRecordPositionChange = 37, ciPipelineMasterRecordPositionChange = 38, ciPipelineTraversal = 39,
    ciPipelineGotoBookmark = 40, ciPipelineDataChange = 41, ciPipelineFirst = 42, ciPipelineNext = 43,
    ciPipelinePrior = 44, ciPipelineLast = 45, ciPipelineOpen = 46, ciPipelineClose = 47,
    ciCacheFirstWriteFailure = 48, ciCacheSecondWriteFailure = 49,
    ciSQLBeforeBuild = 51, ciSQLAfterBuild = 52,
    ciTextGetText = 53,
    ciCrossTabFirst = 54, ciCrossTabLast = 65,
    ciReportAutoSearchFieldCreated = 66,
    ciLookAheadUpdate = 67,
    ciGroupBreakReset = 68,
    ciImageGetPicture = 69,
    ciProducerReportStart = 70, ciProducerReportEnd = 71,
};

/// The designer messages: report objects send or post them to their designer window with
/// WParam kDesignerMarker and the object in LParam; the designer ignores any of these
/// numbers without the marker. WM_USER+126 is not used.
inline constexpr int kWmUser = 0x0400;
inline constexpr int kDesignerMarker = 5050;  // PPM_WPARAM_MARKER
inline constexpr int PPM_WPARAM_MARKER = kDesignerMarker;
inline constexpr int PPM_NAME_CHANGED = kWmUser + 100;
inline constexpr int PPM_BAND_RESIZED = kWmUser + 101;
inline constexpr int PPM_REPORT_DESTROYING = kWmUser + 102;
inline constexpr int PPM_REPORT_LAYOUT_CHANGED = kWmUser + 103;
inline constexpr int PPM_COMPONENT_DESTROYING = kWmUser + 104;
inline constexpr int PPM_UNITS_CHANGED = kWmUser + 105;
inline constexpr int PPM_EDIT_GROUPS = kWmUser + 106;
inline constexpr int PPM_COMPONENT_CHANGED = kWmUser + 107;
inline constexpr int PPM_DATA_PIPELINE_CHANGED = kWmUser + 108;
inline constexpr int PPM_SET_REPORT = kWmUser + 109;
inline constexpr int PPM_LANGUAGE_CHANGED = kWmUser + 110;
inline constexpr int PPM_GET_DISPLAY_FORMATS = kWmUser + 111;
inline constexpr int PPM_CREATE_DESIGN_CONTROL = kWmUser + 112;
inline constexpr int PPM_CREATE_DESIGN_BAND = kWmUser + 113;
inline constexpr int PPM_BAND_ADDED = kWmUser + 114;
inline constexpr int PPM_BAND_REMOVED = kWmUser + 115;
inline constexpr int PPM_BAND_DESTROYING = kWmUser + 116;
inline constexpr int PPM_PRINTING = kWmUser + 117;
inline constexpr int PPM_DESIGNER_ATTACHED = kWmUser + 118;
inline constexpr int PPM_DESIGNER_DETACHED = kWmUser + 119;
inline constexpr int PPM_PARENT_SIZE_CHANGED = kWmUser + 120;
inline constexpr int PPM_SUBREPORT_CAPTION_CHANGED = kWmUser + 121;
inline constexpr int PPM_TEMPLATE_LOAD_START = kWmUser + 122;
inline constexpr int PPM_TEMPLATE_LOAD_END = kWmUser + 123;
inline constexpr int PPM_BEGIN_UPDATE = kWmUser + 124;
inline constexpr int PPM_END_UPDATE = kWmUser + 125;
inline constexpr int PPM_COMPONENT_ADDED = kWmUser + 127;
inline constexpr int PPM_COMPONENT_REMOVED = kWmUser + 128;
inline constexpr int PPM_COMPONENT_ORDER_CHANGED = kWmUser + 129;

/// True for a name of the language's identifier form: a letter or "_", then letters,
/// digits and "_" (ASCII).
bool IsValidIdent(const QString& aName);

}  // namespace report

using TppNotifyEvent = std::function<void(QObject* Sender, TppCommunicator* aCommunicator, TppOperationType aOperation)>;
using TppEventNotifyEvent =
    std::function<void(QObject* Sender, TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams)>;

/// The root class of the report library's objects. Besides being a component it keeps:
/// - notification links: A is in B's notify list exactly when B is in A's; each partner is
///   told (Notify) of the other's changes, and of its freeing with ppopRemove, so no
///   dangling reference survives;
/// - event subscriptions: the subscriber list (a subset of the notify list) receives this
///   object's numbered events whose ids are in each subscriber's EventNotifies;
/// - a user name, unique among the report's objects and following the component name;
/// - 16 state bits;
/// - the form it is designed on.
/// Both lists exist only while they hold something. Nothing here raises.
class TppCommunicator : public TComponent, public stream::Component {
    Q_OBJECT
    Q_PROPERTY(QString UserName READ UserName WRITE SetUserName)
public:
    Q_INVOKABLE explicit TppCommunicator(TComponent* AOwner = nullptr);
    ~TppCommunicator() override;

    // Virtual operations in the order subclasses override them.
    virtual void GetUserName(QString& aName) const { aName = m_userName; }
    virtual void SetParentForm(QObject* aForm) { m_parentForm = aForm; }
    /// Told which bits just changed; empty here.
    virtual void StateChange(TppCommunicatorStates aStates) { Q_UNUSED(aStates); }
    /// A property changed; empty here.
    virtual void PropertyChange() {}
    /// Sets the user name when it is a valid identifier: as given when free, else followed by
    /// the first free number 1, 2, ... unless it already ends in a digit 1 to 9 (then nothing
    /// changes). Partners are told with ppopUserNameChange.
    virtual void SetUserName(const QString& aName);
    /// Moves the object to another owner; a clash of user names there gives it a new default
    /// user name first.
    virtual void ChangeOwner(TComponent* aNewOwner);
    /// A unique component name for aComponent: its class name without "T" and the smallest
    /// free number among the components of this object's owner (of this object without one).
    virtual void GetDefaultName(const QObject* aComponent, QString& aName) const;
    /// Called by a partner. Runs OnNotify; for ppopRemove then drops the partner from both
    /// lists (without calling it back).
    virtual void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation);
    /// Receives a subscribed event; runs OnEventNotify.
    virtual void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams);
    virtual void RemoveState(TppCommunicatorStates aStates);
    virtual void AddState(TppCommunicatorStates aStates);
    virtual bool IsValidUserName(const QString& aName) const;
    /// The object of that user name (case-insensitive) in this object's report tree: the
    /// parent communicator's answer when there is one, else among the components of the
    /// owner (of this object when it has no owner, so ownerless trees keep unique names).
    virtual TppCommunicator* FindUserName(const QString& aName) const;
    /// A free user name for aComponent: its class name without the first three characters
    /// and the smallest number not yet used as a user name.
    virtual void GetDefaultUserName(const QObject* aComponent, QString& aName) const;
    /// Sort key among subscribers; empty here.
    virtual void GetNotifyOrder(QString& aKey) const { aKey.clear(); }

    /// The parent of this object in the report tree (relatives answer their Parent).
    virtual TppCommunicator* ParentCommunicator() const { return nullptr; }
    /// Renames the component; the user name follows when it was empty or was derived from
    /// the old name.
    void SetName(const QString& aName) override;

    QString UserName() const { return m_userName; }
    TppCommunicatorStates State() const { return m_state; }
    QObject* ParentForm() const { return m_parentForm; }
    /// Always null here: reports are designed only in the end-user designer.
    QObject* GetFormDesigner() const { return nullptr; }

    std::bitset<256>& EventNotifies() { return m_eventNotifies; }
    const std::bitset<256>& EventNotifies() const { return m_eventNotifies; }

    int AddNotify(TppCommunicator* aCommunicator);
    void RemoveNotify(TppCommunicator* aCommunicator);
    /// Notify(aCommunicator, aOperation) on every partner, from the last to the first.
    void SendNotify(TppCommunicator* aCommunicator, TppOperationType aOperation);
    int NotifyCount() const { return m_notifyList ? int(m_notifyList->size()) : 0; }
    TppCommunicator* NotifyItems(int aIndex) const;
    void AddEventNotify(TppCommunicator* aSubscriber);
    void RemoveEventNotify(TppCommunicator* aSubscriber);
    int EventNotifyCount() const { return m_subscribers ? int(m_subscribers->size()) : 0; }
    TppCommunicator* EventNotifyItems(int aIndex) const;

    TppNotifyEvent OnNotify;
    TppEventNotifyEvent OnEventNotify;

    /// The user name the component name gives: the name without the class's two-letter
    /// prefix when it starts with it ("ppLabel1" of TppLabel gives "Label1").
    QString UserNameFromName(const QString& aName) const;

    // Component stream.
    const stream::PropertyList& StreamProperties() const override;
    QString StreamClassName() const override { return QString::fromLatin1(metaObject()->className()); }
    QString StreamName() const override { return objectName(); }
    void SetStreamName(const QString& name) override { setObjectName(name); }
    void BeginLoading() override { SetComponentState(csLoading | csReading, true); }
    /// Clears the loading state; a class that publishes UserName and has none yet takes the
    /// one its name gives.
    void Loaded() override;

protected:
    /// Whether the class publishes "UserName" in its stream table.
    bool PublishesUserName() const;

private:
    TppCommunicator* findUserNameAmong(const TComponent* scope, const QString& aName) const;

    QPointer<QObject> m_parentForm;
    TppCommunicatorStates m_state = 0;
    std::unique_ptr<std::vector<TppCommunicator*>> m_notifyList;
    std::unique_ptr<std::vector<TppCommunicator*>> m_subscribers;
    std::bitset<256> m_eventNotifies;
    QString m_userName;
};

/// Sends event aEventID of aSender to each subscriber of aCommunicator, in list order, whose
/// EventNotifies holds the id. Ids outside 0..255 reach nobody. A subscriber that leaves
/// the list during the send is not called afterwards.
void ppSendEventNotify(TppCommunicator* aCommunicator, TppCommunicator* aSender, int aEventID, TraParamList* aParams);
