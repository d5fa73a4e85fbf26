#include "report/page/report_font.h"

#include "report/page/units.h"

#include "platform/paint/font_resolver.h"
#include "platform/stream/property_table.h"
#include "platform/stream/stream_error.h"

#include <functional>
#include <optional>

#include <QFontDatabase>

#include <algorithm>

TppFont::TppFont(QObject* parent) : TPersistent(parent) {}

int TppFont::PixelsPerInch() const { return m_pixelsPerInch > 0 ? m_pixelsPerInch : report::ScreenPixelsPerInch(); }

int TppFont::Height() const { return m_font.HeightAt(PixelsPerInch()); }

void TppFont::SetHeight(int v) { m_font.SetHeightAt(v, PixelsPerInch()); }

void TppFont::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TppFont*>(Source)) {
        m_font = other->m_font;
        return;
    }
    TPersistent::Assign(Source);
}

namespace {

/// An integer property stored as its identifier when it has one ("clWindowText",
/// "DEFAULT_CHARSET") and as a number otherwise; both forms are read.
class FontTable : public stream::PropertyTable<TppFont> {
public:
    FontTable& IdentInteger(const QString& name, int (TppFont::*get)() const, void (TppFont::*set)(int),
                            std::function<std::optional<QString>(int)> toIdent,
                            std::function<std::optional<int>(const QString&)> fromIdent, int def) {
        stream::PropertyInfo p;
        p.name = name;
        p.kind = stream::PropertyKind::Integer;
        auto value = [toIdent](int v) {
            const std::optional<QString> ident = toIdent(v);
            return ident ? stream::Value::Ident(*ident) : stream::Value::Integer(v);
        };
        p.get = [get, value](const stream::Persistent& o) { return value((static_cast<const TppFont&>(o).*get)()); };
        p.set = [set, fromIdent, name](stream::Persistent& o, const stream::Value& v) {
            std::optional<int> n;
            if (v.Type() == stream::ValueType::Ident) n = fromIdent(v.AsText());
            else if (v.IsInteger()) n = int(v.AsInteger());
            if (!n)
                throw stream::StreamError(stream::StreamErrorKind::WrongValueKind,
                                          QStringLiteral("Invalid property value %1").arg(v.AsText()));
            (static_cast<TppFont&>(o).*set)(*n);
        };
        p.defaultValue = value(def);
        m_properties.push_back(std::move(p));
        return *this;
    }
};

const FontTable& fontTable() {
    static const FontTable table = [] {
        FontTable t;
        t.IdentInteger(QStringLiteral("Charset"), &TppFont::Charset, &TppFont::SetCharset, paint::CharsetToIdent,
                       paint::IdentToCharset, 1)
            .IdentInteger(QStringLiteral("Color"), &TppFont::Color, &TppFont::SetColor, paint::ColorToIdent,
                          paint::IdentToColor, paint::clWindowText);
        return t;
    }();
    return table;
}

}  // namespace

const stream::PropertyList& TppFont::StreamProperties() const {
    static const auto table =
        stream::PropertyTable<TppFont>(fontTable())
            .String("Name", &TppFont::Name, &TppFont::SetName, stream::kNoDefault)
            .Integer("Size", &TppFont::Size, &TppFont::SetSize, stream::kNoDefault)
            .Set("Style", [](const TppFont& f) { return f.Style().Bits(); },
                 [](TppFont& f, unsigned bits) { f.SetStyle(paint::TFontStyles::FromBits(bits)); },
                 paint::FontStyleNames(), 0u);
    return table;
}

TppFontList::TppFontList() {
    for (const QString& family : QFontDatabase::families()) {
        TppFontInfo info;
        info.Name = family;
        const bool fixed = QFontDatabase::isFixedPitch(family);
        info.PitchAndFamily = fixed ? 1 : 2;
        switch (paint::KindOfFace(family)) {
        case paint::FontKind::Serif: info.PitchAndFamily |= 0x10; break;
        case paint::FontKind::Sans: info.PitchAndFamily |= 0x20; break;
        case paint::FontKind::Mono: info.PitchAndFamily |= 0x30; break;
        case paint::FontKind::Symbol: info.PitchAndFamily |= 0x50; break;
        case paint::FontKind::Unknown:
            if (fixed) info.PitchAndFamily |= 0x30;
            else if (family.contains(QLatin1String("Serif")) && !family.contains(QLatin1String("Sans")))
                info.PitchAndFamily |= 0x10;
            else
                info.PitchAndFamily |= 0x20;
            break;
        }
        info.CharSet = 0;
        m_items.push_back(info);
    }
    std::sort(m_items.begin(), m_items.end(), [](const TppFontInfo& a, const TppFontInfo& b) {
        return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
    });
}

QStringList TppFontList::Names() const {
    QStringList names;
    for (const TppFontInfo& i : m_items) names << i.Name;
    return names;
}

int TppFontList::IndexOf(const QString& aName) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].Name.compare(aName, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}
