#include "report/designer/gui/report_wizard.h"

#include "report/designer/gui/report_wizard_dialog.h"
#include "report/designer/gui/report_wizard_styles.h"
#include "report/designer/gui/wizard_pictures.h"
#include "report/model/band_classes.h"
#include "report/model/component_services.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/image_components.h"
#include "report/model/memo.h"
#include "report/model/pipeline_field.h"
#include "report/model/report.h"
#include "report/model/report_template.h"
#include "report/model/report_utils.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/output/meta_bitmap.h"
#include "report/page/printer_setup.h"
#include "report/page/resource_manager.h"

#include "platform/ui/dialog_service.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

TppField* fieldOf(const std::pair<QString, QObject*>& aEntry) { return qobject_cast<TppField*>(aEntry.second); }

int indexOfField(const TppFieldList& aList, const QObject* aField) {
    for (int i = 0; i < aList.size(); ++i)
        if (aList.at(i).second == aField) return i;
    return -1;
}

/// The field an item of a field list stands for.
QObject* itemField(const QListWidgetItem* aItem) { return aItem->data(Qt::UserRole).value<QObject*>(); }

QListWidgetItem* fieldItem(const std::pair<QString, QObject*>& aEntry) {
    auto* item = new QListWidgetItem(aEntry.first);
    item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(aEntry.second));
    return item;
}

bool showsText(const TppComponent* c) {
    return qobject_cast<const TppCustomText*>(c) || qobject_cast<const TppCustomMemo*>(c);
}

void setPicture(QLabel* aLabel, const QImage& aImage) {
    if (aLabel) aLabel->setPixmap(QPixmap::fromImage(aImage));
}

/// Rounds to the nearest whole number, ties to the even one.
int roundHalfEven(double v) { return int(std::nearbyint(v)); }

}  // namespace

QString ppReportStyleClassName(TppReportStyleType aStyle) {
    static const char* names[] = {"Bold", "Casual", "Compact", "Corporate", "Formal", "SoftGray"};
    return QStringLiteral("Tpp%1Style").arg(QString::fromLatin1(names[int(aStyle)]));
}

QString ppReportLayoutClassName(TppReportLayoutType aLayout) {
    static const char* names[] = {"Vertical", "Tabular", "Stepped", "Block", "Outline1", "Outline2", "AlignLeft1", "AlignLeft2"};
    return QStringLiteral("Tpp%1Layout").arg(QString::fromLatin1(names[int(aLayout)]));
}

TppReportWizard::TppReportWizard(TComponent* aOwner) : TppCustomReportWizard(aOwner) {
    report::DeclareReportWizardTexts();
    report::RegisterWizardStylesAndLayouts();
}

TppReportWizard::~TppReportWizard() { delete m_dialog; }

QString TppReportWizard::ClassCaption(TClass) {
    report::DeclareReportWizardTexts();
    return ppGetMessageText(620);
}

QImage TppReportWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPREPORTWIZARD")); }

int TppReportWizard::CurrentPage() const { return m_dialog ? m_dialog->nbkWizard->currentIndex() : 0; }

bool TppReportWizard::Execute() {
    DataNames.clear();
    DoGetDataNames(DataNames);
    DataNames.insert(0, ppGetMessageText(343));

    delete m_dialog;
    m_dialog = new TppReportWizardDialog(this);
    TppReportWizardDialog* d = m_dialog;
    ppSetFormLanguageIndex(d, int(Language));

    d->nbkWizard->setCurrentIndex(0);
    setPicture(d->imgSelectFields, ppCreateMetaBitmap([] { return std::make_unique<TppWizardFieldsBitmap>(); }));
    setPicture(d->imgFinish, ppCreateMetaBitmap([] { return std::make_unique<TppWizardFieldsBitmap>(); }));
    const QList<QRadioButton*> layouts = d->LayoutButtons();
    for (int i = 0; i < layouts.size(); ++i) layouts[i]->setProperty("tag", i);
    for (QRadioButton* b : {d->rdbSimplePortrait, d->rdbGroupPortrait}) b->setProperty("tag", 0);
    for (QRadioButton* b : {d->rdbSimpleLandscape, d->rdbGroupLandscape}) b->setProperty("tag", 1);
    SetStyle(TppReportStyleType::rsCorporate);
    d->cbxDataName->addItems(DataNames);
    const int found = d->cbxDataName->findText(DataName());
    if (!DataName().isEmpty() && found >= 0) {
        d->cbxDataName->setCurrentIndex(found);
        SetDataName(DataName());
    } else if (d->cbxDataName->count() > 1) {
        d->cbxDataName->setCurrentIndex(1);
        SetDataName(d->cbxDataName->itemText(1));
    } else {
        RebuildGroupLists();
    }
    SetLayout(TppReportLayoutType::rlTabular);
    SetOrientation(0);
    d->lblDescription->setVisible(ShowDescription);
    d->edtDescription->setVisible(ShowDescription);
    setPage(0);
    if (OnDialogCreated) OnDialogCreated(d);

    const bool finished = d->ShowModal() == report::ModalResult::mrOk;
    bool answer = false;
    if (finished) {
        answer = true;
        Report = DoCreateReport(DataName());
        if (Report) {
            if (Report->BandCount() == 0) Report->CreateDefaultBands();
            BuildReport();
        }
    }
    delete m_dialog;
    m_dialog = nullptr;
    return answer;
}

void TppReportWizard::SetDataName(const QString& aName) {
    TppCustomReportWizard::SetDataName(aName);
    SelectedFields.clear();
    AllFields.clear();
    DoGetFields(DataName(), AllFields);
    if (m_dialog) {
        m_dialog->lbxFieldsAvailable->clear();
        m_dialog->lbxFieldsSelected->clear();
        for (const auto& entry : AllFields) m_dialog->lbxFieldsAvailable->addItem(fieldItem(entry));
        if (m_dialog->lbxFieldsAvailable->count() > 0) m_dialog->lbxFieldsAvailable->item(0)->setSelected(true);
        m_dialog->lbxFieldsAvailable->setCurrentRow(m_dialog->lbxFieldsAvailable->count() > 0 ? 0 : -1);
        updateFieldButtons();
    }
    RebuildGroupLists();
}

void TppReportWizard::updateOrders() {
    for (const auto& entry : AllFields) {
        if (TppField* f = fieldOf(entry)) {
            f->SetSelectOrder(indexOfField(SelectedFields, f));
            f->SetGroupOrder(indexOfField(GroupFields, f));
        }
    }
}

void TppReportWizard::moveItems(QListWidget* aFrom, QListWidget* aTo, bool aAll, bool aFirstWhenEnded) {
    std::vector<int> rows;
    for (int i = 0; i < aFrom->count(); ++i)
        if (aAll || aFrom->item(i)->isSelected()) rows.push_back(i);
    if (rows.empty()) return;
    const int firstRow = rows.front();
    QList<QListWidgetItem*> taken;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) taken.prepend(aFrom->takeItem(*it));
    aTo->clearSelection();
    for (QListWidgetItem* item : taken) aTo->addItem(item);
    aTo->clearSelection();
    taken.back()->setSelected(true);
    aTo->setCurrentItem(taken.back(), QItemSelectionModel::SelectCurrent);
    if (aFrom->count() > 0) {
        aFrom->clearSelection();
        const int row = firstRow < aFrom->count() ? firstRow : (aFirstWhenEnded ? 0 : aFrom->count() - 1);
        aFrom->item(row)->setSelected(true);
        aFrom->setCurrentRow(row, QItemSelectionModel::SelectCurrent);
        aFrom->setFocus();
    }
}

void TppReportWizard::SelectFields(bool aAll) {
    if (!m_dialog) return;
    moveItems(m_dialog->lbxFieldsAvailable, m_dialog->lbxFieldsSelected, aAll, false);
    SelectedFields.clear();
    for (int i = 0; i < m_dialog->lbxFieldsSelected->count(); ++i) {
        QListWidgetItem* item = m_dialog->lbxFieldsSelected->item(i);
        SelectedFields.append({item->text(), itemField(item)});
    }
    updateOrders();
    updateFieldButtons();
}

void TppReportWizard::DeselectFields(bool aAll) {
    if (!m_dialog) return;
    moveItems(m_dialog->lbxFieldsSelected, m_dialog->lbxFieldsAvailable, aAll, false);
    SelectedFields.clear();
    for (int i = 0; i < m_dialog->lbxFieldsSelected->count(); ++i) {
        QListWidgetItem* item = m_dialog->lbxFieldsSelected->item(i);
        SelectedFields.append({item->text(), itemField(item)});
    }
    updateOrders();
    updateFieldButtons();
}

void TppReportWizard::MoveSelectedField(int aDelta) {
    if (!m_dialog) return;
    QListWidget* list = m_dialog->lbxFieldsSelected;
    const int row = list->currentRow();
    const int target = row + aDelta;
    if (row < 0 || target < 0 || target >= list->count()) return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(target, item);
    list->clearSelection();
    item->setSelected(true);
    list->setCurrentItem(item);
    SelectedFields.move(row, target);
    updateOrders();
}

void TppReportWizard::updateFieldButtons() {
    if (!m_dialog) return;
    const bool available = m_dialog->lbxFieldsAvailable->count() > 0;
    const bool selected = m_dialog->lbxFieldsSelected->count() > 0;
    m_dialog->spbSelectField->setEnabled(available);
    m_dialog->spbSelectAllFields->setEnabled(available);
    m_dialog->spbDeselectField->setEnabled(selected);
    m_dialog->spbDeselectAllFields->setEnabled(selected);
    m_dialog->spbMoveFieldUp->setEnabled(selected);
    m_dialog->spbMoveFieldDown->setEnabled(selected);
}

void TppReportWizard::RebuildGroupLists() {
    GroupFields.clear();
    if (m_dialog) {
        m_dialog->lbxGroupFieldsAvailable->clear();
        m_dialog->lbxGroupFieldsSelected->clear();
        for (const auto& entry : AllFields) {
            TppField* f = fieldOf(entry);
            if (f && f->Sortable() && indexOfField(SelectedFields, f) >= 0)
                m_dialog->lbxGroupFieldsAvailable->addItem(fieldItem(entry));
        }
        if (m_dialog->lbxGroupFieldsAvailable->count() > 0) {
            m_dialog->lbxGroupFieldsAvailable->item(0)->setSelected(true);
            m_dialog->lbxGroupFieldsAvailable->setCurrentRow(0, QItemSelectionModel::SelectCurrent);
        }
    }
    updateOrders();
    drawGroupsPicture();
    updateGroupButtons();
}

void TppReportWizard::AddGroups() {
    if (!m_dialog || !m_dialog->spbSelectGroupField->isEnabled()) return;
    moveItems(m_dialog->lbxGroupFieldsAvailable, m_dialog->lbxGroupFieldsSelected, false, true);
    GroupFields.clear();
    for (int i = 0; i < m_dialog->lbxGroupFieldsSelected->count(); ++i) {
        QListWidgetItem* item = m_dialog->lbxGroupFieldsSelected->item(i);
        GroupFields.append({item->text(), itemField(item)});
    }
    updateOrders();
    drawGroupsPicture();
    updateGroupButtons();
}

void TppReportWizard::RemoveGroups() {
    if (!m_dialog) return;
    moveItems(m_dialog->lbxGroupFieldsSelected, m_dialog->lbxGroupFieldsAvailable, false, true);
    GroupFields.clear();
    for (int i = 0; i < m_dialog->lbxGroupFieldsSelected->count(); ++i) {
        QListWidgetItem* item = m_dialog->lbxGroupFieldsSelected->item(i);
        GroupFields.append({item->text(), itemField(item)});
    }
    updateOrders();
    drawGroupsPicture();
    updateGroupButtons();
}

void TppReportWizard::MoveGroup(int aDelta) {
    if (!m_dialog) return;
    QListWidget* list = m_dialog->lbxGroupFieldsSelected;
    const int row = list->currentRow();
    const int target = row + aDelta;
    if (row < 0 || target < 0 || target >= list->count()) return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(target, item);
    list->clearSelection();
    item->setSelected(true);
    list->setCurrentItem(item);
    GroupFields.move(row, target);
    updateOrders();
    drawGroupsPicture();
}

void TppReportWizard::updateGroupButtons() {
    if (!m_dialog) return;
    const bool available = m_dialog->lbxGroupFieldsAvailable->count() > 0;
    const bool groups = m_dialog->lbxGroupFieldsSelected->count() > 0;
    m_dialog->spbSelectGroupField->setEnabled(available && GroupFields.size() < 3);
    m_dialog->spbDeselectGroupField->setEnabled(groups);
    m_dialog->spbMoveGroupUp->setEnabled(groups);
    m_dialog->spbMoveGroupDown->setEnabled(groups);
}

void TppReportWizard::drawGroupsPicture() {
    if (!m_dialog) return;
    QStringList groups;
    for (const auto& entry : GroupFields) groups << entry.first;
    QStringList available;
    for (int i = 0; i < m_dialog->lbxGroupFieldsAvailable->count(); ++i)
        available << m_dialog->lbxGroupFieldsAvailable->item(i)->text();
    setPicture(m_dialog->imgGroups, ppGroupsPicture(groups, available));
}

void TppReportWizard::drawLayoutPictures() {
    if (!m_dialog) return;
    const bool grouped = !GroupFields.isEmpty();
    setPicture(grouped ? m_dialog->imgGroupLayout : m_dialog->imgSimpleLayout, ppLayoutPicture(Layout));
    const QImage orientation = Orientation == 0 ? ppCreateMetaBitmap([] { return std::make_unique<TppPortraitBitmap>(); })
                                                : ppCreateMetaBitmap([] { return std::make_unique<TppLandscapeBitmap>(); });
    setPicture(grouped ? m_dialog->imgGroupOrientation : m_dialog->imgSimpleOrientation, orientation);
}

void TppReportWizard::SetLayout(TppReportLayoutType aLayout) {
    Layout = aLayout;
    if (m_dialog) {
        QRadioButton* b = m_dialog->LayoutButtons().value(int(aLayout));
        if (b && !b->isChecked()) b->setChecked(true);
    }
    drawLayoutPictures();
}

void TppReportWizard::SetOrientation(int aOrientation) {
    Orientation = aOrientation;
    if (m_dialog) {
        for (QRadioButton* b : {m_dialog->rdbSimplePortrait, m_dialog->rdbSimpleLandscape, m_dialog->rdbGroupPortrait,
                                m_dialog->rdbGroupLandscape})
            if (b->property("tag").toInt() == aOrientation && !b->isChecked()) b->setChecked(true);
    }
    drawLayoutPictures();
}

void TppReportWizard::SetStyle(TppReportStyleType aStyle) {
    Style = aStyle;
    if (!m_dialog) return;
    if (m_dialog->lbxStyles->currentRow() != int(aStyle)) m_dialog->lbxStyles->setCurrentRow(int(aStyle));
    setPicture(m_dialog->imgStyle, ppStylePicture(aStyle));
}

void TppReportWizard::SetAdjustFieldWidths(bool aAdjust) {
    AdjustFieldWidths = aAdjust;
    if (!m_dialog) return;
    for (QCheckBox* box : {m_dialog->cbxSimpleAdjustField, m_dialog->cbxGroupAdjustField}) {
        const QSignalBlocker block(box);
        box->setChecked(aAdjust);
    }
}

void TppReportWizard::setPage(int aPage) {
    if (!m_dialog) return;
    TppReportWizardDialog* d = m_dialog;
    d->nbkWizard->setCurrentIndex(aPage);
    d->btnBack->setEnabled(aPage > 0);
    d->btnNext->setEnabled(aPage < 5);
    d->btnFinish->setEnabled(true);
    switch (aPage) {
    case 0: d->cbxDataName->setFocus(); break;
    case 1: d->lbxGroupFieldsAvailable->setFocus(); break;
    case 2: d->gbxSimpleLayout->setFocus(); break;
    case 3: d->gbxGroupLayout->setFocus(); break;
    case 4: d->lbxStyles->setFocus(); break;
    default:
        if (ShowDescription)
            d->edtDescription->setFocus();
        else
            d->rdbPreview->setFocus();
        break;
    }
}

void TppReportWizard::ChangePage(int aDelta) {
    if (!m_dialog) return;
    int page = CurrentPage() + aDelta;
    if (page < 0 || page > 5) return;
    if (page == 1) {
        if (SelectedFields.isEmpty()) {
            ui::Message(ppGetMessageText(608), ui::MessageKind::Information, ui::Button::Ok);
            return;
        }
        RebuildGroupLists();
    }
    if (page == 2 && !GroupFields.isEmpty()) {
        page += aDelta;
        if (Layout == TppReportLayoutType::rlVertical || Layout == TppReportLayoutType::rlTabular)
            SetLayout(TppReportLayoutType::rlStepped);
        drawLayoutPictures();
    }
    if (page == 3 && GroupFields.isEmpty()) {
        page += aDelta;
        MendLayout();
    }
    if (page == 5) m_dialog->edtDescription->setText(DataName() + QStringLiteral("-1 Report"));
    setPage(page);
}

void TppReportWizard::MendLayout() {
    // The outline and align-left layouts put the column labels into the innermost group
    // header, so without groups they would have no band for them.
    const bool labelsInGroupHeader = Layout == TppReportLayoutType::rlOutline1 || Layout == TppReportLayoutType::rlOutline2 ||
                                     Layout == TppReportLayoutType::rlAlignLeft1 || Layout == TppReportLayoutType::rlAlignLeft2;
    if (GroupFields.isEmpty() && labelsInGroupHeader) SetLayout(TppReportLayoutType::rlTabular);
}

void TppReportWizard::Finish() {
    if (!m_dialog) return;
    ReportName = m_dialog->edtDescription->text();
    FinishAction = m_dialog->rdbPreview->isChecked() ? 2 : 1;
    if (!DoValidateName(ReportName)) return;
    m_dialog->EndModal(report::ModalResult::mrOk);
}

// Build --------------------------------------------------------------------------------------

TppLabel* TppReportWizard::makeLabel(TppBand* aBand, const QString& aCaption, TppReportStyle* aStyle) {
    auto* label = qobject_cast<TppLabel*>(ppCreateComponent(Report, &TppLabel::staticMetaObject));
    if (!label) return nullptr;
    label->SetBand(aBand);
    label->SetAutoSize(false);
    label->SetCaption(aCaption);
    if (const TppBandStyle* s = aStyle ? aStyle->GetBandStyle(aBand) : nullptr) {
        paint::Font font = s->Font()->Font();
        font.Style.Include(paint::TFontStyle::fsBold);
        label->Font()->SetFont(font);
        label->FontChanged();
        label->SetTransparent(true);
        label->SetspHeight(ppGetTextHeight(font, aCaption));
        label->SetspWidth(ppGetTextWidth(font, aCaption) + 4);
    }
    return label;
}

void TppReportWizard::BuildReport() {
    if (!Report) return;
    updateOrders();
    TppCustomReport* report = Report;
    const bool child = qobject_cast<TppChildReport*>(report) != nullptr;
    report->PrinterSetup()->SetOrientation(Orientation == 1 ? TPrinterOrientation::poLandscape
                                                            : TPrinterOrientation::poPortrait);

    // Title band (a child report: its summary band; its header and footer bands go).
    auto ensureBand = [&](TppBandType aType, TClass aClass) {
        TppBand* band = report->GetBand(aType);
        if (!band) {
            band = qobject_cast<TppBand*>(ppCreateComponent(report, aClass));
            if (band) band->SetReport(report);
        }
        if (band) band->SetSpHeight(50);
        return band;
    };
    TppBand* title = ensureBand(TppBandType::btTitle, &TppTitleBand::staticMetaObject);
    TppBand* footer = nullptr;
    if (child) {
        footer = ensureBand(TppBandType::btSummary, &TppSummaryBand::staticMetaObject);
        delete report->GetBand(TppBandType::btHeader);
        delete report->GetBand(TppBandType::btFooter);
    } else {
        footer = report->GetBand(TppBandType::btFooter);
    }

    // Groups, outermost first.
    for (const auto& entry : GroupFields) {
        TppField* field = fieldOf(entry);
        auto* group = qobject_cast<TppGroup*>(ppCreateComponent(report, &TppGroup::staticMetaObject));
        if (!group || !field) continue;
        group->SetReport(report);
        auto* groupFooter = qobject_cast<TppGroupFooterBand*>(ppCreateComponent(report, &TppGroupFooterBand::staticMetaObject));
        auto* groupHeader = qobject_cast<TppGroupHeaderBand*>(ppCreateComponent(report, &TppGroupHeaderBand::staticMetaObject));
        groupHeader->SetSpHeight(50);
        group->SetBreakName(field->FieldName());
        group->SetDataPipeline(field->DataPipeline());
        group->SetFooterBand(groupFooter);
        group->SetHeaderBand(groupHeader);
    }

    MendLayout();
    std::unique_ptr<TppReportStyle> style(
        report::CreateWizardStyle(ppReportStyleClassName(Style), report, report));
    std::unique_ptr<TppReportLayout> layout(
        report::CreateWizardLayout(ppReportLayoutClassName(Layout), report, report));
    if (!style || !layout) return;

    // Title and footer.
    if (title) {
        QString caption = report->Template() ? report->Template()->GetDescription() : QString();
        if (caption.isEmpty()) caption = DataName();
        if (caption.isEmpty()) caption = report->UserName();
        if (TppLabel* label = makeLabel(title, caption, style.get())) {
            label->SetspLeft(5);
            label->SetspTop(5);
        }
    }
    if (footer) {
        const TppBandStyle* s = style->GetBandStyle(footer);
        for (TppVarType type : {TppVarType::vtPrintDateTime, TppVarType::vtPageNoDesc}) {
            auto* v = qobject_cast<TppSystemVariable*>(ppCreateComponent(report, &TppSystemVariable::staticMetaObject));
            if (!v) continue;
            v->SetBand(footer);
            v->SetVarType(type);
            if (s) v->SetFont(s->Font());
            v->SetTransparent(true);
            v->SetspTop(5);
            if (type == TppVarType::vtPrintDateTime) {
                v->SetspLeft(5);
            } else {
                v->SetAlignment(TAlignment::taRightJustify);
                v->SetspLeft(footer->GetSpWidth() - v->spWidth() - 5);
            }
        }
    }

    // Data components and their labels.
    TppBand* detail = report->GetBand(TppBandType::btDetail);
    TppBand* labelBand = layout->LabelBand;
    if (!labelBand) labelBand = child ? title : report->GetBand(TppBandType::btHeader);
    if (!labelBand) labelBand = detail;
    layout->LabelBand = labelBand;
    std::vector<Built> built;
    for (const auto& entry : SelectedFields) {
        TppField* field = fieldOf(entry);
        if (!field || !detail) continue;
        Built b;
        b.field = field;
        const int groupIndex = indexOfField(GroupFields, field);
        TppBand* band = detail;
        if (layout->GroupFieldsInHeaders && groupIndex >= 0) {
            band = report->Groups(groupIndex)->HeaderBand();
            b.inHeader = true;
        }
        b.component = qobject_cast<TppComponent*>(ppCreateComponent(report, ppGetDataComponentClass(field->DataType())));
        if (!b.component) continue;
        b.component->SetBand(band);
        if (showsText(b.component)) b.component->SetTransparent(true);
        if (!b.inHeader && groupIndex >= 0)
            if (auto* text = qobject_cast<TppDBText*>(b.component)) text->SetSuppressRepeatedValues(true);
        b.component->SetDataPipeline(field->DataPipeline());
        b.component->SetDataField(field->FieldName());
        if (showsText(b.component) && !qobject_cast<TppCustomMemo*>(b.component)) {
            const TppBandStyle* s = style->GetBandStyle(band);
            const paint::Font font = s ? s->Font()->Font() : b.component->Font()->Font();
            TppDataPipeline* pipeline = field->DataPipeline();
            const int displayWidth = pipeline ? pipeline->GetFieldDisplayWidth(field->FieldName()) : field->FieldLength();
            b.component->SetspWidth(displayWidth * ppGetTextWidth(font, QStringLiteral("0")) + 4);
            b.component->SetspHeight(ppGetTextHeight(font, QStringLiteral("W")) + 2);
            if (pipeline) b.component->SetAlignment(pipeline->GetFieldAlignment(field->FieldName()));
        } else if (auto* image = qobject_cast<TppCustomImage*>(b.component)) {
            image->SetStretch(true);
            image->SetspWidth(50);
            image->SetspHeight(50);
        } else {
            b.component->SetspWidth(150);
            b.component->SetspHeight(50);
        }
        if (!b.inHeader) b.label = makeLabel(labelBand, field->FieldAlias(), style.get());
        b.columnWidth = std::max(b.component->spWidth(), b.label ? b.label->spWidth() : 0);
        built.push_back(b);
    }

    place(built, layout.get(), detail);
    layout->Apply(report);
    style->Apply(report);
}

void TppReportWizard::place(std::vector<Built>& aBuilt, TppReportLayout* aLayout, TppBand* aDetail) {
    if (!aDetail) return;
    const int groups = int(GroupFields.size());
    std::vector<Built*> header, columns;
    for (Built& b : aBuilt) (b.inHeader ? header : columns).push_back(&b);
    std::stable_sort(header.begin(), header.end(),
                     [](const Built* a, const Built* b) { return a->field->GroupOrder() < b->field->GroupOrder(); });
    auto columnKey = [groups](const Built* b) {
        return b->field->GroupOrder() >= 0 ? b->field->GroupOrder() : groups + b->field->SelectOrder();
    };
    std::stable_sort(columns.begin(), columns.end(),
                     [&](const Built* a, const Built* b) { return columnKey(a) < columnKey(b); });

    int widestComponent = 0, widestLabel = 0, total = 0;
    for (const Built* b : columns) {
        widestComponent = std::max(widestComponent, b->component->spWidth());
        if (b->label) widestLabel = std::max(widestLabel, b->label->spWidth());
        total += b->columnWidth + 5;
    }
    total = columns.empty() ? 0 : total - 5;
    const int bandWidth = aDetail->GetSpWidth();
    const bool vertical = Layout == TppReportLayoutType::rlVertical;
    const bool tooWide = !vertical && total + 5 * (int(columns.size()) - 1) > bandWidth;
    const bool adjust = tooWide && AdjustFieldWidths;

    // Group fields in their headers.
    int start = 5;
    for (size_t i = 0; i < header.size(); ++i) {
        TppComponent* c = header[i]->component;
        c->SetspLeft(aLayout->StepGroupFields ? 20 * int(i) + 5 : 5);
        c->SetspTop(2);
        if (c->Band() == aLayout->LabelBand) aLayout->LabelTop = 2 + c->spHeight() + 5;
        start = c->spLeft();
    }

    if (adjust) {
        const int excess = total - bandWidth;
        if (excess > 0)
            for (Built* b : columns) {
                const int cut = roundHalfEven(double(b->columnWidth) * (excess + 15) / total + 0.5);
                b->columnWidth = std::max(5, b->columnWidth - cut);
            }
        // The proportional cut counts one gap less than the row takes and ignores where the
        // row starts, so it can leave the last column on a row of its own: the widest
        // columns give up a pixel each until the row fits (or every column is down to 5).
        auto used = [&] {
            int sum = start;
            for (const Built* b : columns) sum += b->columnWidth + 5;
            return sum;
        };
        while (used() > bandWidth + 5) {
            auto widest = std::max_element(columns.begin(), columns.end(),
                                           [](const Built* a, const Built* b) { return a->columnWidth < b->columnWidth; });
            if ((*widest)->columnWidth <= 5) break;
            --(*widest)->columnWidth;
        }
    }

    auto growDetail = [&](int aBottom) {
        if (aDetail->mmHeight() < ppToMMThousandths(TppUnitType::utScreenPixels, report::kVertical, nullptr, float(aBottom)))
            aDetail->SetSpHeight(aBottom);
    };
    if (vertical) {
        int rowTop = 10;
        for (Built* b : columns) {
            if (b->label) {
                b->label->SetspLeft(5);
                b->label->SetspTop(rowTop);
            }
            b->component->SetspLeft(widestLabel + 10);
            b->component->SetspTop(rowTop);
            rowTop = b->component->spTop() + b->component->spHeight() + 5;
            growDetail(rowTop + 5);
        }
        return;
    }
    int x = start;
    int rowTop = 2;
    int labelTop = aLayout->LabelTop;
    int lowest = 0;
    for (Built* b : columns) {
        TppComponent* c = b->component;
        TppLabel* l = b->label;
        auto put = [&] {
            c->SetspLeft(x);
            c->SetspTop(rowTop);
            if (l) {
                l->SetspLeft(x);
                l->SetspTop(labelTop);
                l->SetAlignment(c->Alignment());
            }
        };
        put();
        if (adjust) {
            c->SetspWidth(b->columnWidth);
            if (l) l->SetspWidth(b->columnWidth);
        }
        const int w = std::max(c->spWidth(), l ? l->spWidth() : 0);
        x += w + 5;
        lowest = std::max(lowest, c->spTop() + c->spHeight());
        if (x > bandWidth + 5) {
            const int newTop = lowest + 3;
            labelTop += newTop - rowTop;
            rowTop = newTop;
            x = start;
            put();
            x += w + 5;
            lowest = std::max(lowest, c->spTop() + c->spHeight());
        }
        if (l && c->Alignment() == TAlignment::taRightJustify && c->spWidth() < l->spWidth())
            c->SetspLeft(c->spLeft() + l->spWidth() - c->spWidth());
        growDetail(lowest + 5);
    }
}

// Field component routines ---------------------------------------------------------------------

TClass ppGetDataComponentClass(TppDataType aDataType) {
    switch (aDataType) {
    case TppDataType::dtBLOB:
    case TppDataType::dtGraphic: return &TppDBImage::staticMetaObject;
    case TppDataType::dtMemo: return &TppDBMemo::staticMetaObject;
    default: return &TppDBText::staticMetaObject;
    }
}

TppComponent* ppCreateFieldComponent(TppCommunicator* aCommunicator, TppBand* aBand, TppField* aField,
                                     const TppFont* aFont) {
    if (!aField) return nullptr;
    auto* c = qobject_cast<TppComponent*>(ppCreateComponent(aCommunicator, ppGetDataComponentClass(aField->DataType())));
    if (!c) return nullptr;
    c->SetBand(aBand);
    c->SetDataField(aField->FieldName());
    c->SetDataPipeline(aField->DataPipeline());
    if (showsText(c)) {
        if (aFont) c->SetFont(const_cast<TppFont*>(aFont));
        c->SetTransparent(true);
    }
    ppSizeFieldComponent(c);
    aField->setProperty("Component", QVariant::fromValue<QObject*>(c));
    return c;
}

void ppSizeFieldComponent(TppComponent* aComponent) {
    if (!aComponent) return;
    if (auto* image = qobject_cast<TppCustomImage*>(aComponent)) {
        image->SetStretch(true);
        image->SetspWidth(50);
        image->SetspHeight(50);
        return;
    }
    if (qobject_cast<TppCustomMemo*>(aComponent)) {
        aComponent->SetspWidth(150);
        aComponent->SetspHeight(50);
        return;
    }
    if (!showsText(aComponent)) return;
    const paint::Font& font = aComponent->Font()->Font();
    int displayWidth = aComponent->GetText().size();
    TAlignment alignment = TAlignment::taLeftJustify;
    if (TppDataPipeline* pipeline = aComponent->DataPipeline(); pipeline && !aComponent->DataField().isEmpty()) {
        displayWidth = pipeline->GetFieldDisplayWidth(aComponent->DataField());
        alignment = pipeline->GetFieldAlignment(aComponent->DataField());
    }
    aComponent->SetspWidth(displayWidth * ppGetTextWidth(font, QStringLiteral("O")) + 4);
    aComponent->SetspHeight(ppGetTextHeight(font, QStringLiteral("W")));
    aComponent->SetAlignment(alignment);
}

TppLabel* ppCreateFieldLabel(TppCommunicator* aCommunicator, TppBand* aBand, TppField* aField, const TppFont* aFont) {
    if (!aField) return nullptr;
    auto* label = qobject_cast<TppLabel*>(ppCreateComponent(aCommunicator, &TppLabel::staticMetaObject));
    if (!label) return nullptr;
    label->SetBand(aBand);
    label->SetAutoSize(false);
    label->SetCaption(aField->FieldAlias());
    label->SetAlignment(aField->Alignment());
    if (aFont) label->SetFont(const_cast<TppFont*>(aFont));
    label->SetTransparent(true);
    const paint::Font& font = label->Font()->Font();
    label->SetspHeight(ppGetTextHeight(font, aField->FieldAlias()));
    label->SetspWidth(ppGetTextWidth(font, aField->FieldAlias()) + 4);
    aField->setProperty("Label", QVariant::fromValue<QObject*>(label));
    return label;
}

TppShape* ppCreateBorderShape(TppCommunicator* aCommunicator, TppComponent* aComponent) {
    if (!aComponent) return nullptr;
    auto* shape = qobject_cast<TppShape*>(ppCreateComponent(aCommunicator, &TppShape::staticMetaObject));
    if (!shape) return nullptr;
    shape->SetBand(aComponent->Band());
    shape->SetspLeft(aComponent->spLeft() - 2);
    shape->SetspTop(aComponent->spTop() - 2);
    shape->SetspWidth(aComponent->spWidth() + 4);
    shape->SetspHeight(aComponent->spHeight() + 4);
    paint::Brush brush = shape->Brush();
    brush.Style = paint::TBrushStyle::bsClear;
    shape->SetBrush(brush);
    shape->SetTransparent(true);
    shape->SendToBack();
    return shape;
}

namespace report {

void RegisterReportWizard() {
    RegisterWizardStylesAndLayouts();
    ppRegisterDefaultReportWizard(ppWizardClass<TppReportWizard>());
}

void UnRegisterReportWizard() {
    ppUnregisterWizard(ppWizardClass<TppReportWizard>());
    UnRegisterWizardStylesAndLayouts();
}

}  // namespace report
