#include "report/output/device.h"

#include "report/output/publisher.h"
#include "report/page/class_library.h"
#include "report/page/page.h"

#include <QMetaClassInfo>

#include <vector>

namespace {

std::vector<TppDeviceClass>& deviceClasses() {
    static std::vector<TppDeviceClass> classes;
    return classes;
}

}  // namespace

TppDevice::TppDevice(TComponent* AOwner) : TppCommunicator(AOwner), m_pageRequest(std::make_unique<TppPageRequest>()) {}

TppDevice::~TppDevice() {
    // The publisher is also told through the communicator link; detaching first keeps the
    // exclusive stacks right.
    if (m_publisher) m_publisher->RemoveDevice(this);
}

void TppDevice::SetActive(bool v) {
    if (!m_busy) m_active = v;
}

void TppDevice::SetPageRequest(TppPageRequest* aRequest) {
    if (aRequest) m_pageRequest->Assign(aRequest);
}

void TppDevice::SetPublisher(TppPublisher* aPublisher) {
    if (m_publisher) m_publisher->RemoveDevice(this);
    m_publisher = aPublisher;
    if (m_publisher) m_publisher->AddDevice(this);
    if (OnPublisherChange) OnPublisherChange(this);
}

void TppDevice::SetExclusive(bool v) {
    if (!m_publisher && !m_busy) m_exclusive = v;
}

void TppDevice::SetExclusiveGroup(const QString& v) {
    if (!m_publisher && !m_busy) m_exclusiveGroup = v;
}

QString TppDevice::DeviceName() const {
    return ppDeviceNameOf(metaObject());
}

void TppDevice::Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) {
    TppCommunicator::Notify(aCommunicator, aOperation);
    if (aOperation == TppOperationType::ppopRemove && aCommunicator && aCommunicator == m_publisher) {
        m_publisher = nullptr;
        if (OnPublisherChange) OnPublisherChange(this);
    }
}

void TppDevice::RequestPages() {
    if (!m_publisher) return;
    m_waiting = true;
    m_publisher->Publish();
}

void TppDevice::StartJob() {
    m_busy = true;
    if (OnStartJob) OnStartJob(this);
}

void TppDevice::ReceivePage(TppPage& aPage) {
    m_skipPage = false;
    m_pageIsRequested = m_pageRequest->IsRequested(aPage);
    if (aPage.PassedOver()) m_skipPage = true;
    if (!aPage.Final() && RequiresFinalPages()) m_skipPage = true;
    if (OnPageReceive) OnPageReceive(this, &aPage);
    if (m_waiting && aPage.Final() && !aPage.PassedOver()) m_waiting = !m_pageRequest->IsLastRequested(aPage);
}

void TppDevice::DrawPage(TppPage& aPage) {
    const int paperWidth = aPage.PageDef()->mmWidth();
    const int paperHeight = aPage.PageDef()->mmHeight();
    for (int i = 0; i < aPage.GetDrawCommandCount(); ++i) {
        TppDrawCommand* command = aPage.GetDrawCommand(i);
        if (command->Left() > paperWidth || command->Top() > paperHeight) continue;
        command->Draw(*this);
    }
}

bool TppDevice::DrawCommand(TppDrawCommand&) {
    return false;
}

void TppDevice::RedrawCommand(TppDrawCommand&) {}

void TppDevice::EndJob() {
    m_busy = false;
    m_waiting = true;
    if (OnEndJob) OnEndJob(this);
}

void TppDevice::CancelJob() {
    m_busy = false;
    if (OnCancelJob) OnCancelJob(this);
}

void TppDevice::Reset() {
    m_pageRequest->Reset();
    m_waiting = true;
}

void TppDevice::DoPageRequest() {
    if (OnPageRequest) OnPageRequest(this);
}

// Device-class registry -----------------------------------------------------------------------

QString ppDeviceNameOf(TppDeviceClass aClass) {
    if (!aClass) return QString();
    const int i = aClass->indexOfClassInfo("DeviceName");
    if (i >= 0) return QString::fromLatin1(aClass->classInfo(i).value());
    return QString::fromLatin1(aClass->className());
}

void ppRegisterDevice(TppDeviceClass aClass) {
    if (!aClass) return;
    auto& classes = deviceClasses();
    if (std::find(classes.begin(), classes.end(), aClass) != classes.end()) return;
    report::RegisterClass(aClass);
    classes.push_back(aClass);
}

void ppUnRegisterDevice(TppDeviceClass aClass) {
    if (!aClass) return;
    report::UnRegisterClass(aClass);
    auto& classes = deviceClasses();
    classes.erase(std::remove(classes.begin(), classes.end(), aClass), classes.end());
}

void ppGetDeviceClasses(QList<QPair<QString, TppDeviceClass>>& aList) {
    for (TppDeviceClass c : deviceClasses()) aList.append({ppDeviceNameOf(c), c});
}

TppDeviceClass ppDeviceClassForName(const QString& aName) {
    for (TppDeviceClass c : deviceClasses())
        if (ppDeviceNameOf(c).compare(aName, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

TppDevice* ppCreateDevice(TppDeviceClass aClass, TComponent* aOwner) {
    if (!aClass) return nullptr;
    QObject* created = aClass->newInstance(Q_ARG(TComponent*, aOwner));
    auto* device = qobject_cast<TppDevice*>(created);
    if (!device) delete created;
    return device;
}
