#include "report/model/custom_component.h"

#include "platform/stream/property_table.h"

void TppCustomComponent::SaveToCache(int aPageNo) {
    WriteCacheRecord(aPageNo, QByteArray(1, char(DrawComponent() ? 1 : 0)));
}

void TppCustomComponent::RestoreFromCache(int aPageNo) {
    QByteArray record(1, char(DrawComponent() ? 1 : 0));
    if (ReadCacheRecord(aPageNo, record)) SetDrawComponent(record.at(0) != 0);
}

void TppCustomComponent::DefineProperties(stream::Filer& filer) {
    TppComponent::DefineProperties(filer);
    if (filer.IsWriting()) return;
    filer.DefineProperty(QStringLiteral("ShiftWithBand"), [this](const stream::Value& v) { SetShiftWithParent(v.AsBoolean()); }, {},
                         false);
    filer.DefineProperty(QStringLiteral("StretchWithBand"),
                         [this](const stream::Value& v) { SetStretchWithParent(v.AsBoolean()); }, {}, false);
}
