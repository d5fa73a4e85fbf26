#include "report/designer/gui/tree_windows.h"

#include "report/designer/docking/drop_down_panel.h"
#include "report/designer/gui/report_wizard.h"
#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/graphic_components.h"
#include "report/model/custom_report.h"
#include "report/model/pipeline_field.h"
#include "report/model/report.h"
#include "report/model/subreport.h"
#include "report/model/text_components.h"
#include "report/page/report_font.h"
#include "report/page/resource_manager.h"

#include "platform/settings/ini_file.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

/// A font kept under a prefix: Name, Size, Color, Charset, Bold, Italic, Underline, StrikeOut.
void readFont(settings::IniFile& aIni, const QString& aSection, const QString& aPrefix, TppFont* aFont) {
    aFont->SetName(aIni.ReadString(aSection, aPrefix + QStringLiteral("Name"), QStringLiteral("Arial")));
    aFont->SetSize(aIni.ReadInteger(aSection, aPrefix + QStringLiteral("Size"), 12));
    aFont->SetColor(aIni.ReadInteger(aSection, aPrefix + QStringLiteral("Color"), paint::clWindowText));
    aFont->SetCharset(aIni.ReadInteger(aSection, aPrefix + QStringLiteral("Charset"), 1));
    paint::TFontStyles style;
    const std::pair<const char*, paint::TFontStyle> keys[] = {{"Bold", paint::TFontStyle::fsBold},
                                                               {"Italic", paint::TFontStyle::fsItalic},
                                                               {"Underline", paint::TFontStyle::fsUnderline},
                                                               {"StrikeOut", paint::TFontStyle::fsStrikeOut}};
    for (const auto& [key, s] : keys)
        if (aIni.ReadBool(aSection, aPrefix + QString::fromLatin1(key), false)) style.Include(s);
    aFont->SetStyle(style);
}

void writeFont(settings::IniFile& aIni, const QString& aSection, const QString& aPrefix, const TppFont* aFont) {
    aIni.WriteString(aSection, aPrefix + QStringLiteral("Name"), aFont->Name());
    aIni.WriteInteger(aSection, aPrefix + QStringLiteral("Size"), aFont->Size());
    aIni.WriteInteger(aSection, aPrefix + QStringLiteral("Color"), aFont->Color());
    aIni.WriteInteger(aSection, aPrefix + QStringLiteral("Charset"), aFont->Charset());
    aIni.WriteBool(aSection, aPrefix + QStringLiteral("Bold"), aFont->Style().Contains(paint::TFontStyle::fsBold));
    aIni.WriteBool(aSection, aPrefix + QStringLiteral("Italic"), aFont->Style().Contains(paint::TFontStyle::fsItalic));
    aIni.WriteBool(aSection, aPrefix + QStringLiteral("Underline"), aFont->Style().Contains(paint::TFontStyle::fsUnderline));
    aIni.WriteBool(aSection, aPrefix + QStringLiteral("StrikeOut"), aFont->Style().Contains(paint::TFontStyle::fsStrikeOut));
}

QWidget* makeClient(QWidget* aClient) {
    if (!aClient->layout()) {
        auto* l = new QVBoxLayout(aClient);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
    }
    return aClient;
}

}  // namespace

// TppDataTreeWindow ----------------------------------------------------------------------------------

TppDataTreeWindow::TppDataTreeWindow(QMainWindow* aOwner, const QString& aName)
    : TppToolWindow(aOwner, aName), m_labelFont(std::make_unique<TppFont>()), m_fieldFont(std::make_unique<TppFont>()) {
    report::DeclareReportTreeTexts();
    m_labelFont->SetName(QStringLiteral("Arial"));
    m_labelFont->SetSize(10);
    m_labelFont->SetStyle({paint::TFontStyle::fsBold});
    m_fieldFont->SetName(QStringLiteral("Arial"));
    m_fieldFont->SetSize(10);

    QWidget* client = makeClient(Client());
    m_pages = new QTabWidget(client);
    m_pages->setObjectName(QStringLiteral("pgcDataTree"));
    m_pages->setTabPosition(QTabWidget::South);
    client->layout()->addWidget(m_pages);
    m_dataPage = new QWidget;
    m_dataPage->setObjectName(QStringLiteral("tshData"));
    m_layoutPage = new QWidget;
    m_layoutPage->setObjectName(QStringLiteral("tshLayout"));
    m_pages->addTab(m_dataPage, QString());
    m_pages->addTab(m_layoutPage, QString());
    m_dataPage->resize(180, 280);
    m_explorer = std::make_unique<TppDataExplorer>(m_dataPage, true);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popDataTree"));
    m_refresh = m_popup->addAction(QString());
    m_refresh->setObjectName(QStringLiteral("mniRefresh"));
    connect(m_refresh, &QAction::triggered, this, [this] { Refresh(); });
    for (QWidget* view : {static_cast<QWidget*>(m_explorer->TreeView()), static_cast<QWidget*>(m_explorer->ListView())}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& p) { m_popup->popup(view->mapToGlobal(p)); });
    }
    m_explorer->ListView()->viewport()->installEventFilter(this);
    connect(m_pages, &QTabWidget::currentChanged, this, &TppDataTreeWindow::pageChanged);

    OnDockChanging = [this] { m_dockChanging = true; };
    OnDockChanged = [this] { m_dockChanging = false; };
    OnVisibleChanged = [this] {
        if (Visible() && !m_dockChanging) Refresh();
    };
    SetFloatLeft(3);
    SetFloatTop(107);
    SetClientSize(QSize(180, 305));
    LanguageChanged(0);
}

TppDataTreeWindow::~TppDataTreeWindow() {
    if (m_explorer) m_explorer->ListView()->viewport()->removeEventFilter(this);
    m_explorer.reset();
}

void TppDataTreeWindow::SetReport(TppCustomReport* aReport) {
    m_report = aReport;
    m_explorer->SetReport(aReport);
}

TppCustomReport* TppDataTreeWindow::Report() const { return m_report; }

void TppDataTreeWindow::LanguageChanged(int aLanguageIndex) {
    TppToolWindow::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(639));
    m_pages->setTabText(0, ppGetMessageText(141));
    m_pages->setTabText(1, ppGetMessageText(612));
    m_refresh->setText(ppGetMessageText(638));
    if (m_layoutManager) m_layoutManager->LanguageChanged(aLanguageIndex);
    m_explorer->LanguageChanged();
}

void TppDataTreeWindow::LoadSettings(settings::IniFile& aIniFile) {
    const QString s = QStringLiteral("AutoLayout");
    readFont(aIniFile, s, QStringLiteral("LabelFont"), m_labelFont.get());
    readFont(aIniFile, s, QStringLiteral("FieldFont"), m_fieldFont.get());
    LayoutType = aIniFile.ReadInteger(s, QStringLiteral("LayoutType"), 0);
    CreateLabels = aIniFile.ReadBool(s, QStringLiteral("CreateLabels"), true);
    CreateFields = aIniFile.ReadBool(s, QStringLiteral("CreateFields"), true);
    LabelGrid = aIniFile.ReadBool(s, QStringLiteral("LabelGrid"), false);
    FieldGrid = aIniFile.ReadBool(s, QStringLiteral("FieldGrid"), false);
    if (m_layoutManager) {
        auto onChange = std::move(m_layoutManager->OnChange);
        m_layoutManager->SetLabelFont(m_labelFont.get());
        m_layoutManager->SetFieldFont(m_fieldFont.get());
        m_layoutManager->SetLayoutType(LayoutType);
        m_layoutManager->SetCreateLabels(CreateLabels);
        m_layoutManager->SetCreateFields(CreateFields);
        m_layoutManager->SetLabelGrid(LabelGrid);
        m_layoutManager->SetFieldGrid(FieldGrid);
        m_layoutManager->OnChange = std::move(onChange);
    }
}

void TppDataTreeWindow::SaveSettings(settings::IniFile& aIniFile) {
    const QString s = QStringLiteral("AutoLayout");
    writeFont(aIniFile, s, QStringLiteral("LabelFont"), m_labelFont.get());
    writeFont(aIniFile, s, QStringLiteral("FieldFont"), m_fieldFont.get());
    aIniFile.WriteInteger(s, QStringLiteral("LayoutType"), LayoutType);
    aIniFile.WriteBool(s, QStringLiteral("CreateLabels"), CreateLabels);
    aIniFile.WriteBool(s, QStringLiteral("CreateFields"), CreateFields);
    aIniFile.WriteBool(s, QStringLiteral("LabelGrid"), LabelGrid);
    aIniFile.WriteBool(s, QStringLiteral("FieldGrid"), FieldGrid);
}

void TppDataTreeWindow::Refresh() {
    TppReportTreeView* tree = m_explorer->TreeView();
    m_explorer->ListView()->SetListedObject(nullptr);
    tree->Rebuild();
    if (tree->topLevelItemCount() > 0) {
        tree->SelectNode(tree->topLevelItem(0));
        if (QObject* o = ppNodeData(tree->topLevelItem(0))) m_explorer->ListView()->SetListedObject(o);
    }
}

void TppDataTreeWindow::pageChanged(int aIndex) {
    if (aIndex == 0 || m_layoutManager) return;
    m_layoutManager = new TppAutoLayoutManager(this, m_layoutPage);
    m_layoutManager->LanguageChanged(LanguageIndex());
    m_layoutManager->SetLabelFont(m_labelFont.get());
    m_layoutManager->SetFieldFont(m_fieldFont.get());
    m_layoutManager->SetLayoutType(LayoutType);
    m_layoutManager->SetCreateLabels(CreateLabels);
    m_layoutManager->SetCreateFields(CreateFields);
    m_layoutManager->SetLabelGrid(LabelGrid);
    m_layoutManager->SetFieldGrid(FieldGrid);
    m_layoutManager->UpdateEnabled();
    m_layoutManager->OnChange = [this](QObject*) { copySettingsFromManager(); };
}

void TppDataTreeWindow::copySettingsFromManager() {
    if (!m_layoutManager) return;
    m_labelFont->Assign(m_layoutManager->LabelFont());
    m_fieldFont->Assign(m_layoutManager->FieldFont());
    LayoutType = m_layoutManager->LayoutType() ? 1 : 0;
    CreateLabels = m_layoutManager->CreateLabels();
    CreateFields = m_layoutManager->CreateFields();
    LabelGrid = m_layoutManager->LabelGrid();
    FieldGrid = m_layoutManager->FieldGrid();
}

void TppDataTreeWindow::CreateComponentsForDrop(TppBand* aBand, int aX, int aY, QList<TppComponent*>& aList) {
    aList.clear();
    if (!aBand) return;
    QList<QObject*> fields;
    m_explorer->GetSelectedFields(fields);
    std::unique_ptr<TppAutoLayout> layout;
    if (LayoutType)
        layout = std::make_unique<TppAutoLayoutTabular>(aX, aY);
    else
        layout = std::make_unique<TppAutoLayoutVertical>(aX, aY);
    for (QObject* o : fields) {
        auto* field = qobject_cast<TppField*>(o);
        if (!field) continue;
        if (CreateLabels) {
            if (TppLabel* label = ppCreateFieldLabel(aBand, aBand, field, m_labelFont.get())) {
                layout->Labels << label;
                aList << label;
                if (LabelGrid)
                    if (TppComponent* box = ppCreateBorderShape(aBand, label)) {
                        layout->LabelBoxes << box;
                        aList << box;
                    }
            }
        }
        if (CreateFields) {
            if (TppComponent* c = ppCreateFieldComponent(aBand, aBand, field, m_fieldFont.get())) {
                layout->Fields << c;
                aList << c;
                if (FieldGrid)
                    if (TppComponent* box = ppCreateBorderShape(aBand, c)) {
                        layout->FieldBoxes << box;
                        aList << box;
                    }
            }
        }
    }
    layout->Arrange();
}

bool TppDataTreeWindow::eventFilter(QObject* watched, QEvent* e) {
    if (!m_explorer || watched != m_explorer->ListView()->viewport()) return TppToolWindow::eventFilter(watched, e);
    auto* me = static_cast<QMouseEvent*>(e);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        m_pressed = me->button() == Qt::LeftButton;
        m_dragging = false;
        m_pressPos = me->globalPosition().toPoint();
        break;
    case QEvent::MouseMove:
        if (m_dragging) return true;
        if (m_pressed && (me->buttons() & Qt::LeftButton) && m_explorer->ListView()->Selected() &&
            (me->globalPosition().toPoint() - m_pressPos).manhattanLength() >= 5) {
            m_dragging = true;
            QApplication::setOverrideCursor(Qt::DragCopyCursor);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        m_pressed = false;
        if (m_dragging) {
            m_dragging = false;
            QApplication::restoreOverrideCursor();
            if (m_explorer->ListView()->Selected() && OnFieldsDropped)
                OnFieldsDropped(this, me->globalPosition().toPoint());
            return true;
        }
        break;
    default:
        break;
    }
    return TppToolWindow::eventFilter(watched, e);
}

// TppReportTreeWindow --------------------------------------------------------------------------------

TppReportTreeWindow::TppReportTreeWindow(QMainWindow* aOwner, const QString& aName) : TppToolWindow(aOwner, aName) {
    report::DeclareReportTreeTexts();
    QWidget* client = makeClient(Client());
    m_splitter = new QSplitter(Qt::Vertical, client);
    m_splitter->setObjectName(QStringLiteral("splOutline"));
    m_splitter->setHandleWidth(2);
    m_splitter->setChildrenCollapsible(false);
    client->layout()->addWidget(m_splitter);
    m_images = new TppClassImageList(this);

    m_outlinePane = new QWidget(m_splitter);
    m_outlinePane->setObjectName(QStringLiteral("pnlOutline"));
    auto* ol = new QVBoxLayout(m_outlinePane);
    ol->setContentsMargins(0, 0, 0, 0);
    ol->setSpacing(0);
    m_outlineCaption = new TppBevel(m_outlinePane);
    m_outlineCaption->setObjectName(QStringLiteral("bvlOutline"));
    ol->addWidget(m_outlineCaption);
    m_outline = new TppReportTreeView(m_outlinePane);
    m_outline->setObjectName(QStringLiteral("tvwOutline"));
    m_outline->SetImages(m_images);
    ol->addWidget(m_outline);
    m_outlineBuilder = std::make_unique<TppReportOutlineTreeBuilder>(m_outline);
    m_outlinePane->hide();

    m_objectPane = new QWidget(m_splitter);
    m_objectPane->setObjectName(QStringLiteral("pnlObjects"));
    auto* bl = new QVBoxLayout(m_objectPane);
    bl->setContentsMargins(0, 0, 0, 0);
    bl->setSpacing(0);
    m_objectCaption = new TppBevel(m_objectPane);
    m_objectCaption->setObjectName(QStringLiteral("bvlObjects"));
    bl->addWidget(m_objectCaption);
    m_objects = new TppReportTreeView(m_objectPane);
    m_objects->setObjectName(QStringLiteral("tvwObjects"));
    m_objects->SetImages(m_images);
    m_objects->SetShowReportNode(false);
    bl->addWidget(m_objects);
    m_objectBuilder = std::make_unique<TppReportObjectTreeBuilder>(m_objects);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_states = std::make_unique<TppTreeStates>(m_outline);

    m_objects->OnChange = [this](QObject*, QTreeWidgetItem*) {
        if (!m_eventsEnabled || m_objects->Rebuilding()) return;
        m_eventsEnabled = false;
        if (OnObjectSelect) OnObjectSelect(this);
        m_eventsEnabled = true;
    };
    m_outline->OnChange = [this](QObject*, QTreeWidgetItem*) {
        if (!m_eventsEnabled || m_outline->Rebuilding()) return;
        m_eventsEnabled = false;
        if (OnReportSelect) OnReportSelect(this);
        m_eventsEnabled = true;
    };
    m_objects->OnEditing = [](QObject*, QTreeWidgetItem* n, bool& allow) {
        allow = qobject_cast<TppComponent*>(ppNodeData(n)) != nullptr;
    };
    m_objects->OnEdited = [this](QObject*, QTreeWidgetItem* n, QString& text) { objectEdited(n, text); };
    m_outline->OnEditing = [](QObject*, QTreeWidgetItem*, bool& allow) { allow = false; };

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popReportTree"));
    auto add = [this](const char* name, bool checkable, bool checked) {
        QAction* a = m_popup->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        a->setChecked(checked);
        return a;
    };
    QAction* outline = add("mniReportOutline", true, false);
    QAction* objects = add("mniObjectOutline", true, true);
    m_popup->addSeparator()->setObjectName(QStringLiteral("mniLine1"));
    QAction* titles = add("mniShowTitle", true, true);
    m_popup->addSeparator()->setObjectName(QStringLiteral("mniLine2"));
    QAction* rename = add("mniRename", false, false);
    connect(outline, &QAction::triggered, this, [this] { ShowPanes(!m_outlinePane->isVisibleTo(this), m_objectPane->isVisibleTo(this)); });
    connect(objects, &QAction::triggered, this, [this] { ShowPanes(m_outlinePane->isVisibleTo(this), !m_objectPane->isVisibleTo(this)); });
    connect(titles, &QAction::triggered, this, [this] { SetShowTitles(!m_titleBarVisible); });
    connect(rename, &QAction::triggered, this, [this] {
        TppReportTreeView* tree = m_outline->hasFocus() ? m_outline : m_objects;
        tree->EditNode(tree->currentItem());
    });
    connect(m_popup, &QMenu::aboutToShow, this, &TppReportTreeWindow::popupOpening);
    for (TppReportTreeView* view : {m_outline, m_objects}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& p) { m_popup->popup(view->mapToGlobal(p)); });
    }

    OnRecreating = [this] { Recreating(); };
    OnRecreated = [this] { Recreated(); };
    OnDockChanging = [this] { Recreating(); };
    OnDockChanged = [this] { Recreated(); };
    SetFloatLeft(3);
    SetFloatTop(107);
    SetClientSize(QSize(180, 305));
    LanguageChanged(0);
}

TppReportTreeWindow::~TppReportTreeWindow() {
    m_destroying = true;
    m_objects->OnChange = nullptr;
    m_outline->OnChange = nullptr;
    m_states.reset();
    m_outlineBuilder.reset();
    m_objectBuilder.reset();
}

void TppReportTreeWindow::SetReport(QObject* aReport) {
    if (m_destroying) return;
    m_report = aReport;
    m_eventsEnabled = false;
    m_objects->SetReport(aReport);
    m_eventsEnabled = true;
    auto* held = qobject_cast<TppCustomReport*>(m_outline->Report());
    auto* report = qobject_cast<TppCustomReport*>(aReport);
    // The outline holds the designed main report; another main report replaces it.
    if (held && (!report || report->GetMainReport() == held)) {
        SelectInOutline(aReport);
        return;
    }
    m_eventsEnabled = false;
    m_outline->SetReport(report ? report->GetMainReport() : nullptr);
    m_eventsEnabled = true;
    ShowPanes(m_outline->NodeCount() > 1, true);
    SelectInOutline(aReport);
}

void TppReportTreeWindow::ShowPanes(bool aOutline, bool aObjects) {
    if (!aOutline && !aObjects) aObjects = true;
    m_outlinePane->setVisible(aOutline);
    m_objectPane->setVisible(aObjects);
    if (aOutline && aObjects) m_splitter->setSizes({71, std::max(1, m_splitter->height() - 73)});
    m_popup->findChild<QAction*>(QStringLiteral("mniReportOutline"))->setChecked(aOutline);
    m_popup->findChild<QAction*>(QStringLiteral("mniObjectOutline"))->setChecked(aObjects);
}

void TppReportTreeWindow::SetShowTitles(bool aValue) {
    m_titleBarVisible = aValue;
    m_outlineCaption->setVisible(aValue);
    m_objectCaption->setVisible(aValue);
    m_popup->findChild<QAction*>(QStringLiteral("mniShowTitle"))->setChecked(aValue);
}

void TppReportTreeWindow::SelectInObjectTree(QObject* aObject) {
    if (aObject == m_objects->GetSelectedObject() || !m_eventsEnabled) return;
    m_eventsEnabled = false;
    QTreeWidgetItem* node = nullptr;
    m_objects->FindNode(aObject, node);
    m_objects->SelectNode(node);
    m_eventsEnabled = true;
}

void TppReportTreeWindow::SelectInOutline(QObject* aReport) {
    if (aReport == m_outline->GetSelectedObject() || !m_eventsEnabled) return;
    m_eventsEnabled = false;
    QTreeWidgetItem* node = nullptr;
    if (aReport && !m_outline->FindNode(aReport, node)) {
        m_outline->Rebuild();
        m_outline->FindNode(aReport, node);
    }
    m_outline->SelectNode(node);
    m_eventsEnabled = true;
}

void TppReportTreeWindow::AddToOutline(const QString& aName, TppCustomReport* aChildReport) {
    Q_UNUSED(aName);
    m_eventsEnabled = false;
    m_outline->AddObject(aChildReport);
    m_eventsEnabled = true;
    if (m_outline->NodeCount() == 2) ShowPanes(true, true);
}

void TppReportTreeWindow::RemoveFromOutline(QObject* aObject) {
    m_eventsEnabled = false;
    m_outline->RemoveObject(aObject);
    m_eventsEnabled = true;
    if (m_outline->NodeCount() == 1) ShowPanes(false, true);
}

void TppReportTreeWindow::AddToObjectTree(QObject* aObject) {
    QTreeWidgetItem* node = nullptr;
    if (m_objects->FindNode(aObject, node)) return;
    m_eventsEnabled = false;
    m_objects->AddObject(aObject);
    m_eventsEnabled = true;
}

void TppReportTreeWindow::RemoveFromObjectTree(QObject* aObject) {
    m_eventsEnabled = false;
    m_objects->RemoveObject(aObject);
    m_eventsEnabled = true;
}

void TppReportTreeWindow::RefreshSubReport(TppSubReport* aSubReport) {
    if (!aSubReport) return;
    QTreeWidgetItem* node = nullptr;
    if (aSubReport->Report() && m_outline->FindNode(aSubReport->Report(), node)) node->setText(0, aSubReport->UserName());
    m_objects->RefreshObject(aSubReport);
}

void TppReportTreeWindow::RebuildObjectTree() {
    m_objects->BeginUpdate();
    m_objects->EndUpdate();
}

void TppReportTreeWindow::LanguageChanged(int aLanguageIndex) {
    TppToolWindow::LanguageChanged(aLanguageIndex);
    SetCaption(ppGetMessageText(391));
    m_outlineCaption->SetCaption(ppGetMessageText(390));
    m_objectCaption->SetCaption(ppGetMessageText(631));
    const std::pair<const char*, int> items[] = {
        {"mniReportOutline", 390}, {"mniObjectOutline", 631}, {"mniShowTitle", 632}, {"mniRename", 542}};
    for (const auto& [name, text] : items)
        m_popup->findChild<QAction*>(QString::fromLatin1(name))->setText(ppGetMessageText(text));
}

void TppReportTreeWindow::LoadSettings(settings::IniFile& aIniFile) {
    SetShowTitles(aIniFile.ReadBool(QStringLiteral("ReportOutline"), QStringLiteral("TitleBarVisible"), true));
}

void TppReportTreeWindow::SaveSettings(settings::IniFile& aIniFile) {
    aIniFile.WriteBool(QStringLiteral("ReportOutline"), QStringLiteral("TitleBarVisible"), m_titleBarVisible);
}

void TppReportTreeWindow::Recreating() {
    m_states->SetTree(m_outline);
    m_states->SaveState(1);
    m_eventsEnabled = false;
    m_outline->ClearNodes();
    m_objects->ClearNodes();
    m_eventsEnabled = true;
}

void TppReportTreeWindow::Recreated() {
    m_eventsEnabled = false;
    m_outline->Rebuild();
    m_objects->Rebuild();
    m_states->SetTree(m_outline);
    m_states->RestoreState(1);
    m_eventsEnabled = true;
}

void TppReportTreeWindow::popupOpening() {
    TppReportTreeView* tree = m_outline->hasFocus() ? m_outline : m_objects->hasFocus() ? m_objects : nullptr;
    m_popup->findChild<QAction*>(QStringLiteral("mniRename"))
        ->setVisible(tree && qobject_cast<TppComponent*>(tree->GetSelectedObject()) != nullptr);
}

void TppReportTreeWindow::objectEdited(QTreeWidgetItem* aNode, QString& aText) {
    auto* c = qobject_cast<TppComponent*>(ppNodeData(aNode));
    if (!c) return;
    const QString old = c->UserName();
    c->SetUserName(aText);
    if (c->UserName() == aText) return;
    // A taken name is numbered by the component ("Title1"): the refusal keeps the old name.
    if (c->UserName() != old) c->SetUserName(old);
    const int number = report::IsValidIdent(aText) ? 641 : 640;
    if (OnMessage) OnMessage(this, report::MessageText(number, {aText}));
    aText = c->UserName();
}
