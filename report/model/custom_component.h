#pragma once

#include "report/model/component.h"

/// The base of components that print in one piece and never continue on the next page
/// (texts, images, shapes, lines). Its page-cache record is two bytes: DrawComponent and
/// GenerationComplete (a component pushed off a page by a stretchable prints on the next).
/// Streams also accept the legacy "ShiftWithBand" and "StretchWithBand" flags.
class TppCustomComponent : public TppComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomComponent(TComponent* AOwner = nullptr) : TppComponent(AOwner) {}

    int CacheRecordSize() const override { return 2; }
    void SaveToCache(int aPageNo) override;
    void RestoreFromCache(int aPageNo) override;
    /// Placing hook run at the end of placing; empty here.
    virtual void AfterPlace() {}
    /// Prints the component in one piece: OnPrint, then placed below the band's top (with
    /// ShiftWithParent: its design distance below the band's tallest stretchable; with
    /// StretchWithParent: down to the band's running bottom); a dynamic band that has no
    /// room left marks it out of space.
    void Generate() override;

    void DefineProperties(stream::Filer& filer) override;
};

