#pragma once

// The designer's views of report objects: a tree of report objects (TppReportTreeView) and a
// list of the contents of one object (TppReportListView). Neither view knows what it shows:
// an attached builder (report_tree_builders.h) fills it. Both show a class glyph per entry
// from a shared class image list, open the help page of the selected entry on F1, count
// nested updates, and save and restore their expansion and selection in numbered slots
// (TppTreeStates, TppListStates). The code and data workspaces derive their own views.

#include "report/output/gui/list_view.h"
#include "report/output/meta_bitmap.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TppTreeBuilder;
class TppListBuilder;

/// Glyphs keyed by class name ("TppBand", "TppGroup", every palette class, "TppReport",
/// "TppCalc", the code workspace's and data tree's keys, "ppSelected"); key i names image i.
class TppClassImageList : public QObject {
    Q_OBJECT
public:
    explicit TppClassImageList(QObject* aOwner = nullptr);
    /// Position of the name among the keys, without regard to case; -1 when absent.
    int IndexOfClass(const QString& aName) const;
    int Count() const { return int(m_keys.size()); }
    QStringList Keys() const { return m_keys; }
    QIcon Icon(int aIndex) const { return aIndex >= 0 && aIndex < m_icons.size() ? m_icons.at(aIndex) : QIcon(); }
    QImage Image(int aIndex) const { return aIndex >= 0 && aIndex < m_images.size() ? m_images.at(aIndex) : QImage(); }

private:
    void add(const QString& aKey, const QImage& aImage);
    QStringList m_keys;
    QList<QIcon> m_icons;
    QList<QImage> m_images;
};

/// A caption bar: its caption written 4 pixels from the left and top on the face colour,
/// then a bevel line.
class TppBevel : public QWidget {
    Q_OBJECT
public:
    explicit TppBevel(QWidget* aParent = nullptr);
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& aText);
    QFont CaptionFont() const { return m_font; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString m_caption;
    QFont m_font;
};

/// A 12 by 12 picture with nine grip dots (a white pixel with a black one below right).
class TppGrippyBitmap : public TppMetaBitmap {
public:
    TppGrippyBitmap();
    void Draw(report::MetaCanvas& aCanvas) override;
};

/// A node or list item with the object it stands for (Data; none once the object is freed).
class TppTreeNode : public QTreeWidgetItem {
public:
    TppTreeNode() : QTreeWidgetItem(UserType + 1) {}
    QPointer<QObject> Data;
};
/// The object of a node or item; nullptr for none.
QObject* ppNodeData(const QTreeWidgetItem* aNode);

/// A tree of report objects filled by its builder.
class TppReportTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TppReportTreeView(QWidget* aParent = nullptr);
    ~TppReportTreeView() override;

    // Virtual operations in slot order.
    virtual void DoAfterRebuild();
    virtual void DoBeforeRebuild();
    virtual void DoMessage(const QString& aText);
    /// The Data of the selected node, nullptr without selection.
    virtual QObject* GetSelectedObject() const;
    /// Stores the object and rebuilds.
    virtual void SetReport(QObject* aReport);
    /// Detaches the old builder and attaches the new one (none for nullptr).
    virtual void SetBuilder(TppTreeBuilder* aBuilder);
    virtual void KeyHandler(QKeyEvent* aKey);
    virtual void Rebuild();
    virtual void Refresh() { Rebuild(); }

    QObject* Report() const { return m_report; }
    TppTreeBuilder* Builder() const { return m_builder; }
    TppClassImageList* Images() const { return m_images; }
    void SetImages(TppClassImageList* aImages) { m_images = aImages; }
    bool Rebuilding() const { return m_rebuilding; }
    int UpdateCount() const { return m_updateCount; }
    bool ShowReportNode() const { return m_showReportNode; }
    void SetShowReportNode(bool aValue);
    bool DragEnabled = false;

    void BeginUpdate() { ++m_updateCount; }
    /// Without a matching BeginUpdate nothing happens; at 0 the tree is rebuilt.
    void EndUpdate();
    void AddObject(QObject* aObject);
    void RemoveObject(QObject* aObject);
    void SelectObject(QObject* aObject);
    bool FindNode(QObject* aObject, QTreeWidgetItem*& aNode) const;
    bool FindNodeByName(const QString& aName, QTreeWidgetItem*& aNode) const;
    /// A report object whose user name differs from its node's caption only gets the new
    /// caption; otherwise the node is built again and the selection kept.
    void RefreshObject(QObject* aObject);

    // The nodes in tree order (node i of the tree).
    QList<QTreeWidgetItem*> AllNodes() const;
    int NodeCount() const { return int(AllNodes().size()); }
    QTreeWidgetItem* NodeAt(int aIndex) const;
    QTreeWidgetItem* Selected() const { return currentItem(); }
    void SelectNode(QTreeWidgetItem* aNode);
    /// A new node as the last child of aParent (a root for nullptr).
    TppTreeNode* AddNode(QTreeWidgetItem* aParent, const QString& aCaption, QObject* aData, int aImageIndex);
    /// Moves a node before aBefore (a sibling), or to the first place under its parent.
    void MoveNodeBefore(QTreeWidgetItem* aNode, QTreeWidgetItem* aBefore);
    void MoveNodeFirst(QTreeWidgetItem* aNode);
    void MoveNodeAfter(QTreeWidgetItem* aNode, QTreeWidgetItem* aAfter);
    void DeleteNode(QTreeWidgetItem* aNode);
    void ClearNodes();
    /// Starts editing the node's caption in place (OnEditing may refuse).
    void EditNode(QTreeWidgetItem* aNode);
    bool Destroying() const { return m_destroying; }

    std::function<void(QObject* Sender)> OnBeforeRebuild;
    std::function<void(QObject* Sender)> OnAfterRebuild;
    std::function<void(QObject* Sender, const QString& Text)> OnMessage;
    /// The selected node changed (nullptr: none).
    std::function<void(QObject* Sender, QTreeWidgetItem* Node)> OnChange;
    std::function<void(QObject* Sender, QTreeWidgetItem* Node, bool& AllowEdit)> OnEditing;
    std::function<void(QObject* Sender, QTreeWidgetItem* Node, QString& Text)> OnEdited;
    /// A drag of a node began (DragEnabled).
    std::function<void(QObject* Sender, QTreeWidgetItem* Node)> OnStartDrag;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void itemEdited(QTreeWidgetItem* aItem, int aColumn);

    QPointer<QObject> m_report;
    TppTreeBuilder* m_builder = nullptr;
    QPointer<TppClassImageList> m_images;
    int m_updateCount = 0;
    bool m_rebuilding = false;
    bool m_showReportNode = true;
    bool m_destroying = false;
    bool m_editing = false;
    QPoint m_pressPos;
    QTreeWidgetItem* m_pressNode = nullptr;
};

/// A list of the contents of one report object, filled by its builder.
class TppReportListView : public TppListView {
    Q_OBJECT
public:
    explicit TppReportListView(QWidget* aParent = nullptr);
    ~TppReportListView() override;

    // Virtual operations in slot order.
    virtual void DoAfterRefresh();
    virtual void DoBeforeRefresh();
    virtual void DoMessage(const QString& aText);
    virtual void SetListedObject(QObject* aObject);
    virtual void SetBuilder(TppListBuilder* aBuilder);
    virtual void KeyHandler(QKeyEvent* aKey);
    virtual void Refresh();
    virtual void LanguageChanged();

    QObject* ListedObject() const { return m_listed; }
    TppListBuilder* Builder() const { return m_builder; }
    TppClassImageList* Images() const { return m_images; }
    void SetImages(TppClassImageList* aImages) { m_images = aImages; }
    bool Refreshing() const { return m_refreshing; }
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& aText) { m_caption = aText; }
    /// The tree node of the listed object (kept for the explorer).
    QTreeWidgetItem* TreeNode = nullptr;
    bool AllowReorder = false;
    bool Destroying() const { return m_destroying; }

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    void AddObject(QObject* aObject);
    void RemoveObject(QObject* aObject);
    void SelectObject(QObject* aObject);
    QObject* GetSelectedObject() const;
    void RefreshObject(QObject* aObject);
    /// The grip picture of the own drawing (made on first use).
    const QImage& GripBitmap();
    /// Draws an item as the own drawing does (grip cell, caption, sub-items).
    virtual void DrawItem(QPainter* aPainter, QTreeWidgetItem* aItem, const QRect& aRect, bool aSelected, bool aFocused);
    /// The selected item (the current one when selected), nullptr for none.
    QTreeWidgetItem* Selected() const;
    void SelectItem(QTreeWidgetItem* aItem);
    /// Draws the rows while OwnerDrawItems is on (the own drawing when not set).
    std::function<void(QObject* Sender, QPainter* Canvas, QTreeWidgetItem* Item, const QRect& Rect)> OnDrawItem;

    std::function<void(QObject* Sender)> OnBeforeRefresh;
    std::function<void(QObject* Sender)> OnAfterRefresh;
    std::function<void(QObject* Sender, const QString& Text)> OnMessage;
    std::function<void(QObject* Sender, QTreeWidgetItem* Item, bool& AllowEdit)> OnEditing;
    std::function<void(QObject* Sender, QTreeWidgetItem* Item, QString& Text)> OnEdited;

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void itemEdited(QTreeWidgetItem* aItem, int aColumn);

    QPointer<QObject> m_listed;
    TppListBuilder* m_builder = nullptr;
    QPointer<TppClassImageList> m_images;
    int m_updateCount = 0;
    bool m_refreshing = false;
    bool m_destroying = false;
    bool m_editing = false;
    QString m_caption;
    QImage m_grip;
    QTreeWidgetItem* m_dragItem = nullptr;
};

/// Six slots of a tree's expansion (first 299 nodes) and selection.
class TppTreeStates {
public:
    static constexpr int kSlots = 6;
    static constexpr int kNodes = 299;
    explicit TppTreeStates(TppReportTreeView* aTree) : m_tree(aTree) {}
    void SetTree(TppReportTreeView* aTree) { m_tree = aTree; }
    TppReportTreeView* Tree() const { return m_tree; }
    void Clear();
    void SaveState(int aSlot);
    /// False when the slot is not valid or holds no selection.
    bool RestoreState(int aSlot);

private:
    struct Slot {
        bool valid = false;
        int selected = 0;
        std::vector<bool> expanded;
    };
    QPointer<TppReportTreeView> m_tree;
    Slot m_slots[kSlots];
};

/// The selected item's caption per slot.
class TppListStates {
public:
    explicit TppListStates(TppReportListView* aList) : m_list(aList) {}
    void Clear() { m_captions.clear(); }
    void SaveState(int aSlot);
    void RestoreState(int aSlot);
    QStringList Captions() const { return m_captions; }

private:
    QPointer<TppReportListView> m_list;
    QStringList m_captions;
};

namespace report {
/// Opens the help page of a builder's keyword in the designer's help file (nothing without
/// a help file name).
void ShowBuilderHelp(const QString& aKeyword, const QString& aHelpFile);
}  // namespace report
