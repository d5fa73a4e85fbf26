// Scripts and the cross-tab: handlers that answer its events through the parameter lists of
// its adapter, and the adapters' members.

#include "report/crosstab/crosstab_adapters.h"
#include "report/crosstab/tests/crosstab_fixture.h"

#include "report/model/communicator.h"
#include "report/script/calls.h"
#include "report/script/errors.h"
#include "report/script/program.h"
#include "report/script/run.h"

#include <map>

using namespace crosstabtest;

namespace {

using D = TppDBCalcType;

/// Stands in for a code module's event binding: a compiled handler per event id, run with
/// the event's parameters; var parameters go back to the sender.
class ScriptHandlers : public TppCommunicator {
public:
    void Bind(int aEventId, const QString& aSource) {
        auto program = std::make_unique<TraProgram>();
        program->SetSource(aSource);
        program->CompileProgram();
        ASSERT_TRUE(program->Compiled()) << program->SyntaxErrors(0)->ErrorText().toStdString();
        EventNotifies().set(size_t(aEventId));
        m_handlers[aEventId] = std::move(program);
    }
    void EventNotify(TppCommunicator*, int aEventID, TraParamList* aParams) override {
        auto it = m_handlers.find(aEventID);
        if (it == m_handlers.end()) return;
        TraProgram& handler = *it->second;
        ++calls[aEventID];
        const int count = aParams ? std::min(aParams->Count(), handler.ParamCount()) : 0;
        for (int i = 0; i < count; ++i) {
            TraParamRec rec;
            aParams->GetParamRec(i, rec);
            raLoadValueFromParam(rec, handler.Params(i));
        }
        const script::RunResult run = script::RunProgram(handler);
        if (run.outcome != script::Outcome::Done) failures << run.failure;
        for (int i = 0; i < count; ++i) {
            TraParamRec rec;
            aParams->GetParamRec(i, rec);
            if (rec.IsVar) raStoreValueToParam(handler.Params(i), rec);
        }
    }
    std::map<int, int> calls;
    QStringList failures;

private:
    std::map<int, std::unique_ptr<TraProgram>> m_handlers;
};

class CrossTabScripts : public CrossTabTest {
protected:
    void define() {
        makeReport(600);
        add<TppColumnDef>("Year");
        add<TppRowDef>("Region");
        addValue("Amount", D::dcSum);
        crossTab->AddEventNotify(&handlers);
    }
    /// The grand total of the value row of each region, by upper-cased region.
    std::map<QString, QString> regionTotals() const {
        std::map<QString, QString> out;
        const TppMatrix& m = *crossTab->Matrix();
        for (int r = m.HeaderRowCount; r < m.RowCount(); ++r)
            if (!m.IsTotalRow(r)) out[m.Value(0, r).toString().toUpper()] = crosstab::ValueText(m.Value(m.ColumnCount() - 1, r));
        return out;
    }
    std::map<QString, QString> sqlTotals(const QString& amount, const QString& where) const {
        std::map<QString, QString> out;
        for (const QStringList& r : sales->sql(QStringLiteral("SELECT UPPER(Region), printf('%.4f', SUM(%1)) FROM \"Sales.DB\" "
                                                              "WHERE Region IS NOT NULL %2 GROUP BY UPPER(Region)")
                                                   .arg(amount, where)))
            out[r[0]] = r[1];
        return out;
    }
    QStringList yearColumns() const {
        QStringList out;
        const TppMatrix& m = *crossTab->Matrix();
        for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c) out << m.Value(c, 1).toString();
        return out;
    }

    ScriptHandlers handlers;
};

TEST_F(CrossTabScripts, a_handler_that_skips_a_year_leaves_its_records_out) {
    define();
    handlers.Bind(59, QStringLiteral("procedure CrossTab1GetDimensionValue(aDimension: TppDimension; var aValue: Variant;"
                                     " var aSkip: Boolean);\nbegin\n  if aDimension.GetName = 'Year' then\n    if aValue = 2000"
                                     " then\n      aSkip := True;\nend;"));
    calculate();
    EXPECT_TRUE(handlers.failures.isEmpty()) << handlers.failures.join(u'\n').toStdString();
    EXPECT_EQ(yearColumns(), QStringList({"1999", "2001", "2002", ""}));
    EXPECT_EQ(regionTotals(), sqlTotals(QStringLiteral("Amount"), QStringLiteral("AND Year <> 2000")));
    // Asked several times per record: skipping, placing and accumulating each read the value.
    EXPECT_GT(handlers.calls[59], 3 * 600);
}

TEST_F(CrossTabScripts, a_handler_that_changes_a_value_changes_every_figure) {
    define();
    handlers.Bind(59, QStringLiteral("procedure CrossTab1GetDimensionValue(aDimension: TppDimension; var aValue: Variant;"
                                     " var aSkip: Boolean);\nbegin\n  if aDimension.GetName = 'Sum of Amount' then\n"
                                     "    aValue := aValue * 2;\nend;"));
    calculate();
    EXPECT_TRUE(handlers.failures.isEmpty()) << handlers.failures.join(u'\n').toStdString();
    EXPECT_EQ(regionTotals(), sqlTotals(QStringLiteral("Amount * 2"), QString()));
}

TEST_F(CrossTabScripts, a_handler_that_replaces_a_dimension_value_merges_the_groups) {
    define();
    handlers.Bind(59, QStringLiteral("procedure CrossTab1GetDimensionValue(aDimension: TppDimension; var aValue: Variant;"
                                     " var aSkip: Boolean);\nbegin\n  if aDimension.GetName = 'Region' then\n"
                                     "    if aValue = 'West' then\n      aValue := 'east';\nend;"));
    calculate();
    EXPECT_TRUE(handlers.failures.isEmpty()) << handlers.failures.join(u'\n').toStdString();
    const auto all = sales->sql(QStringLiteral("SELECT printf('%.4f', SUM(Amount)) FROM \"Sales.DB\" WHERE Region IS NOT NULL"));
    const auto totals = regionTotals();
    ASSERT_EQ(totals.size(), 1u);
    EXPECT_EQ(totals.begin()->first, "EAST");
    EXPECT_EQ(totals.begin()->second, all[0][0]);
}

TEST_F(CrossTabScripts, calculation_handlers_receive_each_cell_and_the_two_notify_events) {
    define();
    handlers.Bind(54, QStringLiteral("procedure CrossTab1CalcDimensionValue(aDimension: TppDimension;"
                                     " var aValue: Variant);\nbegin\n  aValue := 0;\nend;"));
    handlers.Bind(64, QStringLiteral("procedure CrossTab1BeforeCalc;\nbegin\nend;"));
    handlers.Bind(65, QStringLiteral("procedure CrossTab1AfterCalc;\nbegin\nend;"));
    handlers.Bind(63, QStringLiteral("procedure CrossTab1TraverseRecord(aDataPipeline: TppDataPipeline;"
                                     " var aSkipRecord: Boolean);\nbegin\nend;"));
    calculate();
    EXPECT_TRUE(handlers.failures.isEmpty()) << handlers.failures.join(u'\n').toStdString();
    EXPECT_EQ(handlers.calls[64], 1);
    EXPECT_EQ(handlers.calls[65], 1);
    EXPECT_GE(handlers.calls[63], 600);
    // Data, column grand total, row grand total and the corner: four cells per record.
    const int counted = std::stoi(sales->sql(QStringLiteral("SELECT COUNT(*) FROM \"Sales.DB\" WHERE Region IS NOT NULL"))[0][0].toStdString());
    EXPECT_EQ(handlers.calls[54], 4 * counted);
    const TppMatrix& m = *crossTab->Matrix();
    for (int c = m.HeaderColumnCount; c < m.ColumnCount(); ++c)
        for (int r = m.HeaderRowCount; r < m.RowCount(); ++r) {
            if (m.IsEmpty(c, r)) continue;
            EXPECT_EQ(crosstab::ValueText(m.Value(c, r)), "0.0000");
        }
}

// The adapters' members -------------------------------------------------------------------------

/// One member as an adapter describes it: kind, type, access, listed, event id, parameters.
QString describe(const TraRTTI& adapter, TClass cls, const QString& name) {
    TraPropRec rec;
    if (!adapter.GetPropRec(cls, name, rec)) return QStringLiteral("unknown");
    TraPropList list;
    adapter.GetPropList(cls, list);
    TraPropList events;
    adapter.GetEventList(cls, events);
    const bool listed = list.Names().contains(name, Qt::CaseInsensitive) || events.Names().contains(name, Qt::CaseInsensitive);
    QString kind = rec.EventID >= 0 ? QStringLiteral("event %1").arg(rec.EventID)
                   : rec.IsArray    ? QStringLiteral("array")
                   : rec.DataType == TraDataType::daMethod ? QStringLiteral("method")
                                                            : QStringLiteral("property");
    QString type;
    if (rec.DataType == TraDataType::daClass) type = QString::fromLatin1(rec.ClassType ? rec.ClassType->className() : "?");
    else if (rec.DataType == TraDataType::daEnum) type = rec.TypeName;
    else if (rec.DataType != TraDataType::daMethod) type = EnumTypeOf(TraDataType{}).values.at(int(rec.DataType)).mid(2);
    QStringList params;
    if (rec.Params)
        for (int i = 0; i < rec.Params->Count(); ++i) {
            const TraParamRec& p = rec.Params->Param(i);
            const QString t = p.DataType == TraDataType::daClass ? QString::fromLatin1(p.ClassType ? p.ClassType->className() : "?")
                              : p.DataType == TraDataType::daEnum ? p.TypeName
                                                                   : EnumTypeOf(TraDataType{}).values.at(int(p.DataType)).mid(2);
            params << QStringLiteral("%1%2%3: %4").arg(p.IsVar ? "var " : "", p.IsConst ? "const " : "", p.Name, t);
        }
    QStringList parts = {kind};
    if (!type.isEmpty()) parts << type;
    if (rec.DataType != TraDataType::daMethod) parts << (rec.ReadOnly ? QStringLiteral("read-only") : QStringLiteral("read-write"));
    if (listed) parts << QStringLiteral("listed");
    if (!params.isEmpty()) parts << u'(' + params.join(QStringLiteral("; ")) + u')';
    return parts.join(u' ');
}

TEST_F(CrossTabScripts, every_adapter_member_has_its_kind_type_access_listing_and_parameters) {
    struct Member {
        const TraRTTI* adapter;
        TClass cls;
        const char* name;
        const char* expected;
    };
    const TraRTTI* x = &RTTIInstance<TraTppCrossTabRTTI>();
    const TraRTTI* e = &RTTIInstance<TraTppElementRTTI>();
    const TraRTTI* d = &RTTIInstance<TraTppDimensionRTTI>();
    const TraRTTI* v = &RTTIInstance<TraTppValueDefRTTI>();
    const TraRTTI* t = &RTTIInstance<TraTppTotalRTTI>();
    TClass X = &TppCrossTab::staticMetaObject, E = &TppElement::staticMetaObject, Dm = &TppDimension::staticMetaObject,
           V = &TppValueDef::staticMetaObject, T = &TppTotal::staticMetaObject;
    const Member members[] = {
        {x, X, "OnCalcDimensionValue", "event 54 listed (aDimension: TppDimension; var aValue: Variant)"},
        {x, X, "OnFormatCell", "event 55 listed (aElement: TppElement; aColumn: Integer; aRow: Integer)"},
        {x, X, "OnGetCaptionText", "event 56 listed (aElement: TppElement; aColumn: Integer; aRow: Integer; const aDisplayFormat: String; aValue: Variant; var aText: String)"},
        {x, X, "OnGetDimensionName", "event 57 listed (aDimension: TppDimension; var aName: String)"},
        {x, X, "OnGetDimensionCaption", "event 58 listed (aDimension: TppDimension; var aCaption: String)"},
        {x, X, "OnGetDimensionValue", "event 59 listed (aDimension: TppDimension; var aValue: Variant; var aSkip: Boolean)"},
        {x, X, "OnGetTotalCaptionText", "event 60 listed (aElement: TppElement; aColumn: Integer; aRow: Integer; var aText: String)"},
        {x, X, "OnGetTotalValueText", "event 61 listed (aElement: TppElement; aColumn: Integer; aRow: Integer; const aDisplayFormat: String; aValue: Variant; var aText: String)"},
        {x, X, "OnGetValueText", "event 62 listed (aElement: TppElement; aColumn: Integer; aRow: Integer; const aDisplayFormat: String; aValue: Variant; var aText: String)"},
        {x, X, "OnTraverseRecord", "event 63 listed (aDataPipeline: TppDataPipeline; var aSkipRecord: Boolean)"},
        {x, X, "BeforeCalc", "event 64 listed"},
        {x, X, "AfterCalc", "event 65 listed"},
        {x, X, "Calculating", "property Boolean read-only"},
        {x, X, "ColumnDefCount", "property Integer read-only"},
        {x, X, "ColumnDefs", "array (Index: Integer; Result: TppColumnDef)"},
        {x, X, "ColumnGrandTotalCount", "property Integer read-only"},
        {x, X, "ColumnGrandTotals", "array (Index: Integer; Result: TppGrandTotal)"},
        {x, X, "Matrix", "property TppMatrix read-only"},
        {x, X, "Modified", "property Boolean read-only"},
        {x, X, "RowDefCount", "property Integer read-only"},
        {x, X, "RowDefs", "array (Index: Integer; Result: TppRowDef)"},
        {x, X, "RowGrandTotalCount", "property Integer read-only"},
        {x, X, "RowGrandTotals", "array (Index: Integer; Result: TppGrandTotal)"},
        {x, X, "ValueDefCount", "property Integer read-only"},
        {x, X, "ValueDefs", "array (Index: Integer; Result: TppValueDef)"},
        {x, X, "Draw", "property Boolean read-write"},
        {x, X, "GridLines", "property Boolean read-write"},
        {x, X, "Pagination", "property TppCrossTabPaginationType read-write"},
        {x, X, "Style", "property String read-write"},
        {e, E, "Alignment", "property TAlignment read-write listed"},
        {e, E, "Color", "property Integer read-write listed"},
        {e, E, "DisplayFormat", "property String read-write listed"},
        {e, E, "ElementIndex", "property Integer read-write listed"},
        {e, E, "Font", "property TppFont read-write listed"},
        {e, E, "Height", "property Integer read-write listed"},
        {e, E, "Left", "property Integer read-write listed"},
        {e, E, "Top", "property Integer read-write listed"},
        {e, E, "Width", "property Integer read-write listed"},
        {e, E, "TextHeight", "property Integer read-write listed"},
        {e, E, "TextWidth", "property Integer read-write listed"},
        {e, E, "Visible", "property Boolean read-write listed"},
        {e, E, "GetName", "method listed (Result: String)"},
        {e, E, "GetDataType", "method listed (Result: TppDataType)"},
        {e, E, "GetDesignName", "method listed (Result: String)"},
        {e, E, "HasDisplayFormat", "method listed (Result: Boolean)"},
        {e, E, "Modified", "method listed"},
        {d, Dm, "NullOrder", "property TppNullOrderType read-write listed"},
        {d, Dm, "Skip", "property Boolean read-only listed"},
        {d, Dm, "SkipNulls", "property Boolean read-write listed"},
        {d, Dm, "SubTotalCount", "property Integer read-only listed"},
        {d, Dm, "SubTotals", "array listed (Index: Integer; Result: TppSubTotal)"},
        {d, Dm, "SortType", "property TppSortOrderType read-write listed"},
        {d, Dm, "Clear", "method listed"},
        {d, Dm, "GetCaption", "method listed (Result: String)"},
        {d, Dm, "GetFieldDataType", "method listed (Result: TppDataType)"},
        {d, Dm, "GetIndex", "method listed (Result: Integer)"},
        {d, Dm, "GetValue", "method listed (Result: Variant)"},
        {d, Dm, "ShowSubTotals", "method listed (aValue: Boolean)"},
        {v, V, "CaptionDef", "property TppValueCaptionDef read-only listed"},
        {v, V, "SortType", "property TppSortOrderType read-write listed"},
        {t, T, "CaptionDef", "property TppTotalCaptionDef read-only listed"},
        {t, T, "TotalDef", "property TppTotalDef read-only listed"},
        {t, T, "CrossTab", "method listed (Result: TppCrossTab)"},
        {t, T, "GetValueDef", "method listed (Result: TppValueDef)"},
    };
    for (const Member& m : members) EXPECT_EQ(describe(*m.adapter, m.cls, QString::fromLatin1(m.name)), QString::fromLatin1(m.expected)) << m.name;
    // Each adapter is the one the registry finds for its class.
    EXPECT_EQ(raGetRTTI(X), x);
    EXPECT_EQ(raGetRTTI(&TppColumnDef::staticMetaObject), d);
    EXPECT_EQ(raGetRTTI(V), v);
    EXPECT_EQ(raGetRTTI(&TppSubTotal::staticMetaObject), t);
    EXPECT_EQ(raGetRTTI(&TppTotalDef::staticMetaObject), e);
}

TEST_F(CrossTabScripts, members_read_and_write_through_the_adapters) {
    define();
    const TraRTTI& x = RTTIInstance<TraTppCrossTabRTTI>();
    const TraRTTI& e = RTTIInstance<TraTppDimensionRTTI>();
    QVariant value;
    ASSERT_TRUE(x.GetPropValue(crossTab, QStringLiteral("valuedefcount"), value));
    EXPECT_EQ(value.toInt(), 1);
    value = false;
    ASSERT_TRUE(x.SetPropValue(crossTab, QStringLiteral("GridLines"), value));
    EXPECT_FALSE(crossTab->GridLines());
    EXPECT_FALSE(x.SetPropValue(crossTab, QStringLiteral("ColumnDefCount"), value));
    // Arrays read in either direction; an index outside the list is the list-index failure.
    auto params = x.GetParams(QStringLiteral("RowDefs"));
    QVariant index(0), result;
    params->SetParamValuePtr(0, &index);
    params->SetParamValuePtr(1, &result);
    ASSERT_TRUE(x.CallMethod(crossTab, QStringLiteral("RowDefs"), false, *params));
    EXPECT_EQ(result.value<QObject*>(), crossTab->RowDefs(0));
    index = 3;
    EXPECT_THROW(x.CallMethod(crossTab, QStringLiteral("RowDefs"), true, *params), EScriptRunError);
    // Reading Skip fires OnGetDimensionValue once; writing Left notifies nobody, Alignment marks the cross-tab.
    int reads = 0;
    crossTab->OnGetDimensionValue = [&](QObject*, TppDimension*, QVariant&, bool&) { ++reads; };
    ASSERT_TRUE(e.GetPropValue(crossTab->ColumnDefs(0), QStringLiteral("Skip"), value));
    EXPECT_EQ(reads, 1);
    crossTab->Loaded();  // clears Modified
    value = 40;
    ASSERT_TRUE(e.SetPropValue(crossTab->ColumnDefs(0), QStringLiteral("Left"), value));
    EXPECT_EQ(crossTab->ColumnDefs(0)->Left, 40);
    EXPECT_FALSE(crossTab->Modified());
    value = int(TAlignment::taCenter);
    ASSERT_TRUE(e.SetPropValue(crossTab->ColumnDefs(0), QStringLiteral("Alignment"), value));
    EXPECT_TRUE(crossTab->Modified());
}

}  // namespace
