#pragma once

// The designer's two tree tool windows, made and kept by the toolbar manager. The data tree
// window ("DataTree") shows the report's pipelines over the fields of the chosen one; fields
// picked in it and dragged onto a band become labels and data components laid out by the
// Layout page's settings. The report tree window ("ReportOutline") shows the report and its
// sub-reports (the outline, shown only with sub-reports) over the bands and components of the
// current report; picking an entry selects it in the designer, and components are renamed in
// place. Both keep their settings in the designer's ini file ("AutoLayout", "ReportOutline").

#include "report/designer/docking/designer_bars.h"
#include "report/designer/gui/auto_layout.h"
#include "report/designer/gui/tree_explorer.h"

#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QAction;
class QSplitter;
class QTabWidget;
class TppBand;
class TppComponent;
class TppCustomReport;
class TppFont;
class TppSubReport;

class TppDataTreeWindow : public TppToolWindow {
    Q_OBJECT
public:
    TppDataTreeWindow(QMainWindow* aOwner, const QString& aName);
    ~TppDataTreeWindow() override;

    void SetReport(TppCustomReport* aReport);
    TppCustomReport* Report() const;
    void LanguageChanged(int aLanguageIndex) override;
    void LoadSettings(settings::IniFile& aIniFile) override;
    void SaveSettings(settings::IniFile& aIniFile) override;
    /// The list shows nothing, the tree is rebuilt and its first node listed.
    void Refresh();
    /// Makes labels and data components for the picked fields at (x, y) of the band (screen
    /// pixels) and lays them out; the created components (boxes too) go to aList.
    void CreateComponentsForDrop(TppBand* aBand, int aX, int aY, QList<TppComponent*>& aList);

    TppDataExplorer* Explorer() const { return m_explorer.get(); }
    QTabWidget* Pages() const { return m_pages; }
    QMenu* PopupMenu() const { return m_popup; }
    /// The Layout page's controls (made when the Data page is first left).
    TppAutoLayoutManager* LayoutManager() const { return m_layoutManager; }

    // Layout settings.
    TppFont* LabelFont() const { return m_labelFont.get(); }
    TppFont* FieldFont() const { return m_fieldFont.get(); }
    int LayoutType = 1;
    bool CreateLabels = true;
    bool CreateFields = true;
    bool LabelGrid = false;
    bool FieldGrid = false;

    /// Fields dragged from the list were released at a global screen point.
    std::function<void(QObject* Sender, const QPoint& GlobalPos)> OnFieldsDropped;
    bool Dragging() const { return m_dragging; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void pageChanged(int aIndex);
    void copySettingsFromManager();

    std::unique_ptr<TppDataExplorer> m_explorer;
    QTabWidget* m_pages;
    QWidget* m_dataPage;
    QWidget* m_layoutPage;
    QMenu* m_popup;
    QAction* m_refresh;
    TppAutoLayoutManager* m_layoutManager = nullptr;
    QPointer<TppCustomReport> m_report;
    std::unique_ptr<TppFont> m_labelFont;
    std::unique_ptr<TppFont> m_fieldFont;
    bool m_dockChanging = false;
    bool m_pressed = false;
    bool m_dragging = false;
    QPoint m_pressPos;
};

class TppReportTreeWindow : public TppToolWindow {
    Q_OBJECT
public:
    TppReportTreeWindow(QMainWindow* aOwner, const QString& aName);
    ~TppReportTreeWindow() override;

    void SetReport(QObject* aReport);
    QObject* CurrentReport() const { return m_report; }
    void ShowPanes(bool aOutline, bool aObjects);
    bool TitleBarVisible() const { return m_titleBarVisible; }
    void SetShowTitles(bool aValue);
    void SelectInObjectTree(QObject* aObject);
    void SelectInOutline(QObject* aReport);
    void AddToOutline(const QString& aName, TppCustomReport* aChildReport);
    void RemoveFromOutline(QObject* aObject);
    void AddToObjectTree(QObject* aObject);
    void RemoveFromObjectTree(QObject* aObject);
    void RefreshSubReport(TppSubReport* aSubReport);
    void RebuildObjectTree();
    void LanguageChanged(int aLanguageIndex) override;
    void LoadSettings(settings::IniFile& aIniFile) override;
    void SaveSettings(settings::IniFile& aIniFile) override;
    /// Before and after the window's controls move (docking, floating).
    void Recreating();
    void Recreated();

    TppReportTreeView* OutlineTree() const { return m_outline; }
    TppReportTreeView* ObjectTree() const { return m_objects; }
    QWidget* OutlinePane() const { return m_outlinePane; }
    QWidget* ObjectPane() const { return m_objectPane; }
    QMenu* PopupMenu() const { return m_popup; }
    TppTreeStates* States() const { return m_states.get(); }
    bool EventsEnabled() const { return m_eventsEnabled; }

    std::function<void(QObject* Sender)> OnObjectSelect;
    std::function<void(QObject* Sender)> OnReportSelect;
    std::function<void(QObject* Sender, const QString& Text)> OnMessage;

private:
    void popupOpening();
    void objectEdited(QTreeWidgetItem* aNode, QString& aText);

    QWidget* m_outlinePane;
    TppBevel* m_outlineCaption;
    TppReportTreeView* m_outline;
    QSplitter* m_splitter;
    QWidget* m_objectPane;
    TppBevel* m_objectCaption;
    TppReportTreeView* m_objects;
    TppClassImageList* m_images;
    std::unique_ptr<TppReportOutlineTreeBuilder> m_outlineBuilder;
    std::unique_ptr<TppReportObjectTreeBuilder> m_objectBuilder;
    std::unique_ptr<TppTreeStates> m_states;
    QPointer<QObject> m_report;
    bool m_titleBarVisible = true;
    bool m_eventsEnabled = true;
    bool m_destroying = false;
    QMenu* m_popup;
};
