#pragma once

#include <QPointer>
#include <QWidget>

class QMenu;
class QToolButton;
class TViewControl;

namespace core {
class ViewTables;

/// What the customize toolbox asks of the View window in customize mode (the window or one
/// of its children implements it; the toolbox finds it through
/// TViewControl::CustomizingWindow).
class CustomizeTarget {
public:
    virtual ~CustomizeTarget() = default;
    /// "*" stops placing, "S" places an edit field, "B" a check box.
    virtual void SetPlacingFieldType(QChar letter) = 0;
    /// Marks or unmarks a field for deletion (its controls hidden while marked).
    virtual void ToggleFieldDelete(int field) = 0;
    /// Ends customize mode, keeping (Save) or dropping (Cancel) the design.
    virtual void EndCustomize(bool keep) = 0;
};
}  // namespace core

/// "Customize": the floating toolbox of customize mode. Tools (pointer, new edit field, new
/// check box), the View properties, field properties, tab order, hidden fields and delete
/// commands, and Save and Cancel. It works on the View window recorded in
/// TViewControl::CustomizingWindow; the View index is that window's "viewIndex" property.
///
/// Closing is refused (with a beep) until Save or Cancel has run.
class TCustomizeToolbar : public QWidget {
    Q_OBJECT
public:
    TCustomizeToolbar(TViewControl& views, core::ViewTables& tables, QWidget* parent = nullptr);
    ~TCustomizeToolbar() override;

    /// Places the toolbox beside the View window (PlaceToolboxBesideWindow) and makes it 90
    /// pixels wide.
    void PlaceBesideView();
    /// All tool buttons up, the pointer down.
    void SelectPointerTool();
    /// The field menu item of `field` shows the deletion mark or not.
    void MarkFieldItem(int field, bool marked);
    /// Shows the toolbox: closing not allowed, placed beside the View, field menu filled.
    void ShowToolbox();
    /// Fills the field menu: one item per visible field (LabelCaption, or FieldName when the
    /// label is hidden), Tag = field index, marked when the field is marked for deletion.
    void FillFieldMenu();

    QMenu* FieldListPU;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void toolClick(QToolButton* button, QChar letter);
    void fieldMenuClick(int field);
    void finish(bool keep);
    int viewIndex() const;
    core::CustomizeTarget* target() const;

    TViewControl& m_views;
    core::ViewTables& m_tables;
    bool m_closingAllowed = false;
    int m_menuMode = 0;  ///< 0: open the field's properties, 1: mark or unmark it for deletion

public:
    QToolButton* ArrowToolBtn;
    QToolButton* ViewPropsBtn;
    QToolButton* FieldPropsBtn;
    QToolButton* TabOrderBtn;
    QToolButton* HiddenFieldsBtn;
    QToolButton* DeleteFieldBtn;
    QToolButton* FieldToolBtn;
    QToolButton* CheckToolBtn;
    QToolButton* OKBtn;
    QToolButton* CancelBtn;
    QToolButton* HelpBtn;
};

namespace core {
/// The program's toolbox (null when none); made by the View window when customizing starts.
TCustomizeToolbar* CustomizeToolbar();
void SetCustomizeToolbar(TCustomizeToolbar* toolbox);
}  // namespace core
