#pragma once

#include "report/model/band.h"
#include "report/model/popup_menu.h"
#include "report/model/printable.h"

#include <QList>

#include <functional>

class TppGroup;
class TppCustomReport;

namespace report {
/// One item a component adds to its design popup menu: the menu shows the caption of the
/// numbered text, orders items by Group, and either toggles the Boolean property that the
/// item is named after (Check) or runs the item's command.
struct DesignPopupItem {
    QString Name;
    int TextNumber = 0;
    int Group = 0;
    bool Check = false;
    std::function<void()> Run;  ///< empty for a check item
};
}  // namespace report

/// Everything placed in a band: texts, images, shapes, lines and the stretchable kinds. It
/// adds to the printable its band (and optionally its region), the band type code and group
/// number it remembers in the stream, the reset group, and following the band's data
/// pipeline. Its geometry is kept inside the band: Left within 0 .. band width, Top at or
/// above 0 (and, in the designer, within the band's height).
///
/// A component joins a band with SetBand (or by being read inside it) and is freed with it.
class TppComponent : public TppPrintable {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppComponent(TComponent* AOwner = nullptr);
    ~TppComponent() override;

    // Virtual operations in slot order.
    virtual TppComponent* NextSibling() const;
    /// The region when there is one, else the band.
    virtual TppCommunicator* ComponentParent() const;
    virtual void SetBand(TppBand* aBand);
    virtual void SetParentDataPipeline(bool aValue);
    virtual void SetResetGroup(TppGroup* aGroup);
    virtual void SetRegion(TppComponent* aRegion);
    /// The rectangle the component may use (mm-thousandths): the region's, else the band's
    /// (0, 0, width, height), else its own.
    virtual QRect GetParentBounds() const;
    virtual void BringToFront();
    virtual void SendToBack();
    /// Whether the component is a region holding others (regions answer true).
    virtual bool IsRegion() const { return false; }
    /// Whether the component takes part in text export (texts with Save).
    virtual bool IsSaved() const { return false; }
    /// The text-export position read from a stream, -1 when none.
    virtual int StoredSaveOrder() const { return -1; }
    /// The component's design popup items: order 10 "BringToFront" and "SendToBack", order 20
    /// the separator "mniLine1", order 30 "Position" and "Visible". Subclasses add theirs
    /// after calling this.
    virtual void CreatePopupMenu(TppPopupMenuItems& aMenu);
    /// Before the menu shows: binds BringToFront and SendToBack, checks Visible from the
    /// property and makes it switch it. Subclasses bind theirs after calling this.
    virtual void PopupMenuPopup(TppPopupMenuItems& aMenu);

    TppBand* Band() const { return m_band; }
    /// Lets pending window events be processed when the report of the component's band
    /// allows it (EnableProcessMessages).
    void ProcessMessages();
    /// The items the component's class adds to the design popup menu after those of its
    /// parent classes; none here.
    virtual QList<report::DesignPopupItem> DesignPopupItems() { return {}; }
    /// The status text of the report of the component's band; empty without a band.
    QString GetStatusMessage() const;
    /// Passes a status text to that report (the output devices show it).
    void SetStatusMessage(const QString& aText);
    TppBandType BandType() const { return m_bandType; }
    int GroupNo() const { return m_groupNo; }
    /// Position in the band's object list; -1 without band.
    int Index() const;
    int ParentIndex() const;
    TppComponent* Region() const { return m_region; }
    TppGroup* ResetGroup() const { return m_resetGroup; }
    bool ParentDataPipeline() const { return m_parentDataPipeline; }
    /// The main report of the band's report; none without band.
    TppCustomReport* GetReport() const;
    /// The band's report.
    TppCustomReport* GetOwnerReport() const;
    void RecalcParentSize();
    /// The printable's setter; a component that follows its band but is given another
    /// pipeline stops following it (outside reading, loading and template loading).
    void SetDataPipeline(TppDataPipeline* aPipeline);


    // Overrides.
    /// Geometry kept within the band (see the class comment); unchanged values are ignored.
    void SetmmLeft(int v) override;
    void SetmmTop(int v) override;
    void SetmmWidth(int v) override;
    void SetmmHeight(int v) override;
    void SetmmBounds(int aLeft, int aTop, int aHeight, int aWidth) override;
    /// Every draw command remembers the component's band.
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    QObject* GetDesigner() const override;
    int GetLanguageIndex() const override;
    bool IsPrinting() const override;
    void Reset() override;
    TppCommunicator* ParentCommunicator() const override;
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override;
    void ChangeOwner(TComponent* aNewOwner) override;
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    bool HasParent() const override { return false; }

private:
    TppBand* m_band = nullptr;       ///< the band holds the component in its object list
    TppBandType m_bandType = TppBandType::btDetail;
    int m_groupNo = -1;
    TppComponent* m_region = nullptr;  ///< linked both ways; cleared when it is freed
    TppGroup* m_resetGroup = nullptr;  ///< linked both ways; cleared when it is freed
    bool m_parentDataPipeline = true;
};
