#include "report/model/custom_component.h"

#include "report/model/band_classes.h"
#include "report/model/stretchable.h"

#include "platform/stream/property_table.h"

void TppCustomComponent::SaveToCache(int aPageNo) {
    QByteArray record(2, 0);
    record[0] = char(DrawComponent());
    record[1] = char(GenerationComplete());
    WriteCacheRecord(aPageNo, record);
}

void TppCustomComponent::RestoreFromCache(int aPageNo) {
    QByteArray record(2, 0);
    if (!ReadCacheRecord(aPageNo, record)) return;
    SetDrawComponent(record.at(0) != 0);
    SetGenerationComplete(record.at(1) != 0);
}

void TppCustomComponent::DefineProperties(stream::Filer& filer) {
    TppComponent::DefineProperties(filer);
    if (filer.IsWriting()) return;
    filer.DefineProperty(QStringLiteral("ShiftWithBand"), [this](const stream::Value& v) { SetShiftWithParent(v.AsBoolean()); }, {},
                         false);
    filer.DefineProperty(QStringLiteral("StretchWithBand"),
                         [this](const stream::Value& v) { SetStretchWithParent(v.AsBoolean()); }, {}, false);
}

void TppCustomComponent::Generate() {
    const bool wasDrawing = DrawComponent();
    DoPrint();
    if (!wasDrawing && Visible()) SetDrawComponent(true);
    if (DrawComponent() && Visible()) {
        auto* band = qobject_cast<TppCustomBand*>(Band());
        if (band) {
            int top = band->BandTop() + mmTop();
            if (const TppStretchable* s = band->TallestStretchable(); s && ShiftWithParent())
                top = s->PrintRect().top() + s->SpaceUsed() + mmTop() - s->mmTop() - s->mmHeight();
            int height = mmHeight();
            const int running = band->RunningBottom();
            const int available = band->AvailableBottom();
            if (StretchWithParent()) {
                if (top < running) height = running - top;
                if (top < available && available < top + height) height = available - top;
            }
            if (band->PrintHeight() == TppPrintHeightType::phDynamic && available + 1 < top + height) {
                SetOutOfSpace(true);
                return;
            }
            const int left = band->BandLeft() + mmLeft();
            SetSpaceUsed(height);
            SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + height)));
            AfterPlace();
            SetPrintRect(QRect(QPoint(left, top), QPoint(left + mmWidth(), top + SpaceUsed())));
        }
    }
    SetGenerationComplete(true);
}
