#pragma once

// The "Configure Crosstab" dialog: a field list, the diagram of the cross-tab's definition
// (TppCrossTabControl), a format bar and a pop-up menu over a working copy of the cross-tab.
// OK copies the copy back when it was changed; Cancel and the close box keep the original.
// The panel TppCrossTabDesigner is also the middle page of the cross-tab wizard. The dialog's
// placement is kept in the designer settings file, section "Crosstab Dialog".

#include "report/crosstab/gui/crosstab_control.h"

#include "report/output/dialog_registry.h"
#include "report/output/gui/form.h"
#include "report/page/report_types.h"

#include "platform/paint/color.h"

#include <QMenu>
#include <QToolBar>
#include <QWidget>

#include <memory>

class QComboBox;
class QFontComboBox;
class QLabel;
class QListWidget;
class QSplitter;
class QStatusBar;
class QToolButton;
class TppCrossTab;
class TppFont;
class TppCrossTabDesigner;

/// The format bar: calculation, display format, sort order, then the font controls (name,
/// size, bold, italic, underline, three alignments, font colour, fill colour).
class TppCrossTabFormatBar : public QToolBar {
    Q_OBJECT
public:
    explicit TppCrossTabFormatBar(TppCrossTabDesigner* aDesigner, QWidget* aParent = nullptr);

    TppCrossTabControl* Control() const { return m_control; }
    void SetControl(TppCrossTabControl* aControl) { m_control = aControl; }
    void EnableFontControls(bool aValue);
    void EnableCalcType(bool aValue);
    void EnableDisplayFormat(bool aValue);
    void EnableSortType(bool aValue);
    /// Shows the selection's state on the bar (after a selection change).
    void SelectionChanged(TppCrossTabSelection* aSelection);

    /// The bar's font (copied into the selection) and alignment.
    std::unique_ptr<TppFont> GetToolbarFont() const;
    TAlignment GetTextAlignment() const;
    void SetToolbarFont(const TppFont* aFont);
    void SetTextAlignment(TAlignment aAlignment);

    QComboBox* CalcCombo() const { return m_calc; }

private:
    void applyFont();
    void applyAlignment(TAlignment aAlignment);
    QToolButton* button(const QString& aName, const QString& aText, bool aCheckable);

    TppCrossTabDesigner* m_designer;
    TppCrossTabControl* m_control = nullptr;
    QComboBox* m_calc;
    QToolButton* m_displayFormat;
    QToolButton* m_sortAsc;
    QToolButton* m_sortDesc;
    QFontComboBox* m_fontName;
    QComboBox* m_fontSize;
    QToolButton *m_bold, *m_italic, *m_underline;
    QToolButton *m_left, *m_center, *m_right;
    QToolButton *m_fontColor, *m_fillColor;
    paint::TColor m_textColor = 0;
    bool m_showing = false;
};

/// The diagram's pop-up menu: Tips, Font, Color, Display Format, Skip Nulls, Null Order,
/// Visible, Gridlines.
class TppCrossTabDesignerMenu : public QMenu {
    Q_OBJECT
public:
    explicit TppCrossTabDesignerMenu(TppCrossTabDesigner* aDesigner);
    /// Sets ticks and enabling from the selection (each time it pops up).
    void UpdateItems();
    QAction* Item(int aTag) const;
    QAction* NullFirst() const { return m_first; }
    QAction* NullLast() const { return m_last; }

private:
    TppCrossTabDesigner* m_designer;
    QList<QAction*> m_items;
    QAction* m_first = nullptr;
    QAction* m_last = nullptr;
};

/// The designer panel over a working copy of the cross-tab.
class TppCrossTabDesigner : public QWidget {
    Q_OBJECT
public:
    explicit TppCrossTabDesigner(QWidget* aParent = nullptr);
    ~TppCrossTabDesigner() override;

    /// The working cross-tab takes a copy, then Rebuild.
    void SetCrossTab(TppCrossTab* aCrossTab);
    /// Re-creates the field list and the diagram.
    void Rebuild();
    bool TipsVisible() const;
    void SetTipsVisible(bool aValue);
    TppCrossTab* CrossTab() const { return m_crossTab.get(); }
    TppCrossTabSelection* Selection() const { return m_control ? m_control->Selection() : nullptr; }
    TppCrossTabControl* Control() const { return m_control.get(); }
    QListWidget* FieldList() const { return m_fieldList; }
    TppCrossTabFormatBar* FormatBar() const { return m_formatBar; }
    TppCrossTabDesignerMenu* Menu() const { return m_menu; }
    QWidget* FieldListPanel() const { return m_fieldPanel; }
    QWidget* DiagramPanel() const { return m_diagramPanel; }
    void FontDialog();
    void ColorDialog();
    void DisplayFormatDialog();
    /// Removes the selected definitions (the drop on the field list).
    void RemoveSelected();
    /// Optional status bar that shows the diagram's hints.
    QStatusBar* StatusBar = nullptr;

private:
    void loadFieldList();
    std::unique_ptr<TppCrossTab> m_crossTab;
    std::unique_ptr<TppCrossTabControl> m_control;
    QWidget* m_tips = nullptr;
    QWidget* m_fieldPanel = nullptr;
    QListWidget* m_fieldList = nullptr;
    QWidget* m_diagramPanel = nullptr;
    QWidget* m_diagramHost = nullptr;
    TppCrossTabFormatBar* m_formatBar = nullptr;
    TppCrossTabDesignerMenu* m_menu = nullptr;
};

/// The registered form of TppCustomCrossTabDesignerForm.
class TppCrossTabDesignerForm : public TppForm, public TppCustomCrossTabDesignerForm {
    Q_OBJECT
public:
    explicit TppCrossTabDesignerForm(QObject* aOwner = nullptr);
    ~TppCrossTabDesignerForm() override;

    void LanguageChanged() override;
    TppCrossTabDesigner* Designer() const { return m_designer; }
    /// The settings file of the placement ("Marlisk.ini" beside the working folder).
    static QString& SettingsFile();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int r) override;

private:
    void loadPlacement();
    void savePlacement();
    void finish(bool aAccepted);
    TppCrossTabDesigner* m_designer;
    QPointer<TppCrossTab> m_configured;
    bool m_cancelled = false;
    bool m_finished = false;
};

namespace report {
/// Registers TppCrossTabDesignerForm for TppCustomCrossTabDesignerForm and the cross-tab
/// wizard, and declares the windows' texts.
void RegisterCrossTabWindows();
void UnRegisterCrossTabWindows();
}  // namespace report
