#include "report/designer/gui/design_dialog_commands.h"

#include "report/model/band.h"
#include "report/model/band_classes.h"
#include "report/model/component.h"
#include "report/model/component_services.h"
#include "report/model/custom_report.h"
#include "report/model/data_pipeline.h"
#include "report/model/group.h"
#include "report/model/memo.h"
#include "report/model/report.h"
#include "report/model/stretchable.h"
#include "report/model/text_components.h"
#include "report/model/variable.h"
#include "report/output/design_dialogs.h"
#include "report/page/resource_manager.h"
#include "report/page/units.h"

#include <QCoreApplication>

#include <memory>

namespace report {
namespace {

/// The registered form of Abstract with the report's language and the report; none when no
/// form is registered.
template <class Abstract>
std::unique_ptr<Abstract> makeForm(TppCustomReport* aReport, QObject* aOwner = nullptr) {
    std::unique_ptr<Abstract> form(CreateForm<Abstract>(aOwner));
    if (!form) return nullptr;
    ppSetFormLanguageIndex(form.get(), aReport ? aReport->LanguageIndex() : 0);
    ppSetFormReport(form.get(), aReport);
    return form;
}

float fromMM(int aValue, TppUnitType aUnits) { return ppFromMMThousandths(aValue, aUnits, kVertical, nullptr); }
int toMM(float aValue, TppUnitType aUnits) { return ppToMMThousandths(aUnits, kVertical, nullptr, aValue); }

QStringList groupDescriptions(TppCustomReport* aReport) {
    QStringList list;
    if (aReport)
        for (int i = 0; i < aReport->GroupCount(); ++i) list << aReport->Groups(i)->Description();
    return list;
}

TppGroup* groupAt(TppCustomReport* aReport, int aIndex) {
    return aReport && aIndex >= 0 && aIndex < aReport->GroupCount() ? aReport->Groups(aIndex) : nullptr;
}

int indexOfGroup(TppCustomReport* aReport, TppGroup* aGroup) {
    if (aReport)
        for (int i = 0; i < aReport->GroupCount(); ++i)
            if (aReport->Groups(i) == aGroup) return i;
    return -1;
}

}  // namespace

bool RunPositionDialog(TppComponent* aComponent) {
    if (!aComponent) return false;
    TppCustomReport* report = aComponent->GetOwnerReport();
    auto form = makeForm<TppCustomPositionDialog>(report);
    if (!form) return false;
    const TppUnitType units = report ? report->Units() : aComponent->Units();
    form->Component = aComponent;
    form->Units = units;
    form->Left = aComponent->Left();
    form->Top = aComponent->Top();
    form->Width = aComponent->Width();
    form->Height = aComponent->Height();
    form->ParentWidth = aComponent->ParentWidth();
    form->ParentHeight = aComponent->ParentHeight();
    auto* stretchable = qobject_cast<TppStretchable*>(aComponent);
    if (stretchable) {
        form->BottomOffset = fromMM(stretchable->mmBottomOffset(), units);
        form->OverFlowOffset = fromMM(stretchable->mmOverFlowOffset(), units);
        form->StopPosition = fromMM(stretchable->mmStopPosition(), units);
    }
    bool applied = false;
    QPointer<TppComponent> target(aComponent);
    form->OnApply = [&applied, target, units](TppCustomPositionDialog* d) {
        if (!target) return;
        // Left, Top, Width and Height in one step.
        target->SetmmBounds(toMM(d->Left, units), toMM(d->Top, units), toMM(d->Height, units), toMM(d->Width, units));
        if (auto* s = qobject_cast<TppStretchable*>(target.data())) {
            s->SetmmBottomOffset(toMM(d->BottomOffset, units));
            s->SetmmOverFlowOffset(toMM(d->OverFlowOffset, units));
            s->SetmmStopPosition(toMM(d->StopPosition, units));
        }
        target->PropertyChange();
        applied = true;
    };
    form->ShowModal();
    return applied;
}

bool RunBandPositionDialog(TppBand* aBand) {
    if (!aBand) return false;
    TppCustomReport* report = aBand->Report();
    auto form = makeForm<TppCustomBandPositionDialog>(report);
    if (!form) return false;
    form->Band = aBand;
    form->Units = aBand->Units();
    form->Height = aBand->Height();
    form->BottomOffset = aBand->BottomOffset();
    form->PrintPosition = aBand->PrintPosition();
    form->PrintCount = aBand->PrintCount();
    bool applied = false;
    QPointer<TppBand> target(aBand);
    form->OnApply = [&applied, target](TppCustomBandPositionDialog* d) {
        if (!target) return;
        target->SetHeight(d->Height);
        target->SetBottomOffset(d->BottomOffset);
        target->SetPrintPosition(d->PrintPosition);
        target->SetPrintCount(d->PrintCount);
        applied = true;
    };
    form->ShowModal();
    return applied;
}

bool RunCalcOrderDialog(TppBand* aBand) {
    if (!aBand) return false;
    auto form = makeForm<TppCustomCalcOrderDialog>(aBand->Report());
    if (!form) return false;
    form->SetSelection(aBand);
    return form->ShowModal() == ModalResult::mrOk;
}

bool RunResetGroupDialog(TppDBText* aText) {
    if (!aText) return false;
    if (auto* calc = qobject_cast<TppDBCalc*>(aText)) return RunDBCalcDialog(calc);
    TppCustomReport* report = aText->GetOwnerReport();
    auto form = makeForm<TppCustomDBTextDialog>(report);
    if (!form) return false;
    form->SetResetGroups(groupDescriptions(report));
    form->ResetGroupIndex = indexOfGroup(report, aText->ResetGroup());
    if (form->ShowModal() != ModalResult::mrOk) return false;
    aText->SetResetGroup(groupAt(report, form->ResetGroupIndex));
    return true;
}

bool RunDBCalcDialog(TppDBCalc* aCalc) {
    if (!aCalc) return false;
    TppCustomReport* report = aCalc->GetOwnerReport();
    auto form = makeForm<TppCustomDBCalcDialog>(report);
    if (!form) return false;
    form->SetResetGroups(groupDescriptions(report));
    form->ResetGroupIndex = indexOfGroup(report, aCalc->ResetGroup());
    form->CalcIndex = int(aCalc->DBCalcType());
    if (form->ShowModal() != ModalResult::mrOk) return false;
    aCalc->SetResetGroup(groupAt(report, form->ResetGroupIndex));
    if (form->CalcIndex >= 0) aCalc->SetDBCalcType(TppDBCalcType(form->CalcIndex));
    return true;
}

bool RunMemoDialog(TppMemo* aMemo) {
    if (!aMemo) return false;
    auto form = makeForm<TppCustomMemoDialog>(aMemo->GetOwnerReport());
    if (!form) return false;
    form->SetLines(aMemo->Lines());
    if (form->ShowModal() != ModalResult::mrOk) return false;
    aMemo->SetLines(form->GetLines());
    aMemo->InvalidateDesignControl();
    return true;
}

bool RunShiftDialog(TppStretchable* aComponent) {
    if (!aComponent || !aComponent->Band()) return false;
    auto form = makeForm<TppCustomShiftDialog>(aComponent->GetOwnerReport());
    if (!form) return false;
    TppBand* band = aComponent->Band();
    QStringList list{ppGetMessageText(343)};
    QList<TppStretchable*> anchors;
    for (int i = 0; i < band->ObjectCount(); ++i) {
        auto* candidate = qobject_cast<TppStretchable*>(band->Objects(i));
        if (!candidate || candidate == aComponent || !aComponent->IsValidShiftAnchor(candidate)) continue;
        list << candidate->UserName();
        anchors << candidate;
    }
    form->SetSelectionList(list);
    form->SelectedName = aComponent->ShiftRelativeTo() ? aComponent->ShiftRelativeTo()->UserName() : ppGetMessageText(343);
    if (form->ShowModal() != ModalResult::mrOk) return false;
    TppStretchable* anchor = nullptr;
    for (TppStretchable* a : anchors)
        if (a->UserName() == form->SelectedName) anchor = a;
    aComponent->SetShiftRelativeTo(anchor);
    return true;
}

bool RunCalcTimingDialog(TppVariable* aVariable) {
    if (!aVariable) return false;
    TppCustomReport* report = aVariable->GetOwnerReport();
    auto form = makeForm<TppCustomCalcTimingDialog>(report);
    if (!form) return false;
    form->CalcIndex = int(aVariable->CalcType());
    form->CalcBand = aVariable->CalcComponent();
    form->ResetIndex = int(aVariable->ResetType());
    form->ResetBand = aVariable->ResetComponent();
    QList<TppCustomCalcTimingDialog::Entry> pipelines, groups;
    if (report) {
        const TppCommunicatorPickList list(report, &TppDataPipeline::staticMetaObject);
        for (int i = 0; i < list.Count(); ++i) pipelines.append({list.Names(i), list.Objects(i)});
        for (int i = 0; i < report->GroupCount(); ++i) groups.append({report->Groups(i)->Description(), report->Groups(i)});
    }
    form->SetCalcList(pipelines);
    form->SetResetList(groups);
    if (form->ShowModal() != ModalResult::mrOk) return false;
    if (form->CalcIndex >= 0) aVariable->SetCalcType(TppVarEventType(form->CalcIndex));
    if (form->ResetIndex >= 0) aVariable->SetResetType(TppVarEventType(form->ResetIndex));
    aVariable->SetCalcComponent(qobject_cast<TppCommunicator*>(form->CalcBand.data()));
    aVariable->SetResetComponent(qobject_cast<TppCommunicator*>(form->ResetBand.data()));
    return true;
}

bool RunDataDialog(TppCustomReport* aReport, QObject* aOwner) {
    if (!aReport) return false;
    auto form = makeForm<TppCustomDataDialog>(aReport, aOwner);
    if (!form) return false;
    auto* detail = qobject_cast<TppDetailBand*>(aReport->GetBand(TppBandType::btDetail));
    form->MasterDataPipeline = aReport->DataPipeline();
    form->DetailDataPipeline = detail ? detail->DataPipeline() : nullptr;
    if (form->ShowModal() != ModalResult::mrOk) return false;
    aReport->SetDataPipeline(qobject_cast<TppDataPipeline*>(form->MasterDataPipeline.data()));
    if (detail) detail->SetDataPipeline(qobject_cast<TppDataPipeline*>(form->DetailDataPipeline.data()));
    return true;
}

bool RunPrintToFileSetupDialog(TppCustomReport* aReport, TppCustomReport* aMainReport, QObject* aOwner) {
    if (!aReport) return false;
    std::unique_ptr<TppCustomPrintToFileSetupDialog> form(CreateForm<TppCustomPrintToFileSetupDialog>(aOwner));
    if (!form) return false;
    ppSetFormReport(form.get(), aMainReport ? aMainReport : aReport);
    form->SetReport(aReport);
    ppSetFormLanguageIndex(form.get(), aReport->LanguageIndex());
    return form->ShowModal() == ModalResult::mrOk;
}

}  // namespace report
