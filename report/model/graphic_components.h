#pragma once

#include "report/model/custom_component.h"
#include "report/page/draw_command.h"

/// A component drawn with a pen and a brush (shapes and lines).
class TppCustomGraphic : public TppCustomComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppCustomGraphic(TComponent* AOwner = nullptr);

    paint::Pen Pen() const { return m_pen.Value; }
    void SetPen(const paint::Pen& aPen);
    paint::Brush Brush() const { return m_brush.Value; }
    void SetBrush(const paint::Brush& aBrush);
    /// Pen or brush changed: redraw and tell the designer.
    virtual void GraphicChanged();
    bool HasFontColor() const override { return false; }

protected:
    report::PenObject m_pen;
    report::BrushObject m_brush;
};

/// A rectangle, square, rounded rectangle or square, ellipse or circle.
class TppShape : public TppCustomGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppShape(TComponent* AOwner = nullptr);
    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType v);
    /// Transparent follows a clear brush.
    void GraphicChanged() override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TShapeType m_shape = TShapeType::stRectangle;
};

/// A single or double line along one edge of its rectangle; Weight is in points.
class TppLine : public TppCustomGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLine(TComponent* AOwner = nullptr);
    TppLinePositionType Position() const { return m_position; }
    void SetPosition(TppLinePositionType v);
    TppLineStyleType Style() const { return m_style; }
    void SetStyle(TppLineStyleType v);
    float Weight() const { return m_weight; }
    /// Sets the weight and the pen width that draws it on the screen.
    void SetWeight(float aPoints);
    void GraphicChanged() override;
    bool HasColor() const override { return false; }
    void ConvertFromVersion(int aVersion) override;
    void PropertiesToDrawCommand(TppDrawCommand* aDrawCommand) override;
    const stream::PropertyList& StreamProperties() const override;

private:
    TppLinePositionType m_position = TppLinePositionType::lpTop;
    TppLineStyleType m_style = TppLineStyleType::lsSingle;
    float m_weight = 0.75f;
    int m_rememberedPenWidth = 0;
    bool m_settingWeight = false;
};
