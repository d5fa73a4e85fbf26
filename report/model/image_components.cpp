#include "report/model/image_components.h"

#include "report/model/errors.h"
#include "report/model/internal/component_properties.h"
#include "report/page/resource_manager.h"

TppCustomImage::TppCustomImage(TComponent* AOwner) : TppCustomComponent(AOwner) {
    SetDrawCommandClass(&TppDrawImage::staticMetaObject);
}

void TppCustomImage::SetPicture(const paint::Picture& aPicture) {
    m_picture = aPicture;
    PictureChanged();
}

void TppCustomImage::PictureChanged() {
    if (HasState(csReading | csLoading)) return;
    if (AutoSize() && m_picture.Width() > 0 && m_picture.Height() > 0)
        SetSpBounds(spLeft(), spTop(), m_picture.Width(), m_picture.Height());
    InvalidateDesignControl();
    PropertyChange();
}

void TppCustomImage::PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) {
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    auto* d = qobject_cast<TppDrawImage*>(aDrawCommand);
    if (!d) return;
    const QRect r = PrintRect();
    d->SetLeft(r.left());
    d->SetTop(r.top());
    d->SetWidth(r.right() - r.left());
    d->SetHeight(r.bottom() - r.top());
    d->SetStretch(m_stretch);
    d->SetCenter(m_center);
    d->SetMaintainAspectRatio(m_maintainAspectRatio);
    d->SetDirectDraw(m_directDraw);
    d->SetPicture(GetPicture());
    d->SetTransparent(Transparent());
}

#define IMAGE_SETTER(Name, member)       \
    void TppCustomImage::Set##Name(bool v) { \
        member = v;                          \
        PictureChanged();                    \
    }
IMAGE_SETTER(Center, m_center)
IMAGE_SETTER(DirectDraw, m_directDraw)
IMAGE_SETTER(MaintainAspectRatio, m_maintainAspectRatio)
IMAGE_SETTER(Stretch, m_stretch)
#undef IMAGE_SETTER

template <class T>
void TppCustomImage::addImageProperties(stream::PropertyTable<T>& t) {
    t.Boolean("AutoSize", &T::AutoSize, &T::SetAutoSize, false)
        .Boolean("Center", &T::Center, &T::SetCenter, true)
        .Boolean("DirectDraw", &T::DirectDraw, &T::SetDirectDraw, false)
        .Boolean("MaintainAspectRatio", &T::MaintainAspectRatio, &T::SetMaintainAspectRatio, false)
        .Boolean("Stretch", &T::Stretch, &T::SetStretch, false)
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false);
    report::internal::AddPlacementProperties(t);
}

TppImage::TppImage(TComponent* AOwner) : TppCustomImage(AOwner) {}

const stream::PropertyList& TppImage::StreamProperties() const {
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<TppImage> t(base);
        addImageProperties(t);
        return t;
    }(TppCustomImage::StreamProperties());
    return table;
}

TppDBImage::TppDBImage(TComponent* AOwner) : TppCustomImage(AOwner) {}

void TppDBImage::SetGraphicType(const QString& aType) {
    static const QStringList known = {QStringLiteral("Bitmap"), QStringLiteral("GIF"), QStringLiteral("Icon"),
                                      QStringLiteral("JPEG"), QStringLiteral("MetaFile")};
    if (!known.contains(aType)) return;
    m_graphicType = aType;
    if (HasState(csReading | csLoading)) return;
    SetDirectDraw(aType == QLatin1String("MetaFile"));
    PropertyChange();
    Reset();
}

paint::Picture TppDBImage::GetPicture() const {
    if (!m_autoDisplay || !CanShowData()) return {};
    const TppDataType type = DataPipeline()->GetFieldDataType(DataField());
    if (type != TppDataType::dtBLOB && type != TppDataType::dtGraphic) return {};
    QByteArray bytes;
    try {
        bytes = DataPipeline()->GetFieldValue(DataField()).toByteArray();
    } catch (const base::Exception&) {
        bytes.clear();
    }
    if (bytes.isEmpty()) return {};
    base::Result<paint::Picture> picture = paint::Picture::FromData(bytes);
    if (!picture) picture = paint::Picture::FromGraphicData(bytes);
    if (picture) return *picture;
    if (IsPrinting()) throw EDataError(report::MessageText(290));  // the report wraps it in text 1023
    return {};
}

QString TppDBImage::GetDescription() const {
    return DataField().isEmpty() ? UserName() : UserName() + QStringLiteral(": ") + DataField();
}

const stream::PropertyList& TppDBImage::StreamProperties() const {
    using T = TppDBImage;
    static const auto table = [](const stream::PropertyList& base) {
        stream::PropertyTable<T> t(base);
        addImageProperties(t);
        report::internal::AddDataProperties(t);
        t.Boolean("AutoDisplay", &T::AutoDisplay, &T::SetAutoDisplay, true)
            .String("GraphicType", &T::GraphicType, &T::SetGraphicType);
        return t;
    }(TppCustomImage::StreamProperties());
    return table;
}
