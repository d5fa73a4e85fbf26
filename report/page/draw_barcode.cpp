#include "report/page/draw_barcode.h"

#include "report/page/units.h"

#include "platform/paint/color.h"
#include "platform/stream/property_table.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

using report::barcode::Pixels;

std::function<void(const QString&)>& messageHandler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

int roundEven(double v) { return int(std::nearbyint(v)); }

bool isUpcEan(TppBarCodeType t) { return t <= TppBarCodeType::bcEAN_8; }

QFont qfontOf(const TppFont& f, int aResolution) {
    QFont font(f.Name());
    font.setPixelSize(std::max(1, roundEven(std::abs(f.Size()) * double(aResolution) / 72.0)));
    font.setBold(f.Style().Contains(paint::TFontStyle::fsBold));
    font.setItalic(f.Style().Contains(paint::TFontStyle::fsItalic));
    font.setUnderline(f.Style().Contains(paint::TFontStyle::fsUnderline));
    font.setStrikeOut(f.Style().Contains(paint::TFontStyle::fsStrikeOut));
    return font;
}

}  // namespace

TppDrawBarCode::TppDrawBarCode(TComponent* AOwner) : TppDrawCommand(AOwner), m_font(std::make_unique<TppFont>()) {
    m_font->SetName(QStringLiteral("Courier New"));
    m_font->SetSize(8);
    m_font->SetColor(paint::clBlack);
}

TppDrawBarCode::~TppDrawBarCode() = default;

void TppDrawBarCode::SetMessageHandler(std::function<void(const QString&)> aHandler) {
    messageHandler() = std::move(aHandler);
}

void TppDrawBarCode::SetFont(TppFont* aFont) {
    if (aFont) m_font->Assign(aFont);
}

QSize TppDrawBarCode::Extent() const {
    const bool vertical = m_orientation == TppBarCodeOrientation::orTopToBottom ||
                          m_orientation == TppBarCodeOrientation::orBottomToTop;
    return vertical ? QSize(m_symbolHeight, m_symbolWidth) : QSize(m_symbolWidth, m_symbolHeight);
}

void TppDrawBarCode::Measure(int aResolutionX, int aResolutionY) { run(nullptr, {}, aResolutionX, aResolutionY); }

void TppDrawBarCode::Render(QPainter& aPainter, QPoint aOrigin, int aResolutionX, int aResolutionY) {
    run(&aPainter, aOrigin, aResolutionX, aResolutionY);
}

QImage TppDrawBarCode::RenderImage(int aResolutionX, int aResolutionY) {
    Measure(aResolutionX, aResolutionY);
    const QSize e = Extent();
    QImage image(std::max(1, e.width()), std::max(1, e.height()), QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(roundEven(aResolutionX / 0.0254));
    image.setDotsPerMeterY(roundEven(aResolutionY / 0.0254));
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Render(painter, QPoint(0, 0), aResolutionX, aResolutionY);
    return image;
}

void TppDrawBarCode::TakeMeasuredSize(int aResolutionX, int aResolutionY) {
    const QSize e = Extent();
    SetWidth(roundEven(e.width() * 25400.0 / aResolutionX));
    SetHeight(roundEven(e.height() * 25400.0 / aResolutionY));
}

void TppDrawBarCode::MeasureForPrinter(int aResolutionX, int aResolutionY) {
    const bool was = m_printing;
    m_printing = true;
    Measure(aResolutionX, aResolutionY);
    m_printing = was;
    TakeMeasuredSize(aResolutionX, aResolutionY);
}

void TppDrawBarCode::fitFont(int aResolutionV, int m) {
    const int screen = report::ScreenPixelsPerInch();
    const int s = roundEven(double(m_symbolHeight) * screen / aResolutionV);
    int size = m_font->Size();
    auto shrinkWhile = [&](auto tooWide) {
        while (size > 1) {
            TppFont probe;
            probe.Assign(m_font.get());
            probe.SetSize(size);
            const QFontMetrics fm(qfontOf(probe, aResolutionV));
            if (!tooWide(fm)) break;
            --size;
        }
    };
    const int W = m_symbolWidth;
    const int dataLength = int(m_data.size());
    switch (m_barCodeType) {
    case TppBarCodeType::bcUPC_A:
        size = roundEven(s * 0.2);
        shrinkWhile([&](const QFontMetrics& fm) { return 5 * fm.horizontalAdvance(u'0') > 36 * m; });
        break;
    case TppBarCodeType::bcUPC_E:
        size = roundEven(s * 0.2);
        shrinkWhile([&](const QFontMetrics& fm) { return 6 * fm.horizontalAdvance(u'0') > 42 * m; });
        break;
    case TppBarCodeType::bcEAN_13:
        size = roundEven(s * 0.2);
        shrinkWhile([&](const QFontMetrics& fm) { return fm.horizontalAdvance(QStringLiteral("000000")) > 42 * m; });
        break;
    case TppBarCodeType::bcEAN_8:
        size = roundEven(s * 0.2);
        shrinkWhile([&](const QFontMetrics& fm) { return fm.horizontalAdvance(QStringLiteral("0000")) > 28 * m; });
        break;
    case TppBarCodeType::bcInt2of5:
        size = roundEven(s * 0.15);
        shrinkWhile([&](const QFontMetrics& fm) { return fm.horizontalAdvance(u'0') * dataLength > W; });
        break;
    case TppBarCodeType::bcCode128:
    case TppBarCodeType::bcCode39:
    case TppBarCodeType::bcCodabar:
        size = roundEven(s * 0.25);
        shrinkWhile([&](const QFontMetrics& fm) { return fm.horizontalAdvance(u'0') * dataLength > W; });
        break;
    case TppBarCodeType::bcPostnet: size = s / 2; break;
    case TppBarCodeType::bcFIM: break;
    }
    m_font->SetSize(std::max(1, size));
}

void TppDrawBarCode::run(QPainter* p, QPoint origin, int resX, int resY) {
    const bool vertical = m_orientation == TppBarCodeOrientation::orTopToBottom ||
                          m_orientation == TppBarCodeOrientation::orBottomToTop;
    const int resU = vertical ? resY : resX;  // along the bars' sequence
    const int resV = vertical ? resX : resY;  // along the bars
    // Encoding.
    report::barcode::EncodeInput in;
    in.Type = m_barCodeType;
    in.Data = m_data;
    in.CalcCheckDigit = m_calcCheckDigit;
    in.AutoEncode = m_autoEncode;
    in.BarWidth = m_barWidth;
    in.WideBarRatio = m_wideBarRatio;
    in.CodeOK = m_codeOK;
    const report::barcode::EncodeResult r = report::barcode::Encode(in, resU);
    m_data = r.Data;
    if (!r.CodeOK && m_codeOK && !r.Message.isEmpty() && !m_printing && messageHandler()) messageHandler()(r.Message);
    m_codeOK = r.CodeOK;
    m_main = r.Modules;
    m_addOn = m_codeOK ? report::barcode::EncodeAddOn(m_barCodeType, m_addOnCode, m_barWidth, resU) : QByteArray();

    // Geometry.
    const int m = Pixels(m_barWidth, 1, resU);
    const int L = int(m_main.size());
    int q = 0;
    if (isUpcEan(m_barCodeType)) q = Pixels(m_barWidth, 9, resX);
    else if (m_barCodeType == TppBarCodeType::bcInt2of5) q = roundEven(L * 0.03);
    int W = m_barCodeType == TppBarCodeType::bcPostnet ? L : L + 2 * q;
    if (!m_addOn.isEmpty()) W += int(m_addOn.size()) + 9 * m;
    int H = 0;
    if (m_autoSize) {
        switch (m_barCodeType) {
        case TppBarCodeType::bcEAN_13:
        case TppBarCodeType::bcEAN_8: H = roundEven(L * 0.85); break;
        case TppBarCodeType::bcInt2of5: H = roundEven(W * 0.6); break;
        case TppBarCodeType::bcCode128:
        case TppBarCodeType::bcCode39:
        case TppBarCodeType::bcCodabar: H = roundEven(W * 0.25); break;
        case TppBarCodeType::bcPostnet: H = roundEven(m * 6.25) + 1; break;
        case TppBarCodeType::bcFIM: H = roundEven(m * 20.0); break;
        case TppBarCodeType::bcUPC_A:
        case TppBarCodeType::bcUPC_E: H = Pixels(roundEven(m_barWidth * 73.85), 1, resX); break;
        }
        H = std::max(H, 5);
    } else {
        H = roundEven((vertical ? Width() : Height()) / 25400.0 * resV);
    }
    if (!m_codeOK) {
        // Nothing to encode: the command's own rectangle keeps its background.
        W = roundEven((vertical ? Height() : Width()) / 25400.0 * resU);
        if (m_autoSize) H = roundEven((vertical ? Width() : Height()) / 25400.0 * resV);
    }
    m_symbolWidth = W;
    m_symbolHeight = H;
    m_quietZone = q;
    if (m_autoSizeFont && m_codeOK) fitFont(resV, m);
    QFont font = qfontOf(*m_font, resV);
    QFontMetrics fm(font);
    const int t = fm.height();
    int barEnd = H;
    if (m_printHumanReadable) {
        if (m_autoSize) H += t;
        else barEnd = std::max(0, H - t);
    }
    m_symbolHeight = H;
    if (!p) return;

    // Painting in symbol coordinates (u along the sequence, v along the bars).
    const QSize e = Extent();
    p->save();
    QTransform tr;
    switch (m_orientation) {
    case TppBarCodeOrientation::orLeftToRight: tr.translate(origin.x(), origin.y()); break;
    case TppBarCodeOrientation::orRightToLeft: tr.translate(origin.x() + e.width(), origin.y() + e.height()); tr.rotate(180); break;
    case TppBarCodeOrientation::orTopToBottom: tr.translate(origin.x() + e.width(), origin.y()); tr.rotate(90); break;
    case TppBarCodeOrientation::orBottomToTop: tr.translate(origin.x(), origin.y() + e.height()); tr.rotate(-90); break;
    }
    p->setTransform(tr, true);
    p->setRenderHint(QPainter::Antialiasing, false);
    const QColor background = paint::ToQColor(m_color);
    const QColor bars = paint::ToQColor(m_barColor);
    if (!m_transparent) p->fillRect(QRect(0, 0, W, H), background);
    if (!m_codeOK) {
        p->restore();
        return;
    }
    p->setFont(font);
    p->setPen(bars);
    if (m_barCodeType == TppBarCodeType::bcPostnet) {
        const int half = roundEven(barEnd * 0.6);
        for (int u = 0; u < L; ++u) {
            if (m_main.at(u) == '2') p->fillRect(QRect(u, 0, 1, barEnd), bars);
            else if (m_main.at(u) == '1') p->fillRect(QRect(u, half, 1, barEnd - half), bars);
        }
    } else {
        int barLength = barEnd;
        if (isUpcEan(m_barCodeType) && m_printHumanReadable) barLength = barEnd + std::max(0, (H - barEnd) / 2 - m);
        for (int i = 0; i < L;) {
            int j = i;
            while (j < L && m_main.at(j) == m_main.at(i)) ++j;
            if (m_main.at(i) == '1' && q + i < W) p->fillRect(QRect(q + i, 0, j - i, barLength), bars);
            i = j;
        }
    }
    if (m_bearerBars) {
        p->fillRect(QRect(0, 0, W, 3 * m), bars);
        p->fillRect(QRect(0, barEnd - 3 * m, W, 3 * m), bars);
    }
    if (m_printHumanReadable) {
        auto blank = [&](int from, int to, int extra = 0) {
            p->fillRect(QRect(q + from * m, barEnd, (to - from) * m + extra, t), background);
        };
        auto textIn = [&](int from, int to, const QString& s, int top) {
            const int w = fm.horizontalAdvance(s);
            p->drawText(QPoint(q + (from * m + to * m - w) / 2, top + fm.ascent()), s);
        };
        auto smallText = [&](int u, const QString& s) {
            QFont small = font;
            TppFont smaller;
            smaller.Assign(m_font.get());
            smaller.SetSize(std::max(1, m_font->Size() - 2));
            small = qfontOf(smaller, resV);
            const QFontMetrics sm(small);
            p->setFont(small);
            p->drawText(QPoint(u, barEnd + sm.height() / 2 + sm.ascent() / 2), s);
            p->setFont(font);
        };
        const QString& d = m_data;
        switch (m_barCodeType) {
        case TppBarCodeType::bcUPC_A:
            if (d.size() >= 12) {
                blank(10, 45);
                textIn(10, 45, d.mid(1, 5), barEnd + m);
                blank(50, 85);
                textIn(50, 85, d.mid(6, 5), barEnd + m);
                smallText(1, d.left(1));
                // One module after the guard bars, so that the digit stays inside the quiet zone.
                smallText(q + 96 * m, d.right(1));
            }
            break;
        case TppBarCodeType::bcUPC_E:
            if (d.size() >= 7) {
                blank(3, 42, 3);
                textIn(3, 42, d.left(6), barEnd + m);
                smallText(1, QStringLiteral("0"));
                smallText(q + 52 * m, d.right(1));
            }
            break;
        case TppBarCodeType::bcEAN_13:
            if (d.size() >= 13) {
                blank(3, 45);
                textIn(3, 45, d.mid(1, 6), barEnd);
                blank(50, 92);
                textIn(50, 92, d.mid(7, 6), barEnd);
                p->drawText(QPoint(1, barEnd + fm.ascent()), d.left(1));
            }
            break;
        case TppBarCodeType::bcEAN_8:
            if (d.size() >= 8) {
                blank(3, 31);
                textIn(3, 31, d.left(4), barEnd);
                blank(36, 64);
                textIn(36, 64, d.mid(4, 4), barEnd);
            }
            break;
        case TppBarCodeType::bcFIM: break;
        default: {
            QString s;
            for (QChar c : d)
                if (m_barCodeType != TppBarCodeType::bcCode128 || (c.unicode() >= 32 && c.unicode() <= 126)) s.append(c);
            const int w = fm.horizontalAdvance(s);
            int u = 0;
            if (m_alignment == TAlignment::taRightJustify) u = W - w;
            else if (m_alignment == TAlignment::taCenter) u = (W - w) / 2;
            p->drawText(QPoint(u, barEnd + fm.ascent()), s);
        }
        }
    }
    if (!m_addOn.isEmpty()) {
        const int start = q + L + 9 * m;
        const int top = t;
        for (int i = 0; i < m_addOn.size(); ++i)
            if (m_addOn.at(i) == '1') p->fillRect(QRect(start + i, top, 1, std::max(0, barEnd - top)), bars);
        if (m_printHumanReadable) {
            const int w = fm.horizontalAdvance(m_addOnCode);
            p->drawText(QPoint(start + int(m_addOn.size()) - w, fm.ascent()), m_addOnCode);
        }
    }
    p->restore();
}

void TppDrawBarCode::Assign(TPersistent* Source) {
    TppDrawCommand::Assign(Source);
    auto* s = qobject_cast<TppDrawBarCode*>(Source);
    if (!s) return;
    m_alignment = s->m_alignment;
    m_addOnCode = s->m_addOnCode;
    m_autoEncode = s->m_autoEncode;
    m_autoSize = s->m_autoSize;
    m_autoSizeFont = s->m_autoSizeFont;
    m_barCodeType = s->m_barCodeType;
    m_barColor = s->m_barColor;
    m_barWidth = s->m_barWidth;
    m_bearerBars = s->m_bearerBars;
    m_calcCheckDigit = s->m_calcCheckDigit;
    m_codeOK = s->m_codeOK;
    m_color = s->m_color;
    m_data = s->m_data;
    m_font->Assign(s->m_font.get());
    m_orientation = s->m_orientation;
    m_printHumanReadable = s->m_printHumanReadable;
    m_transparent = s->m_transparent;
    m_wideBarRatio = s->m_wideBarRatio;
}

const stream::PropertyList& TppDrawBarCode::StreamProperties() const {
    using T = TppDrawBarCode;
    static const auto table = stream::PropertyTable<T>(TppDrawCommand::StreamProperties())
        .Enum("Alignment", &T::Alignment, &T::SetAlignment, EnumTypeOf(TAlignment{}).values, TAlignment::taLeftJustify)
        .String("AddOnCode", &T::AddOnCode, &T::SetAddOnCode)
        .Boolean("AutoEncode", &T::AutoEncode, &T::SetAutoEncode, false)
        .Boolean("AutoSize", &T::AutoSize, &T::SetAutoSize, true)
        .Boolean("AutoSizeFont", &T::AutoSizeFont, &T::SetAutoSizeFont, true)
        .Enum("BarCodeType", &T::BarCodeType, &T::SetBarCodeType, EnumTypeOf(TppBarCodeType{}).values, -1)
        .Integer("BarColor", &T::BarColor, &T::SetBarColor, paint::clBlack)
        .Integer("BarWidth", &T::BarWidth, &T::SetBarWidth, -1)
        .Boolean("BearerBars", &T::BearerBars, &T::SetBearerBars, false)
        .Boolean("CalcCheckDigit", &T::CalcCheckDigit, &T::SetCalcCheckDigit, true)
        .Boolean("CodeOK", &T::CodeOK, &T::SetCodeOK, true)
        .Integer("Color", &T::Color, &T::SetColor, paint::clWhite)
        .String("Data", &T::Data, &T::SetData)
        .Object("Font", [](const T& t) -> const TppFont& { return *t.m_font; })
        .Enum("Orientation", &T::Orientation, &T::SetOrientation, EnumTypeOf(TppBarCodeOrientation{}).values,
              TppBarCodeOrientation::orLeftToRight)
        .Boolean("PrintHumanReadable", &T::PrintHumanReadable, &T::SetPrintHumanReadable, true)
        .Boolean("Transparent", &T::Transparent, &T::SetTransparent, false)
        .Single("WideBarRatio", &T::WideBarRatio, &T::SetWideBarRatio, -1.0);
    return table;
}
