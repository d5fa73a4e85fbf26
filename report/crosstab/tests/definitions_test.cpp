// The definition of a cross-tab: the automatic totals through every kind of change, names,
// formats, the available fields, streaming and Assign.

#include "report/crosstab/tests/crosstab_fixture.h"

#include "report/model/palette_registry.h"
#include "report/model/pipeline_field.h"
#include "report/output/dialog_registry.h"
#include "report/page/resource_manager.h"
#include "report/script/enum_types.h"

#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <functional>

using namespace crosstabtest;

namespace {

using D = TppDBCalcType;

class CrossTabDefinitions : public CrossTabTest {
public:
    /// The invariants of the automatic totals, and which value definition each total belongs to.
    void expectTotalsInStep() {
        const int vdc = crossTab->ValueDefCount();
        ASSERT_EQ(crossTab->ColumnGrandTotalCount(), vdc);
        ASSERT_EQ(crossTab->RowGrandTotalCount(), vdc);
        for (int i = 0; i < vdc; ++i) {
            EXPECT_EQ(crossTab->ColumnGrandTotals(i)->ValueDefIndex(), i);
            EXPECT_EQ(crossTab->RowGrandTotals(i)->GetValueDef(), crossTab->ValueDefs(i));
        }
        const auto dimension = [&](TppDimension* d) {
            ASSERT_EQ(d->SubTotalCount(), vdc) << d->FieldName().toStdString();
            for (int i = 0; i < vdc; ++i) {
                EXPECT_EQ(d->SubTotals(i)->ValueDefIndex(), i);
                EXPECT_EQ(d->SubTotals(i)->GetValueDef(), crossTab->ValueDefs(i));
                EXPECT_EQ(d->SubTotals(i)->CrossTab(), crossTab);
            }
        };
        for (int k = 0; k < crossTab->ColumnDefCount(); ++k) dimension(crossTab->ColumnDefs(k));
        for (int k = 0; k < crossTab->RowDefCount(); ++k) dimension(crossTab->RowDefs(k));
    }
    /// The field names of the value definitions, in order.
    QStringList values() const {
        QStringList out;
        for (int i = 0; i < crossTab->ValueDefCount(); ++i) out << crossTab->ValueDefs(i)->FieldName();
        return out;
    }
};

TEST_F(CrossTabDefinitions, totals_stay_in_step_through_adding_inserting_moving_and_removing_definitions) {
    makeReport(1);
    add<TppColumnDef>("Year");
    add<TppColumnDef>("Quarter");
    add<TppRowDef>("Region");
    struct Step {
        const char* what;
        std::function<void(CrossTabDefinitions&)> apply;
        QStringList values;
    };
    // Each total is marked by the display format of the value definition it was made for.
    const auto valueDef = [](CrossTabDefinitions& t, const QString& field) {
        auto* v = new TppValueDef(t.crossTab);
        v->SetFieldName(field);
        v->SetFieldAlias(field);
        return v;
    };
    const Step steps[] = {
        {"add Amount", [&](CrossTabDefinitions& t) { valueDef(t, "Amount")->SetParent(t.crossTab); }, {"Amount"}},
        {"add Qty", [&](CrossTabDefinitions& t) { valueDef(t, "Qty")->SetParent(t.crossTab); }, {"Amount", "Qty"}},
        {"insert No at 0", [&](CrossTabDefinitions& t) { t.crossTab->InsertChild(0, valueDef(t, "No")); },
         {"No", "Amount", "Qty"}},
        {"move Qty to 0", [](CrossTabDefinitions& t) { t.crossTab->MoveDefinition(t.crossTab->ValueDefs(2), 0); },
         {"Qty", "No", "Amount"}},
        {"add row Product", [](CrossTabDefinitions& t) { t.add<TppRowDef>("Product"); }, {"Qty", "No", "Amount"}},
        {"remove No", [](CrossTabDefinitions& t) { delete t.crossTab->ValueDefs(1); }, {"Qty", "Amount"}},
        {"remove column Year", [](CrossTabDefinitions& t) { delete t.crossTab->ColumnDefs(0); }, {"Qty", "Amount"}},
        {"remove through RemoveChild", [](CrossTabDefinitions& t) {
             TppValueDef* v = t.crossTab->ValueDefs(0);
             t.crossTab->RemoveChild(v);
             delete v;
         }, {"Amount"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.apply(*this);
        EXPECT_EQ(values(), s.values);
        expectTotalsInStep();
        // The format of value definition i reaches the totals of index i only.
        for (int i = 0; i < crossTab->ValueDefCount(); ++i)
            crossTab->ValueDefs(i)->SetDisplayFormat(crossTab->ValueDefs(i)->FieldName());
        for (int i = 0; i < crossTab->ValueDefCount(); ++i) {
            const QString mark = crossTab->ValueDefs(i)->FieldName();
            EXPECT_EQ(crossTab->ColumnGrandTotals(i)->TotalDef()->DisplayFormat(), mark);
            EXPECT_EQ(crossTab->RowGrandTotals(i)->TotalDef()->DisplayFormat(), mark);
            for (int k = 0; k < crossTab->RowDefCount(); ++k)
                EXPECT_EQ(crossTab->RowDefs(k)->SubTotals(i)->TotalDef()->DisplayFormat(), mark);
        }
    }
    EXPECT_TRUE(crossTab->Modified());
}

TEST_F(CrossTabDefinitions, a_new_value_definition_follows_the_visibility_of_existing_column_totals) {
    makeReport(1);
    TppColumnDef* year = add<TppColumnDef>("Year");
    TppRowDef* region = add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    year->ShowSubTotals(false);
    crossTab->ShowColumnGrandTotals(false);
    addValue("Qty", D::dcSum);
    EXPECT_FALSE(year->SubTotals(1)->GetVisible());
    EXPECT_TRUE(region->SubTotals(1)->GetVisible());
    EXPECT_FALSE(crossTab->ColumnGrandTotals(1)->GetVisible());
    EXPECT_TRUE(crossTab->RowGrandTotals(1)->GetVisible());
    EXPECT_FALSE(crossTab->HasColumnGrandTotal());
    crossTab->RowGrandTotals(1)->ShowTotal(false);
    EXPECT_EQ(crossTab->VisibleRowGrandTotalCount(), 1);
    crossTab->ShowGrandTotals(TppTotalType::ctttAll, true);
    EXPECT_TRUE(crossTab->HasColumnGrandTotal());
    EXPECT_EQ(crossTab->VisibleRowGrandTotalCount(), 2);
}

TEST_F(CrossTabDefinitions, names_of_values_totals_and_captions_read_as_the_report_shows_them) {
    makeReport(1);
    TppRowDef* region = add<TppRowDef>("Region");
    TppColumnDef* year = add<TppColumnDef>("Year");
    TppValueDef* amount = addValue("Amount", D::dcSum);
    struct Case {
        D calc;
        const char* name;
    };
    const Case calcs[] = {{D::dcCount, "Count of Amount"}, {D::dcSum, "Sum of Amount"}, {D::dcMinimum, "Minimum Amount"},
                          {D::dcMaximum, "Maximum Amount"}, {D::dcAverage, "Average Amount"}};
    for (const Case& c : calcs) {
        amount->SetCalcType(c.calc);
        EXPECT_EQ(amount->GetName(), QString::fromLatin1(c.name));
        EXPECT_EQ(amount->CaptionDef()->GetName(), QString::fromLatin1(c.name));
    }
    amount->SetCalcType(D::dcSum);
    // With one value definition.
    EXPECT_EQ(region->SubTotals(0)->CaptionDef()->GetName(), "Region Subtotal");
    EXPECT_EQ(crossTab->RowGrandTotals(0)->CaptionDef()->GetName(), "Grand Total");
    // With two, row totals name their value definition and align left.
    addValue("Qty", D::dcAverage);
    EXPECT_EQ(region->SubTotals(0)->CaptionDef()->GetName(), "Region Subtotal (Sum of Amount)");
    EXPECT_EQ(region->SubTotals(1)->CaptionDef()->GetName(), "Region Subtotal (Average Qty)");
    EXPECT_EQ(region->SubTotals(0)->CaptionDef()->Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(year->SubTotals(1)->CaptionDef()->GetName(), "Year Subtotal");
    EXPECT_EQ(crossTab->RowGrandTotals(1)->CaptionDef()->GetName(), "Grand Total (Average Qty)");
    EXPECT_EQ(crossTab->ColumnGrandTotals(1)->CaptionDef()->GetName(), "Grand Total");
    EXPECT_EQ(ppGetMessageText(70), "Total");
    EXPECT_EQ(ppGetMessageText(71), "Data");
    EXPECT_EQ(ppBlankText(QStringLiteral("  ")), "(blank)");
    EXPECT_EQ(ppBlankText(QStringLiteral("West")), "West");
    // A handler's name is used without the calculation's prefix.
    crossTab->OnGetDimensionName = [](QObject*, TppDimension* d, QString& name) {
        if (name == QLatin1String("Amount")) name = QStringLiteral("Takings");
    };
    EXPECT_EQ(amount->GetName(), "Takings");
    // Design names: samples in the display format, column totals on a new line.
    EXPECT_EQ(crosstab::SampleText(TppDataType::dtDouble, QString()), "1000.00");
    EXPECT_EQ(crosstab::SampleText(TppDataType::dtBoolean, QStringLiteral("#")), "");
    EXPECT_EQ(crossTab->ColumnGrandTotals(1)->TotalDef()->GetDesignName(), "<newline>1000.00");
    EXPECT_EQ(crossTab->RowGrandTotals(1)->TotalDef()->GetDesignName(), "1000.00");
    EXPECT_TRUE(amount->HasDisplayFormat());
    EXPECT_FALSE(amount->CaptionDef()->HasDisplayFormat());
}

TEST_F(CrossTabDefinitions, available_fields_follow_the_dimensions_and_a_text_field_only_counts) {
    makeReport(1);
    crossTab->RefreshAvailableFields();
    EXPECT_EQ(crossTab->AvailableFields(),
              QStringList({"No", "Region", "Year", "Quarter", "Product", "Amount", "Qty"}));
    TppColumnDef* year = crossTab->AddColumnDef(2);
    ASSERT_NE(year, nullptr);
    EXPECT_EQ(year->FieldName(), "Year");
    EXPECT_EQ(year->Tag(), 2);
    TppRowDef* region = crossTab->AddRowDef(crossTab->IndexOfAvailableField(QStringLiteral("region")));
    EXPECT_EQ(region->FieldName(), "Region");
    EXPECT_EQ(crossTab->AvailableFields(), QStringList({"No", "Quarter", "Product", "Amount", "Qty"}));
    TppValueDef* product = crossTab->AddValueDef(crossTab->IndexOfAvailableField(QStringLiteral("Product")));
    EXPECT_EQ(product->CalcType(), D::dcCount);
    EXPECT_EQ(product->GetDataType(), TppDataType::dtInteger);
    product->SetCalcType(D::dcSum);
    EXPECT_EQ(product->CalcType(), D::dcCount);
    EXPECT_EQ(crossTab->AvailableFields().size(), 5);  // value definitions keep their field available
    // The field goes back to its place in the pipeline's order.
    EXPECT_EQ(crossTab->RemoveColumnDef(0), 1);
    EXPECT_EQ(crossTab->AvailableFields(), QStringList({"No", "Year", "Quarter", "Product", "Amount", "Qty"}));
    crossTab->RefreshAvailableFields();
    EXPECT_EQ(crossTab->AvailableFields(), QStringList({"No", "Year", "Quarter", "Product", "Amount", "Qty"}));
    EXPECT_EQ(crossTab->RowDefs(0)->Tag(), 1);
}

TEST_F(CrossTabDefinitions, a_stored_cross_tab_loads_with_its_totals_once_and_writes_the_same_stream) {
    makeReport(1);
    add<TppColumnDef>("Year")->SetSortType(TppSortOrderType::soDescending);
    add<TppRowDef>("Region")->SetNullOrder(TppNullOrderType::ctnoFirst);
    addValue("Amount", D::dcSum)->SetDisplayFormat(QStringLiteral("#,0.00"));
    addValue("Qty", D::dcAverage);
    crossTab->RowGrandTotals(1)->ShowTotal(false);
    crossTab->SetStretch(false);
    crossTab->SetPagination(TppCrossTabPaginationType::ctptAcrossThenDown);
    crossTab->SetEventHandlerName(QStringLiteral("OnGetDimensionValue"), QStringLiteral("CrossTab1GetValue"));

    const QByteArray binary = stream::WriteComponent(*crossTab);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    expectGolden(QString::fromUtf8(text), QStringLiteral("stored_cross_tab.txt"));
    stream::ReadOptions options;
    options.findComponent = [this](const QString& name) -> stream::Component* {
        return name == QLatin1String("plSales") ? pipeline : nullptr;
    };
    for (const QByteArray& bytes : {binary, text}) {
        std::unique_ptr<stream::Component> read = stream::ReadComponent(bytes, options);
        auto* loaded = dynamic_cast<TppCrossTab*>(read.get());
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(loaded->ValueDefCount(), 2);
        EXPECT_EQ(loaded->ColumnGrandTotalCount(), 2);
        EXPECT_EQ(loaded->RowGrandTotalCount(), 2);
        EXPECT_EQ(loaded->ColumnDefs(0)->SubTotalCount(), 2);
        EXPECT_EQ(loaded->RowDefs(0)->SubTotalCount(), 2);
        EXPECT_FALSE(loaded->RowGrandTotals(1)->GetVisible());
        EXPECT_EQ(loaded->ValueDefs(1)->CalcType(), D::dcAverage);
        EXPECT_FALSE(loaded->Stretch());
        EXPECT_FALSE(loaded->Modified());
        EXPECT_EQ(loaded->DataPipeline(), pipeline);
        EXPECT_EQ(loaded->EventHandlerName(QStringLiteral("OnGetDimensionValue")), "CrossTab1GetValue");
        EXPECT_EQ(stream::ObjectBinaryToText(stream::WriteComponent(*loaded)), text);
    }
    // A cross-tab that stretches is stored without Stretch.
    crossTab->SetStretch(true);
    EXPECT_FALSE(stream::ObjectBinaryToText(stream::WriteComponent(*crossTab)).contains("Stretch"));
}

TEST_F(CrossTabDefinitions, assign_copies_definitions_with_their_totals_but_not_style_or_text_events) {
    makeReport(1);
    add<TppColumnDef>("Year");
    add<TppRowDef>("Region");
    addValue("Amount", D::dcSum);
    addValue("Qty", D::dcMaximum);
    crossTab->SetGridLines(false);
    crossTab->SetDraw(false);
    int calls = 0;
    crossTab->OnGetDimensionValue = [&](QObject*, TppDimension*, QVariant&, bool&) { ++calls; };
    crossTab->OnGetValueText = [](QObject*, TppElement*, int, int, const QString&, const QVariant&, QString&) {};
    TppCrossTab copy(&form);
    copy.Assign(crossTab);
    EXPECT_EQ(copy.ValueDefCount(), 2);
    EXPECT_EQ(copy.ColumnGrandTotalCount(), 2);
    EXPECT_EQ(copy.ColumnDefs(0)->SubTotalCount(), 2);
    EXPECT_EQ(copy.ValueDefs(1)->CalcType(), D::dcMaximum);
    EXPECT_NE(copy.ValueDefs(0), crossTab->ValueDefs(0));
    EXPECT_FALSE(copy.GridLines());
    EXPECT_TRUE(copy.Draw());
    EXPECT_FALSE(copy.Modified());
    EXPECT_TRUE(bool(copy.OnGetDimensionValue));
    EXPECT_FALSE(bool(copy.OnGetValueText));
    EXPECT_EQ(copy.DataPipeline(), pipeline);
}

TEST_F(CrossTabDefinitions, registrations_popup_items_and_the_configure_item) {
    EXPECT_NE(stream::ClassRegistry::Global().Create(QStringLiteral("TppCrossTab")), nullptr);
    for (const char* name : {"TppColumnDef", "TppRowDef", "TppValueDef", "TppGrandTotal", "TppSubTotal", "TppTotalDef",
                             "TppTotalCaptionDef", "TppValueCaptionDef"})
        EXPECT_NE(stream::ClassRegistry::Global().Create(QString::fromLatin1(name)), nullptr) << name;
    const TppRegComponent* palette = ppFindRegComponent(QStringLiteral("TppCrossTab"));
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Palette, "Advanced Components");
    EXPECT_EQ(palette->Position, 2);
    EXPECT_EQ(palette->HintNumber, 695);
    EXPECT_EQ(ppGetMessageText(695), "CrossTab");
    for (const char* type : {"TppCrossTabPaginationType", "TppCrossTabChildType", "TppTotalType", "TppNullOrderType"})
        EXPECT_NE(FindEnumType(QString::fromLatin1(type)), nullptr) << type;

    makeReport(1);
    std::vector<crosstab::PopupItem> items;
    crossTab->CreatePopupMenu(items);
    crossTab->PopupMenuPopup(items);
    QStringList shown;
    for (const auto& i : items) shown << QStringLiteral("%1 %2 %3%4").arg(i.Order).arg(i.Name, i.Caption, i.Visible ? "" : " (hidden)");
    EXPECT_EQ(shown, QStringList({"25 Configure Configure... (hidden)", "26 ConfigureLine -", "27 Draw Draw",
                                  "28 Pagination Pagination", "30 ParentWidth ParentWidth", "30 Style Style"}));
    EXPECT_TRUE(items[2].Checked);
    ASSERT_EQ(items[3].Items.size(), 2u);
    EXPECT_EQ(items[3].Items[0].Caption, "Across then Down");
    EXPECT_TRUE(items[3].Items[1].Checked);  // Down then Across
    crossTab->PopupItemClick(items[3].Items[0]);
    EXPECT_EQ(crossTab->Pagination(), TppCrossTabPaginationType::ctptAcrossThenDown);
    crossTab->PopupItemClick(items[2]);
    EXPECT_FALSE(crossTab->Draw());

    struct Designer : TppCustomCrossTabDesignerForm {
        explicit Designer(QObject*) {}
        report::ModalResult ShowModal() override { return {}; }
        void Show() override {}
        void Close() override {}
        bool IsShowing() const override { return false; }
        void EndModal(report::ModalResult) override {}
    };
    report::RegisterForm<TppCustomCrossTabDesignerForm, Designer>();
    crossTab->PopupMenuPopup(items);
    EXPECT_TRUE(items[0].Visible);
    report::UnRegisterForm<TppCustomCrossTabDesignerForm>();
}

TEST_F(CrossTabDefinitions, a_style_no_renderer_answers_to_changes_nothing) {
    makeReport(1);  // the two renderers are registered at start-up
    crossTab->SetStyle(QStringLiteral("TppCTRendererRepeatCaptions"));
    EXPECT_EQ(crossTab->Style(), "RepeatedCaptions");
    crossTab->SetStyle(QStringLiteral("Fancy"));
    EXPECT_EQ(crossTab->Style(), "RepeatedCaptions");
    crossTab->SetStyle(QStringLiteral("Standard"));
    EXPECT_EQ(crossTab->Style(), "Standard");
    std::vector<crosstab::PopupItem> items;
    crossTab->CreatePopupMenu(items);
    crossTab->PopupMenuPopup(items);
    ASSERT_EQ(items.back().Name, "Style");
    EXPECT_TRUE(items.back().Items[0].Checked);
}

}  // namespace
