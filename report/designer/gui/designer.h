#pragma once

// The non-visual designer component an application places beside its report to give its
// users the report designer: it owns one designer window and keeps the window's caption,
// geometry, visibility and options as properties, passing its events through.

#include "report/designer/gui/designer_window.h"
#include "report/data/data_dictionary.h"
#include "report/data/data_settings.h"
#include "report/model/communicator.h"

#include <QIcon>
#include <QPointer>
#include <QStringList>

#include <memory>

#include <QMenuBar>

class TppReport;

/// Every member of TppShowComponents (scLabel ... scVariable).
inline constexpr std::uint32_t kAllShowComponents = (1u << 20) - 1;

class TppDesigner : public TppCommunicator {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDesigner(TComponent* AOwner = nullptr);
    ~TppDesigner() override;

    TppDesignerWindow* Form() const { return m_window; }

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v);
    QIcon Icon() const { return m_icon; }
    void SetIcon(const QIcon& v);
    bool AllowDataSettingsChange() const { return m_allowDataSettingsChange; }
    void SetAllowDataSettingsChange(bool v);
    bool AllowSaveToFile() const { return m_allowSaveToFile; }
    void SetAllowSaveToFile(bool v);
    TppShowComponents ShowComponents() const { return m_showComponents; }
    void SetShowComponents(TppShowComponents v);
    /// The palette class names offered (the registry's, less those ShowComponents leaves out).
    QStringList OfferedComponents() const { return m_offered; }
    TppOrvelInterfaceOptions OrvelInterface() const { return m_orvelInterface; }
    void SetOrvelInterface(TppOrvelInterfaceOptions v);
    TppOrvelOptions OrvelOptions() const { return m_orvelOptions; }
    void SetOrvelOptions(TppOrvelOptions v);
    TppReport* Report() const { return m_report; }
    void SetReport(TppReport* aReport);
    /// The data settings the window is given: the component's own object, copied from aValue.
    TppDataSettings* DataSettings() const { return m_dataSettings.get(); }
    void SetDataSettings(TppDataSettings* aValue);
    /// A menu bar whose menus are merged into the window's menu bar.
    QMenuBar* MergeMenu() const { return m_mergeMenu; }
    void SetMergeMenu(QMenuBar* aMenu);
    bool ShowData() const;
    void SetShowData(bool v);
    bool TabsVisible() const { return m_tabsVisible; }
    void SetTabsVisible(bool v);
    bool Visible() const;
    void SetVisible(bool v);
    int WindowHeight() const;
    int WindowLeft() const;
    int WindowTop() const;
    int WindowWidth() const;
    void SetWindowHeight(int v);
    void SetWindowLeft(int v);
    void SetWindowTop(int v);
    void SetWindowWidth(int v);
    Qt::WindowStates WindowState() const;
    void SetWindowState(Qt::WindowStates v);
    int WindowTag() const;
    void SetWindowTag(int v);

    /// Hands the report to the window, applies ShowData, lets the window load its settings,
    /// then fires OnCreate.
    void Loaded() override;
    /// Shows the window (not waiting).
    void Show();
    /// Shows the window modally: it then clears no selection when hidden and ignores
    /// selections set from outside.
    void ShowModal();

    // The window's own form events, passed through.
    std::function<void(QObject* Sender)> OnActivate, OnDeactivate, OnClose, OnHide, OnResize;
    std::function<void(QObject* Sender, bool& CanClose)> OnCloseQuery;
    /// After the Edit toolbar assigned a data field to the selected component.
    std::function<void(QObject* Sender)> OnAssignField;
    /// Replace the template's own load and save.
    std::function<void(QObject* Sender)> OnCustomOpenDoc, OnCustomSaveDoc;
    std::function<void(QObject* Sender)> OnCreate;
    std::function<void(QObject* Sender)> OnDestroy;
    std::function<void(QObject* Sender)> OnShow;
    TppComponentEvent OnCreateComponent;
    TppComponentEvent OnDestroyComponent;
    TppValidateComponentEvent OnValidateComponent;
    TppSetSelectionEvent OnSelectionChanged;
    TppTabChangeEvent OnTabChange;
    std::function<void(QObject* Sender)> OnReportSelected;
    /// Fired by the window when scripting interface or options change (the code page listens).
    std::function<void()> OnOrvelOptionsChanged;

    const stream::PropertyList& StreamProperties() const override;

private:
    void wireWindow();
    void applyShowData();
    void buildOffered();

    QPointer<TppDesignerWindow> m_window;
    std::unique_ptr<TppDataSettings> m_dataSettings;
    QPointer<QMenuBar> m_mergeMenu;
    QPointer<TppReport> m_report;
    QString m_caption = QStringLiteral("Marlisk");
    QIcon m_icon;
    bool m_allowDataSettingsChange = false;
    bool m_allowSaveToFile = true;
    TppShowComponents m_showComponents = TppShowComponents::FromBits(kAllShowComponents);
    QStringList m_offered;
    TppOrvelInterfaceOptions m_orvelInterface{TppOrvelInterfaceOption::riDialog, TppOrvelInterfaceOption::riNotebookTab};
    TppOrvelOptions m_orvelOptions = TppOrvelOptions::FromBits(0x3F);
    bool m_showData = true;
    bool m_tabsVisible = true;
    bool m_visible = true;
    int m_windowHeight = 400, m_windowLeft = 100, m_windowTop = 50, m_windowWidth = 600;
    Qt::WindowStates m_windowState = Qt::WindowNoState;
    int m_windowTag = 0;
};
