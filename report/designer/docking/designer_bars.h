#pragma once

// The designer's bars: its docks, tool windows, toolbars and toolbar buttons, with the
// language and settings hooks the designer's windows override and the drop-down panels
// of its palettes.

#include "report/designer/docking/dock_skiffrow.h"
#include "report/designer/docking/skiffrow.h"
#include "report/designer/docking/tool_window_skiffrow.h"
#include "report/designer/docking/toolbar_button_skiffrow.h"

#include <QPointer>
#include <QTimer>

class TppDropDownPanel;
namespace settings {
class IniFile;
}

/// A designer dock. A left or right dock that holds a tool window has a splitter beside it
/// (the form's separator), so the user can widen the tree and data windows.
class TppDock : public TppDockSkiffrow {
    Q_OBJECT
public:
    using TppDockSkiffrow::TppDockSkiffrow;
    bool HasSplitter() const;
};

/// The base of the designer's tool windows: docks left or right only.
class TppToolWindow : public TppToolWindowSkiffrow {
    Q_OBJECT
public:
    TppToolWindow(QMainWindow* owner, const QString& name);
    int LanguageIndex() const { return m_languageIndex; }
    /// Stores the index; the designer's windows reload their texts.
    virtual void LanguageChanged(int languageIndex) { m_languageIndex = languageIndex; }
    virtual void LoadSettings(settings::IniFile& iniFile);
    virtual void SaveSettings(settings::IniFile& iniFile);

private:
    int m_languageIndex = 0;
};

class TppToolbarButton;

/// The base of the designer's toolbars. At most one drop-down panel of its buttons is open
/// (the active drop-down); the close timer (1000 ms) closes it once the pointer has left the
/// panel and its button.
class TppToolbar : public TppSkiffrow {
    Q_OBJECT
public:
    TppToolbar(QMainWindow* owner, const QString& name);
    int LanguageIndex() const { return m_languageIndex; }
    virtual void LanguageChanged(int languageIndex) { m_languageIndex = languageIndex; }

    TppToolbarButton* ActiveDropDown() const { return m_active; }
    QTimer* CloseTimer() const { return m_closeTimer; }
    void CloseActiveDropDown();

    // Notifications from the buttons.
    void PanelShown(TppToolbarButton* button);
    void PanelHidden(TppToolbarButton* button);
    void PointerBack();
    void PointerLeft();

private:
    int m_languageIndex = 0;
    QPointer<TppToolbarButton> m_active;
    QTimer* m_closeTimer;
};

/// A designer toolbar button, which can own a drop-down panel: the button latches while its
/// panel is open; on a toolbar the panels behave like a menu bar.
class TppToolbarButton : public TppToolbarButtonSkiffrow {
    Q_OBJECT
public:
    explicit TppToolbarButton(QWidget* parent = nullptr);

    TppDropDownPanel* DropDownPanel() const { return m_panel; }
    /// A non-combo button with GroupIndex 0 gets a group of its own and AllowAllUp.
    void SetDropDownPanel(TppDropDownPanel* panel);
    bool PanelActive() const { return m_panelActive; }
    void SetDropDownActive(bool active);

    virtual void PanelShown();
    virtual void PanelHidden();
    void HotEnter() override;
    void HotLeave() override;
    TppToolbar* Toolbar() const;

protected:
    void Click() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void showPanel();

    QPointer<TppDropDownPanel> m_panel;
    bool m_panelActive = false;
    QPoint m_lastPress;
};
