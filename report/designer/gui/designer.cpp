#include "report/designer/gui/designer.h"

#include "report/model/palette_registry.h"
#include "report/model/reg_list.h"
#include "report/model/report.h"

#include "platform/stream/property_table.h"

#include <QEventLoop>
#include <QMenuBar>

namespace {

const char* const kShowComponentNames[] = {
    "scLabel",     "scMemo",   "scRichText", "scCalc",         "scImage",    "scShape",     "scLine",
    "scBarCode",   "scTeeChart", "scDBText", "scDBMemo",       "scDBRichText", "scDBCalc",  "scDBImage",
    "scDBBarCode", "scDBTeeChart", "scRegion", "scSubReport",  "scSystemVariable", "scVariable"};

}  // namespace

TppDesigner::TppDesigner(TComponent* AOwner) : TppCommunicator(AOwner) {
    m_dataSettings = std::make_unique<TppDataSettings>(this);
    buildOffered();
    m_window = new TppDesignerWindow(nullptr);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->SetCaptionBase(m_caption);
    wireWindow();
}

TppDesigner::~TppDesigner() {
    if (OnDestroy) OnDestroy(this);
    m_report = nullptr;
    if (m_window) {
        m_window->OnWindowDestroyed = nullptr;
        m_window->OnReportFreed = nullptr;
        delete m_window.data();
    }
}

void TppDesigner::wireWindow() {
    TppDesignerWindow* w = m_window;
    w->OnWindowDestroyed = [this] { m_window = nullptr; };
    w->OnReportFreed = [this](TppReport*) { m_report = nullptr; };
    w->OnWindowShown = [this] {
        if (!m_window) return;
        m_window->SetTabsVisible(m_tabsVisible);
        m_window->SetOrvelSettings(m_orvelInterface, m_orvelOptions);
        if (OnShow) OnShow(m_window);
    };
    w->OnFormEvent = [this](QObject* s, int event, bool& allow) {
        switch (event) {
        case TppDesignerWindow::feActivate: if (OnActivate) OnActivate(s); break;
        case TppDesignerWindow::feDeactivate: if (OnDeactivate) OnDeactivate(s); break;
        case TppDesignerWindow::feClose: if (OnClose) OnClose(s); break;
        case TppDesignerWindow::feCloseQuery: if (OnCloseQuery) OnCloseQuery(s, allow); break;
        case TppDesignerWindow::feHide: if (OnHide) OnHide(s); break;
        case TppDesignerWindow::feResize: if (OnResize) OnResize(s); break;
        default: break;
        }
    };
    w->DataSettings = m_dataSettings.get();
    w->OnCreateComponent = [this](QObject* s, QObject* c) {
        if (OnCreateComponent) OnCreateComponent(s, c);
    };
    w->OnDestroyComponent = [this](QObject* s, QObject* c) {
        if (OnDestroyComponent) OnDestroyComponent(s, c);
    };
    w->OnValidateComponent = [this](QObject* s, QObject* c, bool& valid) {
        if (OnValidateComponent) OnValidateComponent(s, c, valid);
    };
    w->OnSelectionChanged = [this](const TppDesignerSelectionList& list) {
        if (OnSelectionChanged) OnSelectionChanged(list);
    };
    w->OnTabChange = [this](QObject* s, const QString& tab, bool& allow) {
        if (OnTabChange) OnTabChange(s, tab, allow);
    };
    w->OnReportSelected = [this](QObject* s) {
        if (OnReportSelected) OnReportSelected(s);
    };
}

void TppDesigner::buildOffered() {
    QStringList hidden;
    for (int i = 0; i < 20; ++i)
        if (!(m_showComponents.Bits() & (1u << i)))
            hidden << QStringLiteral("Tpp") + QString::fromLatin1(kShowComponentNames[i]).mid(2);
    m_offered.clear();
    const TppRegList& list = ppGetComponentRegList();
    for (int i = 0; i < list.Count(); ++i)
        if (!hidden.contains(list.Items(i).Name, Qt::CaseInsensitive)) m_offered << list.Items(i).Name;
    if (m_window) m_window->SetHiddenPaletteClasses(hidden);
}

void TppDesigner::SetShowComponents(TppShowComponents v) {
    m_showComponents = TppShowComponents::FromBits(v.Bits() & kAllShowComponents);
    buildOffered();
}

void TppDesigner::SetCaption(const QString& v) {
    m_caption = v;
    if (m_window) m_window->SetCaptionBase(v);
}

void TppDesigner::SetIcon(const QIcon& v) {
    m_icon = v;
    if (m_window) m_window->setWindowIcon(v);
}

void TppDesigner::SetAllowDataSettingsChange(bool v) {
    m_allowDataSettingsChange = v;
    if (m_window) m_window->AllowDataSettingsChange = v;
}

void TppDesigner::SetAllowSaveToFile(bool v) {
    m_allowSaveToFile = v;
    if (m_window) m_window->AllowSaveToFile = v;
}

void TppDesigner::SetOrvelInterface(TppOrvelInterfaceOptions v) {
    if (v == m_orvelInterface) return;
    using I = TppOrvelInterfaceOption;
    using O = TppOrvelOption;
    const bool tabAdded = v.Contains(I::riNotebookTab) && !m_orvelInterface.Contains(I::riNotebookTab);
    m_orvelInterface = v;
    if (HasState(csLoading | csReading)) return;
    if (v.IsEmpty()) m_orvelOptions = {};
    else if (v == TppOrvelInterfaceOptions{I::riDialog}) m_orvelOptions = {O::roViewVariables, O::roEditVariables};
    else if (tabAdded) m_orvelOptions = TppOrvelOptions::FromBits(0x3F);
    if (m_window && m_window->isVisible()) m_window->SetOrvelSettings(m_orvelInterface, m_orvelOptions);
    if (m_window && m_window->isVisible() && OnOrvelOptionsChanged) OnOrvelOptionsChanged();
}

void TppDesigner::SetOrvelOptions(TppOrvelOptions v) {
    using I = TppOrvelInterfaceOption;
    using O = TppOrvelOption;
    if (m_orvelInterface.IsEmpty()) return;
    TppOrvelOptions result;
    if (m_orvelInterface == TppOrvelInterfaceOptions{I::riDialog}) {
        if (v.Contains(O::roEditVariables)) result.Include(O::roEditVariables);
        result.Include(O::roViewVariables);
    } else {
        result = v;
        result.Include(O::roViewVariables);
        if (v.Contains(O::roEditEvents)) result.Include(O::roViewEvents);
        if (v.Contains(O::roEditGlobals)) result.Include(O::roViewGlobals);
    }
    m_orvelOptions = result;
    if (m_window && m_window->isVisible()) m_window->SetOrvelSettings(m_orvelInterface, m_orvelOptions);
    if (m_window && m_window->isVisible() && OnOrvelOptionsChanged) OnOrvelOptionsChanged();
}

void TppDesigner::SetReport(TppReport* aReport) {
    if (aReport == m_report) return;
    if (m_window) m_window->SetReport(nullptr);
    m_report = aReport;
    if (HasState(csLoading | csReading)) return;
    if (m_window) m_window->SetReport(aReport);
    if (aReport) applyShowData();
}

void TppDesigner::SetDataSettings(TppDataSettings* aValue) {
    if (aValue) m_dataSettings->Assign(aValue);
    if (m_window) m_window->DataSettings = m_dataSettings.get();
}

void TppDesigner::SetMergeMenu(QMenuBar* aMenu) {
    m_mergeMenu = aMenu;
    if (!m_window || !aMenu) return;
    for (QAction* menu : aMenu->actions()) m_window->menuBar()->addAction(menu);
}

bool TppDesigner::ShowData() const {
    if (m_window && m_report) return (m_report->State() & ppsShowData) != 0;
    return m_showData;
}

void TppDesigner::SetShowData(bool v) {
    m_showData = v;
    applyShowData();
}

void TppDesigner::applyShowData() {
    if (!m_report) return;
    const bool has = (m_report->State() & ppsShowData) != 0;
    if (m_showData && !has) m_report->AddState(ppsShowData);
    else if (!m_showData && has) m_report->RemoveState(ppsShowData);
}

void TppDesigner::SetTabsVisible(bool v) {
    m_tabsVisible = v;
    if (m_window) m_window->SetTabsVisible(v);
}

bool TppDesigner::Visible() const { return m_window ? m_window->isVisible() : m_visible; }

void TppDesigner::SetVisible(bool v) {
    m_visible = v;
    if (m_window) m_window->setVisible(v);
}

int TppDesigner::WindowHeight() const { return m_window ? m_window->height() : m_windowHeight; }
int TppDesigner::WindowLeft() const { return m_window ? m_window->x() : m_windowLeft; }
int TppDesigner::WindowTop() const { return m_window ? m_window->y() : m_windowTop; }
int TppDesigner::WindowWidth() const { return m_window ? m_window->width() : m_windowWidth; }

void TppDesigner::SetWindowHeight(int v) {
    m_windowHeight = v;
    if (m_window) m_window->resize(m_window->width(), v);
}

void TppDesigner::SetWindowLeft(int v) {
    m_windowLeft = v;
    if (m_window) m_window->move(v, m_window->y());
}

void TppDesigner::SetWindowTop(int v) {
    m_windowTop = v;
    if (m_window) m_window->move(m_window->x(), v);
}

void TppDesigner::SetWindowWidth(int v) {
    m_windowWidth = v;
    if (m_window) m_window->resize(v, m_window->height());
}

Qt::WindowStates TppDesigner::WindowState() const { return m_window ? m_window->windowState() : m_windowState; }

void TppDesigner::SetWindowState(Qt::WindowStates v) {
    m_windowState = v;
    if (m_window) m_window->setWindowState(v);
}

int TppDesigner::WindowTag() const { return m_window ? m_window->property("Tag").toInt() : m_windowTag; }

void TppDesigner::SetWindowTag(int v) {
    m_windowTag = v;
    if (m_window) m_window->setProperty("Tag", v);
}

void TppDesigner::Loaded() {
    TppCommunicator::Loaded();
    if (m_window) {
        m_window->SetReport(m_report);
        applyShowData();
        m_window->LoadSettings();
    }
    if (OnCreate) OnCreate(this);
}

void TppDesigner::Show() {
    if (!m_window) return;
    m_window->ShownModally = false;
    m_window->show();
    m_window->raise();
}

void TppDesigner::ShowModal() {
    if (!m_window) return;
    QPointer<TppDesignerWindow> window = m_window;
    window->ShownModally = true;
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    while (window && window->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
    if (window) {
        window->setWindowModality(Qt::NonModal);
        window->ShownModally = false;
    }
}

const stream::PropertyList& TppDesigner::StreamProperties() const {
    using T = TppDesigner;
    static const auto table = stream::PropertyTable<T>(TppCommunicator::StreamProperties())
                                  .String("Caption", &T::Caption, &T::SetCaption)
                                  .Boolean("AllowDataSettingsChange", &T::AllowDataSettingsChange,
                                           &T::SetAllowDataSettingsChange, false)
                                  .Boolean("AllowSaveToFile", &T::AllowSaveToFile, &T::SetAllowSaveToFile, true)
                                  .Boolean("ShowData", &T::ShowData, &T::SetShowData, true)
                                  .Boolean("TabsVisible", &T::TabsVisible, &T::SetTabsVisible, true)
                                  .Integer("WindowHeight", &T::WindowHeight, &T::SetWindowHeight, 400)
                                  .Integer("WindowLeft", &T::WindowLeft, &T::SetWindowLeft, 100)
                                  .Integer("WindowTop", &T::WindowTop, &T::SetWindowTop, 50)
                                  .Integer("WindowWidth", &T::WindowWidth, &T::SetWindowWidth, 600)
                                  .Integer("WindowTag", &T::WindowTag, &T::SetWindowTag, 0);
    return table;
}
