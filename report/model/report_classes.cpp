#include "report/model/report_classes.h"

#include "report/model/band_classes.h"
#include "report/model/graphic_components.h"
#include "report/model/group.h"
#include "report/model/image_components.h"
#include "report/model/barcode.h"
#include "report/model/palette_registry.h"
#include "report/model/report.h"
#include "report/model/text_components.h"
#include "report/model/memo.h"
#include "report/model/rich_text.h"
#include "report/model/region.h"
#include "report/model/subreport.h"
#include "report/model/variable.h"
#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

#include "platform/stream/class_registry.h"

namespace report {

namespace {

template <class T>
void registerStreamed() {
    stream::ClassRegistry::Global().Register<T>(QString::fromLatin1(T::staticMetaObject.className()));
    RegisterClass(&T::staticMetaObject);
}

template <class T>
void unregisterStreamed() {
    stream::ClassRegistry::Global().Unregister(QString::fromLatin1(T::staticMetaObject.className()));
    UnRegisterClass(&T::staticMetaObject);
}

struct PaletteEntry {
    TClass cls;
    const char* palette;
    int position;
    int hint;
};

/// The palette entries of the classes this model builds, in registration order.
const std::vector<PaletteEntry>& paletteEntries() {
    static const std::vector<PaletteEntry> entries = {
        {&TppLabel::staticMetaObject, "Standard Components", 0, 172},
        {&TppMemo::staticMetaObject, "Standard Components", 1, 175},
        {&TppRichText::staticMetaObject, "Standard Components", 2, 351},
        {&TppSystemVariable::staticMetaObject, "Standard Components", 3, 491},
        {&TppVariable::staticMetaObject, "Standard Components", 4, 492},
        {&TppImage::staticMetaObject, "Standard Components", 5, 170},
        {&TppShape::staticMetaObject, "Standard Components", 6, 178},
        {&TppLine::staticMetaObject, "Standard Components", 7, 174},
        {&TppBarCode::staticMetaObject, "Standard Components", 8, 460},
        {&TppDBText::staticMetaObject, "Data Components", 0, 167},
        {&TppDBMemo::staticMetaObject, "Data Components", 1, 166},
        {&TppDBRichText::staticMetaObject, "Data Components", 2, 352},
        {&TppDBCalc::staticMetaObject, "Data Components", 3, 164},
        {&TppDBImage::staticMetaObject, "Data Components", 4, 165},
        {&TppDBBarCode::staticMetaObject, "Data Components", 5, 461},
        {&TppRegion::staticMetaObject, "Advanced Components", 0, 368},
        {&TppSubReport::staticMetaObject, "Advanced Components", 1, 369},
    };
    return entries;
}

bool g_registered = false;

}  // namespace

void DeclareModelTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {164, "DBCalc"},
            {165, "DBImage"},
            {460, "BarCode"}, {461, "DBBarCode"},
            {166, "DBMemo"},
            {167, "DBText"},
            {170, "Image"},
            {172, "Label"},
            {174, "Line"},
            {175, "Memo"},
            {178, "Shape"},
            {351, "RichText"},
            {352, "DBRichText"},
            {187, "Column Footer"},
            {188, "Column Header"},
            {189, "Detail"},
            {190, "Footer"},
            {191, "Group Footer"},
            {192, "Group Header"},
            {193, "Header"},
            {194, "Summary"},
            {195, "Title"},
            {292, "Controls beyond the new column width will be deleted."},
            {293, "Controls within the column header and column footer will be deleted."},
            {294, "Controls within the column header will be deleted."},
            {295, "Controls within the column footer will be deleted."},
            {296, "Invalid value: Zero height band cannot contain components."},
            {297, "Invalid value: Height of band cannot exceed height of page."},
            {300, "No CustomField Assigned."},
            {301, "No DataField Assigned."},
            {328, "Controls beyond the new page width will be deleted."},
            {331, "Group"},
            {368, "Region"},
            {369, "SubReport"},
            {399, "Error loading memo."},
            {414, "Error loading rich text."},
            {491, "System Variable"},
            {492, "Variable"},
            {691, "Page Style"},
            {1028, "Count"},
            {1029, "Sum"},
            {1030, "Minimum"},
            {1031, "Maximum"},
            {1032, "Average"},
        });
        return true;
    }();
    (void)declared;
}

void RegisterReportClasses() {
    DeclareFoundationTexts();
    DeclareModelTexts();
    if (g_registered) return;
    g_registered = true;
    registerStreamed<TppReport>();
    registerStreamed<TppChildReport>();
    registerStreamed<TppHeaderBand>();
    registerStreamed<TppTitleBand>();
    registerStreamed<TppDetailBand>();
    registerStreamed<TppSummaryBand>();
    registerStreamed<TppFooterBand>();
    registerStreamed<TppGroupHeaderBand>();
    registerStreamed<TppGroupFooterBand>();
    registerStreamed<TppColumnHeaderBand>();
    registerStreamed<TppColumnFooterBand>();
    registerStreamed<TppPageStyle>();
    registerStreamed<TppGroup>();
    registerStreamed<TppLabel>();
    registerStreamed<TppDBText>();
    registerStreamed<TppDBCalc>();
    registerStreamed<TppShape>();
    registerStreamed<TppLine>();
    registerStreamed<TppImage>();
    registerStreamed<TppDBImage>();
    registerStreamed<TppBarCode>(), registerStreamed<TppDBBarCode>();
    registerStreamed<TppVariable>();
    registerStreamed<TppSystemVariable>();
    registerStreamed<TppMemo>();
    registerStreamed<TppDBMemo>();
    registerStreamed<TppRichText>();
    registerStreamed<TppDBRichText>();
    registerStreamed<TppRegion>();
    registerStreamed<TppSubReport>();
    if (!ppPaletteHooksInstalled()) InstallPaletteRegistry();
    for (const PaletteEntry& e : paletteEntries())
        ppRegisterPaletteComponent(e.cls, QString::fromLatin1(e.palette), e.position, 0, QString(), e.hint);
}

void UnRegisterReportClasses() {
    if (!g_registered) return;
    g_registered = false;
    for (const PaletteEntry& e : paletteEntries()) ppUnregisterPaletteComponent(e.cls);
    unregisterStreamed<TppReport>();
    unregisterStreamed<TppChildReport>();
    unregisterStreamed<TppHeaderBand>();
    unregisterStreamed<TppTitleBand>();
    unregisterStreamed<TppDetailBand>();
    unregisterStreamed<TppSummaryBand>();
    unregisterStreamed<TppFooterBand>();
    unregisterStreamed<TppGroupHeaderBand>();
    unregisterStreamed<TppGroupFooterBand>();
    unregisterStreamed<TppColumnHeaderBand>();
    unregisterStreamed<TppColumnFooterBand>();
    unregisterStreamed<TppPageStyle>();
    unregisterStreamed<TppGroup>();
}

}  // namespace report
