#pragma once

#include "report/model/component.h"

/// The base of components that print in one piece and never continue on the next page
/// (texts, images, shapes, lines). Its page-cache record is one byte: DrawComponent.
/// Streams also accept the legacy "ShiftWithBand" and "StretchWithBand" flags.
class TppCustomComponent : public TppComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomComponent(TComponent* AOwner = nullptr) : TppComponent(AOwner) {}

    int CacheRecordSize() const override { return 1; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Placing hook run at the end of placing; empty here.
    virtual void AfterPlace() {}
    /// Prints the component in one piece: OnPrint, then placed below the band's top (or
    /// stretched down to the band's running bottom); a dynamic band that has no room left
    /// marks it out of space.
    void Generate() override;

    void DefineProperties(stream::Filer& filer) override;
};

