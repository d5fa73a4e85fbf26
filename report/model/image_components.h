#pragma once

#include "report/model/custom_component.h"

#include "platform/stream/property_table.h"

#include "platform/paint/picture.h"

/// A picture, centred, stretched or kept in proportion within the component's rectangle.
/// The picture itself is set in code (the stream keeps only the settings).
class TppCustomImage : public TppCustomComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomImage(TComponent* AOwner = nullptr);

    virtual paint::Picture GetPicture() const { return m_picture; }
    paint::Picture Picture() const { return m_picture; }
    void SetPicture(const paint::Picture& aPicture);
    bool Center() const { return m_center; }
    void SetCenter(bool v);
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool v);
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool v);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool v);
    bool HasColor() const override { return false; }
    bool HasFontColor() const override { return false; }
    /// A new picture: an auto-sized image takes its size; redraw.
    virtual void PictureChanged();
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;

protected:
    template <class T>
    static void addImageProperties(stream::PropertyTable<T>& t);

private:
    paint::Picture m_picture;
    bool m_center = true;
    bool m_directDraw = false;
    bool m_maintainAspectRatio = false;
    bool m_stretch = false;
};

class TppImage : public TppCustomImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppImage(TComponent* AOwner = nullptr);
    const stream::PropertyList& StreamProperties() const override;
};

/// The picture of a graphic or BLOB field of the current record.
class TppDBImage : public TppCustomImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppDBImage(TComponent* AOwner = nullptr);
    bool IsDataAware() const override { return true; }
    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool v) { m_autoDisplay = v; }
    QString GraphicType() const { return m_graphicType; }
    /// Accepts "Bitmap", "MetaFile", "Icon", "GIF" and "JPEG"; a MetaFile draws directly.
    void SetGraphicType(const QString& aType);
    QString GetDescription() const override;
    /// The picture of the current record: the field's bytes decoded (graphic and BLOB
    /// fields). While pages are generated an undecodable picture raises EPrintError 290
    /// ("Invalid Image."); at other times the image shows no picture.
    paint::Picture GetPicture() const override;
    const stream::PropertyList& StreamProperties() const override;

private:
    bool m_autoDisplay = true;
    QString m_graphicType = QStringLiteral("Bitmap");
};
