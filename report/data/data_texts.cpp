#include "report/data/data_texts.h"

#include "report/data/data_dictionary.h"
#include "report/data/data_view.h"
#include "report/data/engine_plugin.h"
#include "report/data/sql.h"
#include "report/page/class_library.h"
#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

#include "platform/stream/class_registry.h"

namespace report::data {

namespace {
const QString kModuleName = QStringLiteral("tsDavrel");
const QString kDictionaryClass = QStringLiteral("TppDataDictionary");
bool g_initialized = false;
}  // namespace

void DeclareDataTexts() {
    static const bool declared = [] {
        DeclareFoundationTexts();
        DeclareTexts({
            {682, "DataDictionary.<name> '<name>' could not be opened."},
            {683, "DataDictionary.<name> property is not assigned."},
            {684, "<name>.<name> field: '<name>' could not be found."},
            {729, "Avg"}, {731, "begin"}, {732, "Between"}, {733, "Blank"}, {740, "Count"},
            {752, "Descending"}, {758, "end"}, {759, "Expression"}, {765, "Full Outer"}, {772, "In List"},
            {773, "Inner"}, {784, "Left Outer"}, {785, "Like"}, {787, "Max"}, {788, "Min"}, {794, "NOT"},
            {795, "Not Between"}, {796, "Not Blank"}, {797, "Not In List"}, {798, "Not Like"}, {803, "OR"},
            {815, "Right Outer"}, {832, "Sum"},
            {712, "<name> is not a valid Data Pipeline name."}, {777, "Invalid SQL statement."},
            {805, "Please enter a description of your query."}, {829, "SQL"},
            {839, "Unable to open table: <name>."}, {840, "Error: <message>"},
        });
        return true;
    }();
    (void)declared;
}

void InitializeDataUnit() {
    if (g_initialized) return;
    g_initialized = true;
    DeclareDataTexts();
    ppGetResourceManager().RegisterModule(kModuleName);
    RegisterClass(&TppDataDictionary::staticMetaObject);
    stream::ClassRegistry::Global().Register<TppDataDictionary>(kDictionaryClass);
    RegisterSQLClasses();
    RegisterClass(&TdaDataModule::staticMetaObject);
    stream::ClassRegistry::Global().Register<TdaDataModule>(QStringLiteral("TdaDataModule"));
    RegisterEnginePlugin();
}

void FinalizeDataUnit() {
    if (!g_initialized) return;
    g_initialized = false;
    ppGetResourceManager().UnRegisterModule(kModuleName);
    UnRegisterClass(&TppDataDictionary::staticMetaObject);
    stream::ClassRegistry::Global().Unregister(kDictionaryClass);
    UnRegisterSQLClasses();
    UnRegisterClass(&TdaDataModule::staticMetaObject);
    stream::ClassRegistry::Global().Unregister(QStringLiteral("TdaDataModule"));
    UnRegisterEnginePlugin();
}

}  // namespace report::data
