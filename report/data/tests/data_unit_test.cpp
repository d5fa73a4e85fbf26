// The data workspace's start-up: its language module and the dictionary's class, and the
// dictionary's component stream.

#include "report/data/data_dictionary.h"
#include "report/data/data_texts.h"

#include "report/page/class_library.h"
#include "report/page/resource_manager.h"

#include "platform/stream/class_registry.h"
#include "platform/stream/object_stream.h"
#include "platform/stream/text_form.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(DataUnit, registers_its_language_module_whose_texts_replace_the_defaults) {
    QTemporaryDir folder;
    {
        QFile f(folder.filePath("tsDavrel.deu"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("; Datenwörterbuch\n43683=DataDictionary.<name> ist nicht zugewiesen.\n");
    }
    ppFreeResourceManager();
    ppGetResourceManager().SetSearchFolders({folder.path()});
    report::data::InitializeDataUnit();
    EXPECT_TRUE(ppGetResourceManager().Modules().contains("tsDavrel"));
    EXPECT_EQ(report::GetClass("TppDataDictionary"), &TppDataDictionary::staticMetaObject);
    EXPECT_TRUE(stream::ClassRegistry::Global().Contains("TppDataDictionary"));

    TppDataDictionary dictionary;
    EXPECT_FALSE(dictionary.Validate());
    EXPECT_EQ(dictionary.ErrorMessage(), "DataDictionary.TablePipeline property is not assigned.");
    ASSERT_TRUE(ppGetResourceManager().SetLanguage(TppLanguageType::lgGerman));
    EXPECT_FALSE(dictionary.Validate());
    EXPECT_EQ(dictionary.ErrorMessage(), "DataDictionary.TablePipeline ist nicht zugewiesen.");

    report::data::FinalizeDataUnit();
    EXPECT_FALSE(ppGetResourceManager().Modules().contains("tsDavrel"));
    EXPECT_FALSE(stream::ClassRegistry::Global().Contains("TppDataDictionary"));
    ppFreeResourceManager();
}

TEST(DataUnit, a_dictionary_streams_out_and_in_with_its_links_and_names) {
    report::data::InitializeDataUnit();
    TComponent form;
    for (const char* name : {"plTables", "plFields", "plJoins"}) (new TppDataPipeline(&form))->SetName(name);
    auto* dictionary = new TppDataDictionary(&form);
    dictionary->SetName("ppDataDictionary1");
    dictionary->SetTablePipeline(form.findChild<TppDataPipeline*>("plTables"));
    dictionary->SetFieldPipeline(form.findChild<TppDataPipeline*>("plFields"));
    dictionary->SetJoinPipeline(form.findChild<TppDataPipeline*>("plJoins"));
    dictionary->SetAutoJoin(false);  // kept on reading although a join pipeline is linked
    dictionary->SetUseTableOwnerName(true);
    dictionary->SetValidateTableNames(false);
    dictionary->FieldFieldNames()->SetDataType("FieldType");
    dictionary->JoinFieldNames()->SetOperators("Ops");
    dictionary->BuilderSettings()->SetDatabaseName("ReportDB");

    const QByteArray binary = stream::WriteComponent(*dictionary);
    const QByteArray text = stream::ObjectBinaryToText(binary);
    for (const char* expected : {"JoinPipeline = plJoins", "FieldFieldNames.DataType = 'FieldType'",
                                 "BuilderSettings.DatabaseName = 'ReportDB'", "ValidateTableNames = False"})
        EXPECT_TRUE(text.contains(expected)) << expected << "\n" << text.constData();
    EXPECT_FALSE(text.contains("AutoJoin")) << text.constData();

    TComponent other;
    for (const char* name : {"plTables", "plFields", "plJoins"}) (new TppDataPipeline(&other))->SetName(name);
    auto* read = new TppDataDictionary(&other);
    stream::ReadOptions options;
    options.findComponent = [&other](const QString& name) -> stream::Component* {
        return other.findChild<TppDataPipeline*>(name, Qt::FindDirectChildrenOnly);
    };
    stream::ReadComponentInto(*read, stream::ParseObjectText(text), options);
    EXPECT_EQ(read->JoinPipeline(), other.findChild<TppDataPipeline*>("plJoins"));
    EXPECT_EQ(read->TablePipeline(), other.findChild<TppDataPipeline*>("plTables"));
    EXPECT_FALSE(read->AutoJoin());
    EXPECT_TRUE(read->UseTableOwnerName());
    EXPECT_EQ(read->FieldFieldNames()->DataType(), "FieldType");
    EXPECT_EQ(read->FieldFieldNames()->FieldName(), "FieldName");
    EXPECT_EQ(stream::WriteComponent(*read), binary);
    report::data::FinalizeDataUnit();
}

}  // namespace
