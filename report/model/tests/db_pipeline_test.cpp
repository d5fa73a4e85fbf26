// Fields, values, editing and streaming of the dataset pipeline over the catalogue tables.

#include "report/model/db_pipeline.h"
#include "report/model/errors.h"
#include "report/model/pipeline_adapters.h"

#include "report/model/tests/pipeline_fixture.h"

#include "platform/db/data_source.h"
#include "platform/db/table.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <memory>

namespace {

/// A pipeline that refuses every data type but text.
class TppTextOnlyPipeline : public TppCustomDataPipeline {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppTextOnlyPipeline(TComponent* AOwner = nullptr) : TppCustomDataPipeline(AOwner) {}
    bool IsSupportedDataType(TppDataType t) const override { return t == TppDataType::dtString; }
};

class DBPipeline : public ::testing::Test {
protected:
    void SetUp() override {
        orders = database.OpenTable("Orders.DB");
        source.SetDataSet(orders.get());
        pipeline = new TppDBPipeline(&form);
        pipeline->SetName("plOrders");
        pipeline->SetDataSource(&source);
        pipeline->Open();
    }

    static pipeline_test::CatalogueDatabase database;
    std::unique_ptr<db::Table> orders;
    db::DataSource source;
    TComponent form;
    TppDBPipeline* pipeline = nullptr;
};

pipeline_test::CatalogueDatabase DBPipeline::database;

TEST_F(DBPipeline, fields_are_built_from_the_table_on_the_first_question) {
    EXPECT_EQ(pipeline->ChildCount(), 0);
    ASSERT_EQ(pipeline->GetFieldCount(), 5);
    const QStringList names = {"OrderNo", "CustNo", "Package", "Notes", "Picture"};
    const TppDataType types[] = {TppDataType::dtInteger, TppDataType::dtInteger, TppDataType::dtString,
                                 TppDataType::dtMemo, TppDataType::dtGraphic};
    for (int i = 0; i < 5; ++i) {
        TppField* f = pipeline->GetField(i);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->objectName(), QStringLiteral("plOrdersppField%1").arg(i + 1));
        EXPECT_EQ(f->FieldName(), names[i]);
        EXPECT_EQ(f->FieldAlias(), names[i]);
        EXPECT_EQ(f->Position(), i);
        EXPECT_EQ(f->DataType(), types[i]);
        EXPECT_EQ(f->Searchable(), i < 3);
        EXPECT_EQ(f->Alignment(), i < 2 ? TAlignment::taRightJustify : TAlignment::taLeftJustify);
    }
    EXPECT_EQ(pipeline->GetField(2)->FieldLength(), 60);
    EXPECT_EQ(pipeline->GetFieldForAlias("package"), pipeline->GetField(2));
    EXPECT_EQ(pipeline->IndexOfFieldName("NOTES"), 3);
    EXPECT_EQ(pipeline->GetFieldIndex("Notes"), 3);
    EXPECT_EQ(pipeline->GetFieldIndex("notes"), -1);  // the name list matches exactly
    EXPECT_EQ(pipeline->GetFieldForName("Missing"), nullptr);
    EXPECT_EQ(pipeline->GetFieldDataType("Missing"), TppDataType::dtNotKnown);
}

TEST_F(DBPipeline, renaming_a_field_moves_its_alias_only_while_the_alias_follows_the_name) {
    TppField* f = pipeline->GetField(2);
    f->SetFieldName("Pkg");
    EXPECT_EQ(f->FieldAlias(), "Pkg");
    f->SetFieldAlias("Package name");
    f->SetFieldName("Package");
    EXPECT_EQ(f->FieldAlias(), "Package name");
    EXPECT_EQ(pipeline->FieldValues("Package name").toString(), database.packageOfOrder.at(1));
}

TEST_F(DBPipeline, values_by_kind_memo_as_stream_and_picture_bytes) {
    ASSERT_TRUE(orders->FindKey({3}));  // every third order has a picture
    EXPECT_EQ(pipeline->GetFieldValue("OrderNo"), QVariant(3));
    EXPECT_EQ(pipeline->GetFieldValue("Package").toString(), database.packageOfOrder.at(3));
    EXPECT_TRUE(pipeline->GetFieldValue("Notes").isNull());
    EXPECT_TRUE(pipeline->GetFieldValue("Missing").isNull());
    EXPECT_EQ(pipeline->GetFieldAsString("Missing"), QString());
    EXPECT_EQ(pipeline->GetFieldAsDouble("CustNo"), orders->FieldByName("CustNo")->AsFloat());

    QBuffer memo;
    memo.open(QIODevice::WriteOnly);
    pipeline->GetFieldAsStream("Notes", memo);
    EXPECT_EQ(QString::fromUtf8(memo.data()), database.descriptionOfOrder.at(3));
    QBuffer text;
    text.open(QIODevice::WriteOnly);
    pipeline->GetFieldAsStream("Package", text);
    EXPECT_EQ(text.data(), database.packageOfOrder.at(3).toUtf8() + QByteArray(1, '\0'));

    const QByteArray picture = pipeline->GetFieldAsPicture("Picture");
    EXPECT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.startsWith("\x89PNG"));
    EXPECT_TRUE(pipeline->GetFieldAsPicture("Package").isNull());
}

TEST_F(DBPipeline, locate_cuts_a_text_longer_than_the_field) {
    const QString package = database.packageOfOrder.at(7);
    const QString tooLong = package + QString(70, u'x');
    // Package holds 60 characters: a text of 75 is searched as its first 60.
    orders->First();
    orders->Edit();
    orders->FieldByName("Package")->SetAsString(QString(60, u'p'));
    orders->Post();
    EXPECT_TRUE(pipeline->Locate("Package", QString(75, u'p'), 0));
    EXPECT_EQ(orders->FieldByName("OrderNo")->AsInteger(), 1);
    EXPECT_TRUE(pipeline->Locate("Package", package.toUpper(), 1));
    EXPECT_EQ(pipeline->GetFieldValue("OrderNo"), QVariant(7));
    EXPECT_FALSE(pipeline->Locate("Package", tooLong, 0));
    EXPECT_FALSE(pipeline->Locate("NoSuchField", "x", 0));
    orders->First();
    orders->Edit();
    orders->FieldByName("Package")->SetAsString(database.packageOfOrder.at(1));
    orders->Post();
}

TEST_F(DBPipeline, a_cursor_closed_elsewhere_closes_the_pipeline_and_its_fields_come_back_on_reopening) {
    ASSERT_EQ(pipeline->GetFieldCount(), 5);
    int closes = 0;
    pipeline->OnClose = [&](QObject*) { ++closes; };
    orders->Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(pipeline->GetActive());
    EXPECT_EQ(pipeline->ChildCount(), 0);
    EXPECT_EQ(pipeline->PipelineState(), 0);
    orders->Open();
    EXPECT_TRUE(pipeline->GetActive());
    EXPECT_EQ(pipeline->GetFieldCount(), 5);
    pipeline->OnClose = nullptr;
}

TEST_F(DBPipeline, close_data_source_closes_the_cursor_with_the_pipeline_once) {
    int closes = 0;
    pipeline->OnClose = [&](QObject*) { ++closes; };
    pipeline->Close();
    EXPECT_TRUE(orders->Active());  // CloseDataSource is off by default
    EXPECT_EQ(closes, 1);
    pipeline->Open();
    pipeline->SetCloseDataSource(true);
    pipeline->Close();
    EXPECT_FALSE(orders->Active());
    EXPECT_EQ(closes, 2);
    EXPECT_FALSE(pipeline->GetActive());
    pipeline->OnClose = nullptr;
}

TEST_F(DBPipeline, a_cursor_that_cannot_open_raises_a_data_error_with_its_message) {
    db::Table missing;
    missing.SetDatabaseName(database.Folder());
    missing.SetTableName("Missing.DB");
    db::DataSource s;
    s.SetDataSet(&missing);
    TppDBPipeline p;
    p.SetDataSource(&s);
    try {
        p.Open();
        FAIL() << "no error";
    } catch (const EDataError& e) {
        EXPECT_TRUE(e.Message().contains("Missing.DB", Qt::CaseInsensitive)) << e.Message();
    }
}

TEST_F(DBPipeline, editing_through_the_pipeline_writes_the_table) {
    ASSERT_TRUE(orders->FindKey({5}));
    pipeline->Edit();
    QByteArray note = "A note written through the pipeline";
    QBuffer in(&note);
    in.open(QIODevice::ReadOnly);
    pipeline->SetFieldFromStream("Notes", in);
    pipeline->SetFieldValue("Package", "renamed-package");
    pipeline->SetRefreshAfterPost(true);
    pipeline->Post();
    auto other = database.OpenTable("Orders.DB");
    ASSERT_TRUE(other->FindKey({5}));
    EXPECT_EQ(other->FieldByName("Notes")->AsString(), QString::fromUtf8(note));
    EXPECT_EQ(other->FieldByName("Package")->AsString(), "renamed-package");
    other->Edit();
    other->FieldByName("Package")->SetAsString(database.packageOfOrder.at(5));
    other->FieldByName("Notes")->SetAsString(database.descriptionOfOrder.at(5));
    other->Post();
}

TEST_F(DBPipeline, defining_a_refused_type_raises_and_a_defined_field_is_aligned_by_type) {
    TppTextOnlyPipeline p;
    p.setObjectName("plText");
    p.SetAutoCreateFields(false);
    EXPECT_EQ(p.DefineField("Name", TppDataType::dtString, 30), 0);
    EXPECT_EQ(p.GetField(0)->DisplayWidth(), 30);
    EXPECT_EQ(p.GetField(0)->Alignment(), TAlignment::taLeftJustify);
    try {
        p.DefineField("Amount", TppDataType::dtCurrency, 10);
        FAIL() << "no error";
    } catch (const EInvalidPropertyError& e) {
        EXPECT_EQ(e.Message(), "DataType not supported by TppTextOnlyPipeline");
    }
    EXPECT_THROW(p.GetField(0)->SetDataType(TppDataType::dtDate), EInvalidPropertyError);
    TppCustomDataPipeline any;
    any.SetAutoCreateFields(false);
    any.DefineField("Amount", TppDataType::dtDouble, 12);
    EXPECT_EQ(any.GetField(0)->Alignment(), TAlignment::taRightJustify);
}

TEST_F(DBPipeline, streams_out_and_in_equal_with_fields_links_and_data_source) {
    report::RegisterPipelineClasses();
    pipeline->SetAutoCreateFields(false);
    pipeline->DefineField("OrderNo", TppDataType::dtInteger, 10);
    pipeline->DefineField("Package", TppDataType::dtString, 60);
    pipeline->GetField(1)->SetFieldAlias("Package name");
    pipeline->AddMasterFieldLink("CustNo", "CustNo");
    pipeline->SetRangeEnd(TppRangeEndType::reCount);
    pipeline->SetRangeEndCount(12);
    pipeline->SetEventHandler(TppDataPipeline::Event::OnTraversal, "plOrdersTraversal");
    source.setObjectName("dsOrders");
    source.setParent(&form);

    const QByteArray binary = stream::WriteComponent(*pipeline);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    EXPECT_TRUE(text.contains("DataSource = dsOrders")) << text.constData();
    EXPECT_TRUE(text.contains("FieldAlias = 'Package name'")) << text.constData();
    EXPECT_TRUE(text.contains("object TppMasterFieldLink")) << text.constData();
    for (const QByteArray& bytes : {binary, text}) {
        TComponent other;
        db::DataSource otherSource(&other);
        otherSource.setObjectName("dsOrders");
        auto* read = new TppDBPipeline(&other);
        const QByteArray asText = stream::DetectFormat(bytes) == stream::StreamFormat::Binary
                                      ? stream::ObjectBinaryToText(bytes)
                                      : bytes;
        stream::ReadComponentInto(*read, stream::ParseObjectText(asText));
        EXPECT_EQ(read->DataSource(), &otherSource);
        EXPECT_FALSE(read->GetAutoCreateFields());
        ASSERT_EQ(read->GetFieldCount(), 2);
        EXPECT_EQ(read->GetField(1)->FieldAlias(), "Package name");
        ASSERT_EQ(read->GetMasterFieldLinkCount(), 1);
        EXPECT_EQ(read->GetMasterFieldLink(0)->DetailFieldName(), "CustNo");
        EXPECT_EQ(read->RangeEndCount(), 12);
        EXPECT_EQ(stream::WriteComponent(*read), binary);
    }
    source.setParent(nullptr);
}

TEST_F(DBPipeline, scripts_reach_the_pipeline_through_its_adapters) {
    report::RegisterPipelineAdapters();
    const TraRTTI* adapter = raGetRTTI(pipeline->metaObject());
    ASSERT_EQ(adapter, &RTTIInstance<TraTppDBPipelineRTTI>());
    ASSERT_TRUE(orders->FindKey({4}));
    QVariant v;
    ASSERT_TRUE(adapter->GetPropValue(pipeline, "EOF", v));
    EXPECT_FALSE(v.toBool());
    ASSERT_TRUE(adapter->GetPropValue(pipeline, "FieldCount", v));
    EXPECT_EQ(v.toInt(), 5);
    QVariant range = int(TppRangeEndType::reCount);
    EXPECT_TRUE(adapter->SetPropValue(pipeline, "RangeEnd", range));
    EXPECT_EQ(pipeline->RangeEnd(), TppRangeEndType::reCount);
    QVariant count = 3;
    EXPECT_FALSE(adapter->SetPropValue(pipeline, "TraversalCount", count));  // read-only

    // FieldValues['Package'] through the array property.
    std::unique_ptr<TraParamList> params = adapter->GetParams("FieldValues");
    ASSERT_EQ(params->Count(), 2);
    QVariant alias = QStringLiteral("Package"), result;
    params->BindParamValue(0, &alias);
    params->BindParamValue(1, &result);
    ASSERT_TRUE(adapter->CallMethod(pipeline, "FieldValues", true, *params));
    EXPECT_EQ(result.toString(), database.packageOfOrder.at(4));

    TraPropRec rec;
    ASSERT_TRUE(adapter->GetPropRec(pipeline->metaObject(), "OnTraversal", rec));
    EXPECT_EQ(rec.EventID, 39);
    ASSERT_TRUE(adapter->GetPropRec(pipeline->metaObject(), "RangeBegin", rec));
    EXPECT_EQ(rec.TypeName, "TppRangeBeginType");
    ASSERT_TRUE(adapter->GetPropValue(pipeline, "UserName", v));  // handed down to the communicator adapter
    EXPECT_EQ(v.toString(), pipeline->UserName());
    report::UnRegisterPipelineAdapters();
}

}  // namespace

#include "db_pipeline_test.moc"
