#include "report/data/data_texts.h"

#include "report/data/data_dictionary.h"
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
}

void FinalizeDataUnit() {
    if (!g_initialized) return;
    g_initialized = false;
    ppGetResourceManager().UnRegisterModule(kModuleName);
    UnRegisterClass(&TppDataDictionary::staticMetaObject);
    stream::ClassRegistry::Global().Unregister(kDictionaryClass);
}

}  // namespace report::data
