#pragma once

#include "report/page/class_library.h"

#include "platform/stream/persistent.h"

#include <QRect>

/// The geometry of a page: six lengths in mm-thousandths, streamed under these names in
/// this order: mmHeight, mmWidth, mmMarginLeft, mmMarginRight, mmMarginTop, mmMarginBottom.
/// Used by pages, printer setup and the designer.
class TppPageDef : public TPersistent, public stream::Persistent {
    Q_OBJECT
    Q_PROPERTY(int mmHeight READ mmHeight WRITE SetmmHeight)
    Q_PROPERTY(int mmWidth READ mmWidth WRITE SetmmWidth)
    Q_PROPERTY(int mmMarginLeft READ mmMarginLeft WRITE SetmmMarginLeft)
    Q_PROPERTY(int mmMarginRight READ mmMarginRight WRITE SetmmMarginRight)
    Q_PROPERTY(int mmMarginTop READ mmMarginTop WRITE SetmmMarginTop)
    Q_PROPERTY(int mmMarginBottom READ mmMarginBottom WRITE SetmmMarginBottom)
public:
    Q_INVOKABLE explicit TppPageDef(QObject* parent = nullptr);

    int mmHeight() const { return m_height; }
    int mmWidth() const { return m_width; }
    int mmMarginLeft() const { return m_marginLeft; }
    int mmMarginRight() const { return m_marginRight; }
    int mmMarginTop() const { return m_marginTop; }
    int mmMarginBottom() const { return m_marginBottom; }
    void SetmmHeight(int v) { m_height = v; }
    void SetmmWidth(int v) { m_width = v; }
    void SetmmMarginLeft(int v) { m_marginLeft = v; }
    void SetmmMarginRight(int v) { m_marginRight = v; }
    void SetmmMarginTop(int v) { m_marginTop = v; }
    void SetmmMarginBottom(int v) { m_marginBottom = v; }

    /// Copies the six values of another page definition; anything else fails as the
    /// persistent base does.
    void Assign(TPersistent* Source) override;
    /// All six values are equal.
    bool SameAs(const TppPageDef& aPageDef) const;

    int PrintableHeight() const { return m_height - m_marginTop - m_marginBottom; }
    int PrintableWidth() const { return m_width - m_marginLeft - m_marginRight; }
    /// Left mmMarginLeft, top mmMarginTop, right mmWidth - mmMarginRight, bottom mmHeight -
    /// mmMarginBottom (a QRect built from its four edges).
    QRect PrintableRect() const;

    // Screen pixels (truncated); heights and top and bottom margins use the vertical resolution.
    int PrintableWidthPixels() const;
    int HeightPixels() const;
    int WidthPixels() const;
    int MarginLeftPixels() const;
    int MarginRightPixels() const;
    int MarginTopPixels() const;
    int MarginBottomPixels() const;

    const stream::PropertyList& StreamProperties() const override;

private:
    int m_height = 0;
    int m_width = 0;
    int m_marginLeft = 0;
    int m_marginRight = 0;
    int m_marginTop = 0;
    int m_marginBottom = 0;
};
