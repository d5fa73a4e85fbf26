#include "report/script/gui/code_toolbox.h"

#include "report/script/gui/script_gui_texts.h"
#include "report/script/members.h"
#include "report/script/values.h"
#include "report/model/communicator.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/pipeline_field.h"
#include "report/model/script_adapter.h"
#include "report/page/resource_manager.h"

#include "platform/ui/run_guarded.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

constexpr int kCategoryRole = Qt::UserRole + 10;
constexpr int kFieldRole = Qt::UserRole + 11;

/// The categories the Language tab shows, in order, with their texts and help keywords.
struct CategoryInfo {
    TraLangCategory category;
    int text;
    const char* keyword;
};
constexpr CategoryInfo kCategories[] = {
    {TraLangCategory::lcFunction, 986, "Orvel_Function"},   {TraLangCategory::lcStatement, 987, "Orvel_Statement"},
    {TraLangCategory::lcDataType, 988, "Orvel_DataType"},   {TraLangCategory::lcOperator, 989, "Orvel_Operator"},
    {TraLangCategory::lcEnumType, 990, "Orvel_Type"},
};

TraLangCategory categoryOf(const QTreeWidgetItem* aItem) {
    return static_cast<TraLangCategory>(aItem->data(0, kCategoryRole).toInt());
}

QString userNameOf(QObject* aObject) {
    if (auto* c = qobject_cast<TppCommunicator*>(aObject)) return c->UserName();
    return aObject ? aObject->objectName() : QString();
}

}  // namespace

// Drag texts ---------------------------------------------------------------------------------------

QString TraFieldDragDrop::DragText(const QTreeWidgetItem* aItem) const {
    QObject* pipeline = TraReportListView::ObjectOf(aItem);
    return userNameOf(pipeline) + QStringLiteral("['") + aItem->data(0, kFieldRole).toString() + QStringLiteral("']");
}

QString TraPropertyDragDrop::DragText(const QTreeWidgetItem* aItem) const {
    return userNameOf(TraReportListView::ObjectOf(aItem)) + QLatin1Char('.') + aItem->text(0);
}

QString TraLanguageDragDrop::DragText(const QTreeWidgetItem* aItem) const {
    const std::optional<TraLangInfoRec> rec = FindLanguageItem(categoryOf(aItem), aItem->text(0));
    return rec ? rec->Template : QString();
}

// Builders -----------------------------------------------------------------------------------------

void TraLanguageTreeBuilder::Build() {
    QTreeWidget* tree = m_explorer->Tree();
    tree->clear();
    for (const CategoryInfo& c : kCategories) {
        auto* root = new QTreeWidgetItem(tree);
        root->setText(0, GetLangCategoryName(c.category));
        root->setData(0, kCategoryRole, int(c.category));
        const std::unique_ptr<TraLangInfoList> list = CreateLangInfoList(c.category);
        QStringList groups;
        for (int i = 0; i < list->Count(); ++i) {
            const QString group = list->GetItem(i).Group;
            if (!group.isEmpty() && !groups.contains(group)) groups << group;
        }
        for (const QString& g : groups) {
            auto* child = new QTreeWidgetItem(root);
            child->setText(0, g);
            child->setData(0, kCategoryRole, int(c.category));
        }
    }
    tree->expandAll();
    QTreeWidgetItemIterator it(tree);
    if (*it && *(++it)) {
        tree->setCurrentItem(*it);
        tree->scrollToItem(*it);
    }
}

QString TraLanguageTreeBuilder::HelpKeyword() const {
    QTreeWidgetItem* node = m_explorer->Tree()->currentItem();
    if (!node) return QStringLiteral("Language_Orvel_Toolbox");
    QString keyword;
    for (const CategoryInfo& c : kCategories)
        if (c.category == categoryOf(node)) keyword = QString::fromLatin1(c.keyword);
    return node->parent() ? node->text(0) + QLatin1Char('_') + keyword : keyword;
}

void TraLanguageListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    list->setHeaderHidden(false);
    list->setColumnCount(2);
    list->setHeaderLabels({report::MessageText(953), report::MessageText(930)});
    list->setColumnWidth(0, 90);
    list->setColumnWidth(1, 300);
    QTreeWidgetItem* node = m_explorer->Tree()->currentItem();
    if (!node) return;
    m_explorer->SetListCaption(node->text(0));
    const TraLangCategory category = categoryOf(node);
    const QString group = node->parent() ? node->text(0) : QString();
    const std::unique_ptr<TraLangInfoList> items = CreateLangInfoList(category);
    for (int i = 0; i < items->Count(); ++i) {
        const TraLangInfoRec rec = items->GetItem(i);
        if (rec.Group != group) continue;
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, rec.Name);
        item->setText(1, rec.Definition);
        item->setData(0, kCategoryRole, int(category));
    }
}

QString TraLanguageListBuilder::HelpKeyword() const {
    QTreeWidgetItem* item = m_explorer->List()->currentItem();
    if (!item) return QStringLiteral("Language_Orvel_Toolbox");
    const std::optional<TraLangInfoRec> rec = FindLanguageItem(categoryOf(item), item->text(0));
    return rec ? GetLangHelpKeyword(*rec) : QStringLiteral("Language_Orvel_Toolbox");
}

void TraPropertyListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    list->setHeaderHidden(false);
    list->setColumnCount(4);
    list->setHeaderLabels({report::MessageText(953), report::MessageText(978), report::MessageText(982),
                           report::MessageText(965)});
    list->setColumnWidth(0, 100);
    list->setColumnWidth(1, 90);
    list->setColumnWidth(2, 90);
    list->setColumnWidth(3, 100);
    QObject* object = m_explorer->ListedObject();
    if (!object) return;
    if (auto* c = qobject_cast<TppCommunicator*>(object))
        m_explorer->SetListCaption(report::MessageText(963, {c->UserName()}));
    const TraClassManager& manager = raGetClassManager();
    TraPropList props;
    manager.GetPropList(object->metaObject(), props);
    for (const QString& name : props.Names()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, name);
        TraReportListView::SetObject(item, object);
        TraPropRec rec;
        if (!manager.GetPropRec(object->metaObject(), name, rec)) continue;
        if ((rec.DataType == TraDataType::daClass || rec.DataType == TraDataType::daMethod) && rec.ClassType)
            item->setText(1, QString::fromLatin1(rec.ClassType->className()));
        else if (rec.DataType == TraDataType::daEnum)
            item->setText(1, rec.TypeName);
        else
            item->setText(1, report::EnumName(rec.DataType).mid(2));
        if (rec.DataType != TraDataType::daUnknown && rec.DataType != TraDataType::daMethod && !rec.IsArray &&
            !(rec.Params && rec.Params->Count() > 0)) {
            std::unique_ptr<TraValue> node = manager.CreateValueNode(rec);
            if (node && manager.ReadMember(object, name, node.get())) {
                QString text;
                if (auto* o = dynamic_cast<TraObjectResolver*>(node.get())) {
                    if (auto* c = qobject_cast<TppCommunicator*>(o->GetObject())) text = c->UserName();
                } else if (auto* v = dynamic_cast<TraVariantValue*>(node.get())) {
                    text = script::IsNullVariant(v->Value()) ? QString() : node->GetText();
                } else {
                    text = node->GetText();
                }
                item->setText(2, text);
            }
        }
        item->setText(3, rec.ReadOnly ? QStringLiteral("True") : QString());
    }
    list->sortItems(0, Qt::AscendingOrder);
}

QString TraPropertyListBuilder::HelpFile() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("Marlisk.hlp") : QStringLiteral("Orvel.hlp");
}

QString TraPropertyListBuilder::HelpKeyword() const {
    QTreeWidgetItem* item = m_explorer->List()->currentItem();
    QObject* object = m_explorer->ListedObject();
    if (!item || !object) return QStringLiteral("Objects_Orvel_Toolbox");
    return QString::fromLatin1(object->metaObject()->className()) + QLatin1Char('_') + item->text(0);
}

void TraFieldListBuilder::Build() {
    TraReportListView* list = m_explorer->List();
    list->clear();
    list->setHeaderHidden(false);
    list->setColumnCount(3);
    list->setHeaderLabels({report::MessageText(953), report::MessageText(978), QStringLiteral("Size")});
    list->setColumnWidth(0, 120);
    list->setColumnWidth(1, 70);
    auto* pipeline = qobject_cast<TppDataPipeline*>(m_explorer->ListedObject());
    if (!pipeline) return;
    m_explorer->SetListCaption(pipeline->UserName());
    for (int i = 0; i < pipeline->GetFieldCount(); ++i) {
        TppField* field = pipeline->GetField(i);
        if (!field) continue;
        auto* item = new QTreeWidgetItem(list);
        const QString alias = field->FieldAlias().isEmpty() ? field->FieldName() : field->FieldAlias();
        item->setText(0, alias);
        item->setText(1, report::EnumName(field->DataType()).mid(2));
        item->setText(2, field->FieldLength() > 0 ? QString::number(field->FieldLength()) : QString());
        item->setData(0, kFieldRole, alias);
        TraReportListView::SetObject(item, pipeline);
    }
}

QString TraFieldListBuilder::HelpFile() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("Marlisk.hlp") : QStringLiteral("Orvel.hlp");
}

QString TraFieldListBuilder::HelpKeyword() const {
    return m_explorer->List()->currentItem() ? QStringLiteral("TppField_Object") : QStringLiteral("Language_Orvel_Toolbox");
}

// TraToolExplorer ----------------------------------------------------------------------------------

TraToolExplorer::TraToolExplorer(QWidget* aParent) : QWidget(aParent) {
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splToolbox"));
    auto* treePane = new QWidget(m_splitter);
    auto* listPane = new QWidget(m_splitter);
    m_treeCaption = new QLabel(treePane);
    m_treeCaption->setObjectName(QStringLiteral("lblToolTreeCaption"));
    m_treeCaption->setFrameShape(QFrame::Panel);
    m_treeCaption->setFrameShadow(QFrame::Raised);
    m_tree = new QTreeWidget(treePane);
    m_tree->setObjectName(QStringLiteral("tvwToolbox"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listCaption = new QLabel(listPane);
    m_listCaption->setObjectName(QStringLiteral("lblToolListCaption"));
    m_listCaption->setFrameShape(QFrame::Panel);
    m_listCaption->setFrameShadow(QFrame::Raised);
    m_list = new TraReportListView(listPane);
    m_list->setObjectName(QStringLiteral("lvwToolbox"));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSectionsClickable(false);
    for (auto [pane, caption, view] : {std::tuple<QWidget*, QLabel*, QWidget*>{treePane, m_treeCaption, m_tree},
                                       {listPane, m_listCaption, m_list}}) {
        auto* l = new QVBoxLayout(pane);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        l->addWidget(caption);
        l->addWidget(view);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_building) ui::RunGuarded(this, [&] { treeChange(); });
    });
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    m_tree->installEventFilter(this);
}

TraToolExplorer::~TraToolExplorer() = default;

void TraToolExplorer::SetReport(TppCustomReport* aReport) {
    m_report = aReport;
    Rebuild();
}

QObject* TraToolExplorer::ListedObject() const {
    QTreeWidgetItem* node = m_tree->currentItem();
    return node ? node->data(0, Qt::UserRole).value<QObject*>() : nullptr;
}

void TraToolExplorer::SetListCaption(const QString& aText) { m_listCaption->setText(QStringLiteral(" ") + aText); }
QString TraToolExplorer::TreeCaption() const { return m_treeCaption->text().trimmed(); }
QString TraToolExplorer::ListCaption() const { return m_listCaption->text().trimmed(); }

void TraToolExplorer::SetTab(int aTab) {
    m_building = true;
    if (m_tab >= 0 && m_tab < 3) m_states[m_tab] = script::gui::SaveExplorerState(m_tree, m_list);
    m_treeBuilder.reset();
    m_listBuilder.reset();
    m_drag.reset();
    m_tree->clear();
    m_list->clear();
    m_tab = aTab;
    switch (aTab) {
    case 0:
        m_listBuilder = std::make_unique<TraFieldListBuilder>(this);
        m_drag = std::make_unique<TraFieldDragDrop>();
        m_list->setSortingEnabled(false);
        break;
    case 1:
        m_listBuilder = std::make_unique<TraPropertyListBuilder>(this);
        m_drag = std::make_unique<TraPropertyDragDrop>();
        break;
    default:
        m_treeBuilder = std::make_unique<TraLanguageTreeBuilder>(this);
        m_listBuilder = std::make_unique<TraLanguageListBuilder>(this);
        m_drag = std::make_unique<TraLanguageDragDrop>();
        break;
    }
    m_building = false;
    LanguageChanged();
    Rebuild();
    m_building = true;
    script::gui::RestoreExplorerState(m_states[m_tab], m_tree, nullptr);
    m_building = false;
    treeChange();
    script::gui::RestoreExplorerState(m_states[m_tab], m_tree, m_list);
}

void TraToolExplorer::Rebuild() {
    m_building = true;
    switch (m_tab) {
    case 0:
        script::gui::FillDataTree(m_tree, m_report);
        if (m_tree->topLevelItemCount() > 0) m_tree->setCurrentItem(m_tree->topLevelItem(0));
        break;
    case 1:
        script::gui::FillObjectTree(m_tree, m_report);
        if (m_tree->topLevelItemCount() > 0) m_tree->setCurrentItem(m_tree->topLevelItem(0));
        break;
    case 2:
        if (m_treeBuilder) m_treeBuilder->Build();
        break;
    default:
        break;
    }
    m_building = false;
    treeChange();
}

void TraToolExplorer::treeChange() {
    m_building = true;
    SetListCaption(QString());
    if (m_listBuilder) m_listBuilder->Build();
    m_building = false;
}

QString TraToolExplorer::DragText(const QTreeWidgetItem* aItem) const {
    return aItem && m_drag ? m_drag->DragText(aItem) : QString();
}

void TraToolExplorer::LanguageChanged() {
    static const int captions[] = {916, 918, 917};
    if (m_tab >= 0 && m_tab < 3) m_treeCaption->setText(QStringLiteral(" ") + report::MessageText(captions[m_tab]));
}

void TraToolExplorer::SaveState(int aIndex) {
    if (aIndex == 0) m_saved = script::gui::SaveExplorerState(m_tree, m_list);
}

void TraToolExplorer::RestoreState(int aIndex) {
    if (aIndex != 0) return;
    m_building = true;
    script::gui::RestoreExplorerState(m_saved, m_tree, nullptr);
    m_building = false;
    treeChange();
    script::gui::RestoreExplorerState(m_saved, m_tree, m_list);
}

void TraToolExplorer::startDrag() {
    QTreeWidgetItem* item = m_list->currentItem();
    const QString text = DragText(item);
    if (text.isEmpty()) return;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("application/x-dossara-code"), text.toUtf8());
    auto* drag = new QDrag(m_list);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
}

bool TraToolExplorer::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_list->viewport()) {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* m = static_cast<QMouseEvent*>(e);
            m_pressPoint = m->position().toPoint();
            m_pressed = m_list->itemAt(m_pressPoint) != nullptr;
        } else if (e->type() == QEvent::MouseButtonRelease) {
            m_pressed = false;
        } else if (e->type() == QEvent::MouseMove && m_pressed) {
            auto* m = static_cast<QMouseEvent*>(e);
            if ((m->position().toPoint() - m_pressPoint).manhattanLength() >= 5 && m_list->currentItem()) {
                m_pressed = false;
                startDrag();
                return true;
            }
        }
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1 &&
        (watched == m_tree || watched == m_list)) {
        TraExplorerBuilder* builder = watched == m_list ? m_listBuilder.get() : m_treeBuilder.get();
        QString keyword = builder ? builder->HelpKeyword() : QStringLiteral("Language_Orvel_Toolbox");
        const QString file = builder ? builder->HelpFile() : QStringLiteral("Orvel.hlp");
        if (file == QLatin1String("Orvel.hlp")) script::gui::ShowOrvelHelp(keyword);
        else script::gui::ShowLibraryHelp(file, keyword);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// TraToolBox ---------------------------------------------------------------------------------------

TraToolBox::TraToolBox(QWidget* aParent) : QWidget(aParent) {
    setObjectName(QStringLiteral("TraToolBox"));
    m_explorer = new TraToolExplorer(this);
    m_explorer->setObjectName(QStringLiteral("TraToolExplorer"));
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("tbsToolbox"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setExpanding(false);
    for (int i = 0; i < 3; ++i) m_tabs->addTab(QString());
    m_tabs->setCurrentIndex(-1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_explorer);
    layout->addWidget(m_tabs);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index < 0) return;
        ui::RunGuarded(this, [&] {
            m_explorer->SetTab(index);
            m_explorer->Tree()->expandAll();
        });
    });
    LanguageChanged();
}

void TraToolBox::SetReport(TppCustomReport* aReport) {
    m_explorer->SetReport(aReport);
    if (m_explorer->Tab() < 0) {
        m_tabs->setCurrentIndex(0);
        if (m_explorer->Tab() < 0) m_explorer->SetTab(0);
    }
}

void TraToolBox::LanguageChanged() {
    static const int captions[] = {927, 960, 944};
    for (int i = 0; i < 3; ++i) m_tabs->setTabText(i, report::MessageText(captions[i]));
    m_explorer->LanguageChanged();
}
