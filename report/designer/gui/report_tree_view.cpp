#include "report/designer/gui/report_tree_view.h"

#include "report/designer/gui/palette_buttons.h"
#include "report/designer/gui/report_tree_builders.h"
#include "report/model/communicator.h"
#include "report/model/component.h"
#include "report/model/palette_registry.h"
#include "report/model/report.h"

#include "platform/base/scope_exit.h"
#include "platform/ui/help.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>

QObject* ppNodeData(const QTreeWidgetItem* aNode) {
    if (!aNode || aNode->type() != QTreeWidgetItem::UserType + 1) return nullptr;
    return static_cast<const TppTreeNode*>(aNode)->Data.data();
}

// TppClassImageList ---------------------------------------------------------------------------

namespace {

/// A glyph with its transparent colour taken out: white, teal, or the bottom-left pixel for
/// pictures that come with a mask.
QImage transparentGlyph(const QImage& aImage, QRgb aTransparent) {
    QImage img = aImage.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (aTransparent & 0xFFFFFF)) img.setPixel(x, y, 0);
    return img;
}
QImage masked(const QString& aName) {
    const QImage img = ppDesignerGlyph(aName);
    return transparentGlyph(img, img.pixel(0, img.height() - 1));
}

}  // namespace

TppClassImageList::TppClassImageList(QObject* aOwner) : QObject(aOwner) {
    const QRgb white = qRgb(255, 255, 255);
    add(QStringLiteral("TppBand"), transparentGlyph(ppDesignerGlyph(QStringLiteral("PPBAND")), white));
    add(QStringLiteral("TppGroup"), transparentGlyph(ppDesignerGlyph(QStringLiteral("PPGROUP")), qRgb(0, 128, 128)));
    const TppRegList& list = ppGetComponentRegList();
    for (int i = 0; i < list.Count(); ++i) {
        const QString name = list.Items(i).Name;
        add(name, masked(name.toUpper()));
        if (name == QLatin1String("TppSubReport")) {
            add(QStringLiteral("TppReport"), m_images.last());
            add(QStringLiteral("TppChildReport"), m_images.last());
        }
    }
    add(QStringLiteral("TppCalc"), masked(QStringLiteral("TPPCALC")));
    const char* code[][2] = {{"Global", "PPGLOBAL"},       {"Declarations", "PPDECLARATIONS"},
                             {"Events", "PPEVENTS"},       {"EventHandlers", "PPEVENTHANDLERS"},
                             {"Programs", "PPPROGRAMS"},   {"Continue", "PPCONTINUE"},
                             {"TppDataPipeline", "PPDATAPIPELINE"}, {"TdaDataView", "PPDATAVIEW"},
                             {"TppField", "PPFIELD"},      {"ppSelected", "PPSELECTED"}};
    for (const auto& c : code)
        add(QString::fromLatin1(c[0]), transparentGlyph(ppDesignerGlyph(QString::fromLatin1(c[1])), white));
}

void TppClassImageList::add(const QString& aKey, const QImage& aImage) {
    m_keys << aKey;
    m_images << aImage;
    m_icons << QIcon(QPixmap::fromImage(aImage));
}

int TppClassImageList::IndexOfClass(const QString& aName) const {
    for (int i = 0; i < m_keys.size(); ++i)
        if (m_keys.at(i).compare(aName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

// TppBevel ---------------------------------------------------------------------------------------

TppBevel::TppBevel(QWidget* aParent) : QWidget(aParent) {
    setFixedHeight(21);
    m_font = font();
}

void TppBevel::SetCaption(const QString& aText) {
    m_caption = aText;
    update();
}

void TppBevel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::Button));
    p.setFont(m_font);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(r.adjusted(4, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_caption);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(r.left(), r.bottom() - 1, r.right(), r.bottom() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

// TppGrippyBitmap --------------------------------------------------------------------------------

TppGrippyBitmap::TppGrippyBitmap() {
    setSize(12, 12);
    setBackgroundColor(paint::clBtnFace);
}

void TppGrippyBitmap::Draw(report::MetaCanvas& aCanvas) {
    QImage& img = aCanvas.Image();
    const int dots[][2] = {{1, 2}, {1, 5}, {1, 8}, {4, 1}, {4, 4}, {4, 7}, {7, 2}, {7, 5}, {7, 8}};
    for (const auto& d : dots) {
        if (img.valid(d[0], d[1])) img.setPixel(d[0], d[1], qRgb(255, 255, 255));
        if (img.valid(d[0] + 1, d[1] + 1)) img.setPixel(d[0] + 1, d[1] + 1, qRgb(0, 0, 0));
    }
}

// Help ---------------------------------------------------------------------------------------

namespace report {

void ShowBuilderHelp(const QString& aKeyword, const QString& aHelpFile) {
    if (aHelpFile.isEmpty()) return;
    const QString previous = ui::HelpService::HelpFile();
    const QString folder = previous.isEmpty() ? QString() : QFileInfo(previous).path();
    ui::HelpService::SetHelpFile(folder.isEmpty() ? aHelpFile : folder + QLatin1Char('/') + aHelpFile);
    const auto restore = base::ScopeExit([previous] { ui::HelpService::SetHelpFile(previous); });
    // A keyword list ("TppLabel_Object;") names its first keyword's page.
    ui::HelpService::ShowKeyword(aKeyword.section(QLatin1Char(';'), 0, 0));
}

}  // namespace report

// TppReportTreeView ------------------------------------------------------------------------------

TppReportTreeView::TppReportTreeView(QWidget* aParent) : QTreeWidget(aParent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* aCurrent, QTreeWidgetItem*) {
        if (aCurrent && !aCurrent->isSelected()) aCurrent->setSelected(true);
        if (OnChange) OnChange(this, aCurrent);
    });
    connect(this, &QTreeWidget::itemChanged, this, &TppReportTreeView::itemEdited);
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { m_editing = false; });
}

TppReportTreeView::~TppReportTreeView() {
    m_destroying = true;
    if (m_builder) m_builder->SetTree(nullptr);
}

void TppReportTreeView::DoAfterRebuild() {
    if (OnAfterRebuild) OnAfterRebuild(this);
}
void TppReportTreeView::DoBeforeRebuild() {
    if (OnBeforeRebuild) OnBeforeRebuild(this);
}
void TppReportTreeView::DoMessage(const QString& aText) {
    if (OnMessage) OnMessage(this, aText);
}

namespace {

/// F1 opens the help page the builder names for what it shows.
template <class Builder>
void showHelpOnF1(QKeyEvent* aKey, Builder* aBuilder) {
    if (aKey->key() != Qt::Key_F1 || !aBuilder) return;
    QString keyword, file;
    aBuilder->GetHelpKeyword(keyword);
    aBuilder->GetHelpFile(file);
    report::ShowBuilderHelp(keyword, file);
    aKey->accept();
}

}  // namespace

QObject* TppReportTreeView::GetSelectedObject() const { return ppNodeData(currentItem()); }

void TppReportTreeView::SetReport(QObject* aReport) {
    m_report = aReport;
    Rebuild();
}

void TppReportTreeView::SetBuilder(TppTreeBuilder* aBuilder) {
    if (m_builder == aBuilder) return;
    if (m_builder) m_builder->SetTree(nullptr);
    m_builder = aBuilder;
    if (m_builder) {
        if (m_builder->Tree() && m_builder->Tree() != this) m_builder->Tree()->SetBuilder(nullptr);
        m_builder->SetTree(this);
    }
}

void TppReportTreeView::KeyHandler(QKeyEvent* aKey) {
    showHelpOnF1(aKey, m_builder);
}

void TppReportTreeView::Rebuild() {
    if (m_destroying || m_updateCount > 0) return;
    DoBeforeRebuild();
    m_rebuilding = true;
    setUpdatesEnabled(false);
    const auto finish = base::ScopeExit([this] {
        setUpdatesEnabled(true);
        m_rebuilding = false;
        DoAfterRebuild();
    });
    if (m_builder) m_builder->Build();
    if (m_showReportNode && topLevelItemCount() > 0 && !topLevelItem(0)->isExpanded()) {
        topLevelItem(0)->setExpanded(true);
        const QList<QTreeWidgetItem*> nodes = AllNodes();
        if (qobject_cast<TppChildReport*>(m_report.data()) && nodes.size() >= 2) nodes.at(1)->setExpanded(true);
    }
}

void TppReportTreeView::SetShowReportNode(bool aValue) {
    m_showReportNode = aValue;
    Rebuild();
}

void TppReportTreeView::EndUpdate() {
    if (m_updateCount <= 0) return;
    if (--m_updateCount == 0) Rebuild();
}

void TppReportTreeView::AddObject(QObject* aObject) {
    if (m_builder) m_builder->AddObjectNode(aObject);
}
void TppReportTreeView::RemoveObject(QObject* aObject) {
    if (m_builder) m_builder->RemoveObjectNode(aObject);
}

void TppReportTreeView::SelectObject(QObject* aObject) {
    QTreeWidgetItem* node = nullptr;
    if (FindNode(aObject, node)) SelectNode(node);
}

bool TppReportTreeView::FindNode(QObject* aObject, QTreeWidgetItem*& aNode) const {
    aNode = nullptr;
    return m_builder && m_builder->FindNode(aObject, aNode);
}

bool TppReportTreeView::FindNodeByName(const QString& aName, QTreeWidgetItem*& aNode) const {
    aNode = nullptr;
    return m_builder && m_builder->FindNodeByName(aName, aNode);
}

void TppReportTreeView::RefreshObject(QObject* aObject) {
    QTreeWidgetItem* node = nullptr;
    if (!FindNode(aObject, node)) return;
    if (auto* c = qobject_cast<TppCommunicator*>(aObject); c && c->UserName() != node->text(0)) {
        const QSignalBlocker block(this);
        node->setText(0, c->UserName());
        return;
    }
    QPointer<QObject> selected = GetSelectedObject();
    RemoveObject(aObject);
    AddObject(aObject);
    if (selected) SelectObject(selected);
}

QList<QTreeWidgetItem*> TppReportTreeView::AllNodes() const {
    QList<QTreeWidgetItem*> out;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* n) {
        out << n;
        for (int i = 0; i < n->childCount(); ++i) walk(n->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) walk(topLevelItem(i));
    return out;
}

QTreeWidgetItem* TppReportTreeView::NodeAt(int aIndex) const { return AllNodes().value(aIndex); }

void TppReportTreeView::SelectNode(QTreeWidgetItem* aNode) {
    setCurrentItem(aNode);
    if (aNode) aNode->setSelected(true);
}

TppTreeNode* TppReportTreeView::AddNode(QTreeWidgetItem* aParent, const QString& aCaption, QObject* aData,
                                        int aImageIndex) {
    auto* node = new TppTreeNode;
    node->Data = aData;
    node->setText(0, aCaption);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (m_images && aImageIndex >= 0) node->setIcon(0, m_images->Icon(aImageIndex));
    const QSignalBlocker block(this);
    if (aParent)
        aParent->addChild(node);
    else
        addTopLevelItem(node);
    return node;
}

namespace {
void detach(QTreeWidget* aTree, QTreeWidgetItem* aNode) {
    if (QTreeWidgetItem* p = aNode->parent())
        p->takeChild(p->indexOfChild(aNode));
    else
        aTree->takeTopLevelItem(aTree->indexOfTopLevelItem(aNode));
}
void insertAt(QTreeWidget* aTree, QTreeWidgetItem* aParent, int aIndex, QTreeWidgetItem* aNode) {
    if (aParent)
        aParent->insertChild(aIndex, aNode);
    else
        aTree->insertTopLevelItem(aIndex, aNode);
}
int indexIn(QTreeWidget* aTree, QTreeWidgetItem* aNode) {
    return aNode->parent() ? aNode->parent()->indexOfChild(aNode) : aTree->indexOfTopLevelItem(aNode);
}
}  // namespace

void TppReportTreeView::MoveNodeBefore(QTreeWidgetItem* aNode, QTreeWidgetItem* aBefore) {
    if (!aNode || !aBefore || aNode == aBefore) return;
    const QSignalBlocker block(this);
    const bool expanded = aNode->isExpanded();
    detach(this, aNode);
    insertAt(this, aBefore->parent(), indexIn(this, aBefore), aNode);
    aNode->setExpanded(expanded);
}

void TppReportTreeView::MoveNodeAfter(QTreeWidgetItem* aNode, QTreeWidgetItem* aAfter) {
    if (!aNode || !aAfter || aNode == aAfter) return;
    const QSignalBlocker block(this);
    const bool expanded = aNode->isExpanded();
    detach(this, aNode);
    insertAt(this, aAfter->parent(), indexIn(this, aAfter) + 1, aNode);
    aNode->setExpanded(expanded);
}

void TppReportTreeView::MoveNodeFirst(QTreeWidgetItem* aNode) {
    if (!aNode) return;
    QTreeWidgetItem* parent = aNode->parent();
    const QSignalBlocker block(this);
    const bool expanded = aNode->isExpanded();
    detach(this, aNode);
    insertAt(this, parent, 0, aNode);
    aNode->setExpanded(expanded);
}

void TppReportTreeView::DeleteNode(QTreeWidgetItem* aNode) { delete aNode; }

void TppReportTreeView::ClearNodes() { clear(); }

void TppReportTreeView::EditNode(QTreeWidgetItem* aNode) {
    if (!aNode) return;
    setCurrentItem(aNode);
    editItem(aNode, 0);
}

bool TppReportTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == QAbstractItemView::NoEditTriggers || !index.isValid()) return QTreeWidget::edit(index, trigger, event);
    if (!(editTriggers() & trigger) && trigger != QAbstractItemView::AllEditTriggers) return false;
    QTreeWidgetItem* node = itemFromIndex(index);
    bool allow = false;
    if (OnEditing) {
        allow = true;
        OnEditing(this, node, allow);
    }
    if (!allow) return false;
    m_editing = true;
    const bool started = QTreeWidget::edit(index, trigger, event);
    if (!started) m_editing = false;
    return started;
}

void TppReportTreeView::itemEdited(QTreeWidgetItem* aItem, int aColumn) {
    if (!m_editing || aColumn != 0) return;
    m_editing = false;
    QString text = aItem->text(0);
    if (OnEdited) OnEdited(this, aItem, text);
    const QSignalBlocker block(this);
    aItem->setText(0, text);
}

void TppReportTreeView::keyPressEvent(QKeyEvent* e) {
    KeyHandler(e);
    if (e->key() == Qt::Key_F1 && m_builder) return;
    QTreeWidget::keyPressEvent(e);
}

void TppReportTreeView::mousePressEvent(QMouseEvent* e) {
    QTreeWidget::mousePressEvent(e);
    m_pressNode = DragEnabled && e->button() == Qt::LeftButton ? itemAt(e->position().toPoint()) : nullptr;
    m_pressPos = e->position().toPoint();
}

void TppReportTreeView::mouseMoveEvent(QMouseEvent* e) {
    if (m_pressNode && (e->buttons() & Qt::LeftButton) &&
        (e->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        QTreeWidgetItem* node = m_pressNode;
        m_pressNode = nullptr;
        if (OnStartDrag) OnStartDrag(this, node);
        return;
    }
    QTreeWidget::mouseMoveEvent(e);
}

// TppReportListView ------------------------------------------------------------------------------

QTreeWidgetItem* TppReportListView::Selected() const {
    QTreeWidgetItem* current = currentItem();
    if (current && current->isSelected()) return current;
    const QList<QTreeWidgetItem*> sel = selectedItems();
    return sel.isEmpty() ? nullptr : sel.first();
}

void TppReportListView::SelectItem(QTreeWidgetItem* aItem) {
    if (!aItem) return;
    setCurrentItem(aItem);
    aItem->setSelected(true);
}

void TppReportListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QTreeWidgetItem* item = itemFromIndex(index);
    if (item && OwnerDrawItems()) {
        auto* self = const_cast<TppReportListView*>(this);
        if (OnDrawItem)
            OnDrawItem(self, painter, item, option.rect);
        else
            self->DrawItem(painter, item, option.rect, item->isSelected(), currentItem() == item && hasFocus());
        return;
    }
    TppListView::drawRow(painter, option, index);
}


TppReportListView::TppReportListView(QWidget* aParent) : TppListView(aParent) {
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    connect(this, &QTreeWidget::itemChanged, this, &TppReportListView::itemEdited);
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { m_editing = false; });
}

TppReportListView::~TppReportListView() {
    m_destroying = true;
    if (m_builder) m_builder->SetList(nullptr);
}

void TppReportListView::DoAfterRefresh() {
    if (OnAfterRefresh) OnAfterRefresh(this);
}
void TppReportListView::DoBeforeRefresh() {
    if (OnBeforeRefresh) OnBeforeRefresh(this);
}
void TppReportListView::DoMessage(const QString& aText) {
    if (OnMessage) OnMessage(this, aText);
}

void TppReportListView::SetListedObject(QObject* aObject) {
    m_listed = aObject;
    Refresh();
}

void TppReportListView::SetBuilder(TppListBuilder* aBuilder) {
    if (m_builder == aBuilder) return;
    if (m_builder) m_builder->SetList(nullptr);
    m_builder = aBuilder;
    if (m_builder) {
        if (m_builder->List() && m_builder->List() != this) m_builder->List()->SetBuilder(nullptr);
        m_builder->SetList(this);
    }
}

void TppReportListView::KeyHandler(QKeyEvent* aKey) {
    showHelpOnF1(aKey, m_builder);
}

void TppReportListView::Refresh() {
    if (m_destroying || m_updateCount > 0) return;
    DoBeforeRefresh();
    m_refreshing = true;
    setUpdatesEnabled(false);
    {
        const auto finish = base::ScopeExit([this] { m_refreshing = false; });
        if (m_builder) m_builder->Build();
        if (isSortingEnabled()) sortItems(0, Qt::AscendingOrder);
    }
    if (topLevelItemCount() > 0 && selectedItems().isEmpty()) SelectItem(topLevelItem(0));
    setUpdatesEnabled(true);
    DoAfterRefresh();
}

void TppReportListView::LanguageChanged() {
    if (m_builder) m_builder->LanguageChanged();
}

void TppReportListView::EndUpdate() {
    if (m_updateCount <= 0) return;
    if (--m_updateCount == 0) Refresh();
}

void TppReportListView::AddObject(QObject* aObject) {
    if (m_builder) m_builder->AddObject(aObject);
}

void TppReportListView::RemoveObject(QObject* aObject) {
    QTreeWidgetItem* item = nullptr;
    if (m_builder && m_builder->FindItem(aObject, item)) delete item;
}

void TppReportListView::SelectObject(QObject* aObject) {
    QTreeWidgetItem* item = nullptr;
    if (m_builder && m_builder->FindItem(aObject, item)) {
        clearSelection();
        SelectItem(item);
    }
}

QObject* TppReportListView::GetSelectedObject() const { return ppNodeData(Selected()); }

void TppReportListView::RefreshObject(QObject* aObject) {
    QTreeWidgetItem* item = nullptr;
    if (!m_builder || !m_builder->FindItem(aObject, item)) return;
    if (auto* c = qobject_cast<TppCommunicator*>(aObject); c && c->UserName() != item->text(0)) {
        const QSignalBlocker block(this);
        item->setText(0, c->UserName());
        return;
    }
    QPointer<QObject> selected = GetSelectedObject();
    delete item;
    AddObject(aObject);
    if (selected) SelectObject(selected);
}

const QImage& TppReportListView::GripBitmap() {
    if (m_grip.isNull()) {
        TppGrippyBitmap grip;
        grip.DrawToBitmap(&m_grip);
    }
    return m_grip;
}

void TppReportListView::DrawItem(QPainter* aPainter, QTreeWidgetItem* aItem, const QRect& aRect, bool aSelected,
                                 bool aFocused) {
    Q_UNUSED(aFocused);
    const QPalette pal = palette();
    QImage work(QSize(std::max(1, aRect.width()), std::max(1, aRect.height())), QImage::Format_RGB32);
    work.fill(aSelected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    QPainter p(&work);
    p.setFont(font());
    const int first = columnWidth(0);
    const QRect cell(1, 1, std::max(0, first - 4 - 1), std::max(0, aRect.height() - 3 - 1));
    p.fillRect(cell, pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(cell.bottomLeft(), cell.bottomRight());
    p.drawLine(cell.topRight(), cell.bottomRight());
    const QImage& grip = GripBitmap();
    p.drawImage(3, 2, grip);
    const int textLeft = grip.width() + 4 + 2;
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(QRect(textLeft, 0, std::max(0, first - textLeft - 4), aRect.height()), Qt::AlignLeft | Qt::AlignVCenter,
               aItem->text(0));
    int x = first;
    for (int c = 1; c < columnCount(); ++c) {
        const int w = columnWidth(c);
        p.setPen(aSelected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        const bool right = (headerItem()->textAlignment(c) & Qt::AlignRight) != 0;
        p.drawText(QRect(x + 2, 0, std::max(0, w - 4), aRect.height()),
                   (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, aItem->text(c));
        p.setPen(pal.color(QPalette::Button));
        x += w;
        p.drawLine(x - 1, 0, x - 1, aRect.height());
    }
    p.end();
    aPainter->drawImage(aRect.topLeft(), work);
}

bool TppReportListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == QAbstractItemView::NoEditTriggers || !index.isValid()) return TppListView::edit(index, trigger, event);
    if (!(editTriggers() & trigger) && trigger != QAbstractItemView::AllEditTriggers) return false;
    QTreeWidgetItem* item = itemFromIndex(index);
    bool allow = false;
    if (OnEditing) {
        allow = true;
        OnEditing(this, item, allow);
    }
    if (!allow) return false;
    m_editing = true;
    const bool started = TppListView::edit(model()->index(index.row(), 0, index.parent()), trigger, event);
    if (!started) m_editing = false;
    return started;
}

void TppReportListView::itemEdited(QTreeWidgetItem* aItem, int aColumn) {
    if (!m_editing || aColumn != 0) return;
    m_editing = false;
    QString text = aItem->text(0);
    if (OnEdited) OnEdited(this, aItem, text);
    const QSignalBlocker block(this);
    aItem->setText(0, text);
}

void TppReportListView::keyPressEvent(QKeyEvent* e) {
    KeyHandler(e);
    if (e->key() == Qt::Key_F1 && m_builder) return;
    TppListView::keyPressEvent(e);
}

void TppReportListView::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    TppListView::mousePressEvent(e);
    m_dragItem = AllowReorder ? itemAt(e->position().toPoint()) : nullptr;
}

void TppReportListView::mouseReleaseEvent(QMouseEvent* e) {
    TppListView::mouseReleaseEvent(e);
    QTreeWidgetItem* source = m_dragItem;
    m_dragItem = nullptr;
    if (!AllowReorder || !source || !m_builder) return;
    QTreeWidgetItem* target = itemAt(e->position().toPoint());
    if (!target || target == source) return;
    QObject* selected = ppNodeData(source);
    auto* targetComponent = qobject_cast<TppComponent*>(ppNodeData(target));
    if (!selected || !targetComponent) return;
    m_builder->MoveObject(selected, targetComponent);
    RefreshObject(selected);
}

// TppTreeStates ----------------------------------------------------------------------------------

void TppTreeStates::Clear() {
    for (Slot& s : m_slots) s = Slot();
}

void TppTreeStates::SaveState(int aSlot) {
    if (aSlot < 0 || aSlot >= kSlots || !m_tree) return;
    Slot& s = m_slots[aSlot];
    const QList<QTreeWidgetItem*> nodes = m_tree->AllNodes();
    const int n = std::min(int(nodes.size()), kNodes);
    s.valid = true;
    s.expanded.assign(size_t(n), false);
    for (int i = 0; i < n; ++i) {
        s.expanded[size_t(i)] = nodes.at(i)->isExpanded();
        if (nodes.at(i) == m_tree->currentItem()) s.selected = i;
    }
}

bool TppTreeStates::RestoreState(int aSlot) {
    if (aSlot < 0 || aSlot >= kSlots || !m_tree) return false;
    const Slot& s = m_slots[aSlot];
    if (!s.valid || s.selected < 0) return false;
    m_tree->setUpdatesEnabled(false);
    const QList<QTreeWidgetItem*> nodes = m_tree->AllNodes();
    const int n = std::min(int(nodes.size()), kNodes);
    for (int i = 0; i < n; ++i) nodes.at(i)->setExpanded(size_t(i) < s.expanded.size() && s.expanded[size_t(i)]);
    if (s.selected < nodes.size()) m_tree->SelectNode(nodes.at(s.selected));
    m_tree->setUpdatesEnabled(true);
    if (QTreeWidgetItem* sel = m_tree->currentItem()) m_tree->scrollToItem(sel);
    return true;
}

// TppListStates ----------------------------------------------------------------------------------

void TppListStates::SaveState(int aSlot) {
    if (!m_list) return;
    QTreeWidgetItem* sel = m_list->Selected();
    if (!sel) return;
    if (m_captions.size() < aSlot + 1)
        m_captions.append(sel->text(0));
    else if (aSlot >= 0)
        m_captions[aSlot] = sel->text(0);
}

void TppListStates::RestoreState(int aSlot) {
    if (!m_list || aSlot < 0 || aSlot >= m_captions.size()) return;
    for (QTreeWidgetItem* item : m_list->Items())
        if (item->text(0) == m_captions.at(aSlot)) {
            m_list->clearSelection();
            m_list->SelectItem(item);
            return;
        }
}
