#pragma once

// Components with a published property of every kind, shared by the stream tests. They
// mirror the classes of make_fixtures.pas, so the fixtures it writes read into them.

#include "platform/stream/class_registry.h"
#include "platform/stream/persistent.h"
#include "platform/stream/property_table.h"

#include <QFlags>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace streamtest {

enum class FixColor { fcRed, fcGreen, fcBlue };
enum class FixStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4 };
Q_DECLARE_FLAGS(FixStyles, FixStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FixStyles)

class TFixFont : public stream::Persistent {
public:
    const stream::PropertyList& StreamProperties() const override;
    QString Name() const { return m_name; }
    void SetName(const QString& v) { m_name = v; }
    int Size() const { return m_size; }
    void SetSize(int v) { m_size = v; }
    FixStyles Style() const { return m_style; }
    void SetStyle(FixStyles v) { m_style = v; }

private:
    QString m_name;
    int m_size = 10;
    FixStyles m_style;
};

class TFixItem : public stream::Persistent {
public:
    const stream::PropertyList& StreamProperties() const override;
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    int Weight() const { return m_weight; }
    void SetWeight(int v) { m_weight = v; }

private:
    QString m_caption;
    int m_weight = 0;
};

class TFixItems : public stream::Collection {
public:
    int Count() const override { return static_cast<int>(m_items.size()); }
    TFixItem& Item(int index) override { return *m_items.at(index); }
    TFixItem& AddItem() override { return *m_items.emplace_back(std::make_unique<TFixItem>()); }
    void ClearItems() override { m_items.clear(); }

private:
    std::vector<std::unique_ptr<TFixItem>> m_items;
};

/// A component with one published property of every kind, binary data defined by
/// `DefineProperties`, and children.
class TFixComponent : public stream::Component {
public:
    static const stream::PropertyTable<TFixComponent>& Table();
    const stream::PropertyList& StreamProperties() const override { return Table(); }
    QString StreamClassName() const override { return QStringLiteral("TFixComponent"); }
    QString StreamName() const override { return m_name; }
    void SetStreamName(const QString& name) override { m_name = name; }
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override {
        for (const auto& c : m_children) proc(*c);
    }
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override {
        if (!dynamic_cast<TFixComponent*>(child.get())) return false;
        m_children.emplace_back(static_cast<TFixComponent*>(child.release()));
        return true;
    }
    void DefineProperties(stream::Filer& filer) override;
    void Loaded() override { ++loadedCalls; }

    TFixComponent& AddChild(const QString& name) {
        auto& c = *m_children.emplace_back(std::make_unique<TFixComponent>());
        c.SetStreamName(name);
        return c;
    }
    const std::vector<std::unique_ptr<TFixComponent>>& Children() const { return m_children; }

    // published values, public for brevity in tests
    qint32 Int8Value = 0, Int16Value = 0, Int32Value = 0;
    qint64 Int64Value = 0;
    qint16 SmallValue = 3;
    long double FloatValue = 0;
    double DoubleValue = 0;
    float SingleValue = 0;
    qint64 Money = 0;  ///< ten-thousandths
    double When = 0;
    QString ShortText, LongText;
    QString WideText;  ///< defined property "WideText", always a wide string
    bool Flag = false;
    FixColor Color = FixColor::fcRed;
    FixStyles Styles;
    TFixFont Font;
    TFixItems Items;
    QStringList Lines;
    TFixComponent* Buddy = nullptr;
    QString OnClick;
    QByteArray Data;  ///< defined binary property "Data"
    int loadedCalls = 0;

private:
    QString m_name;
    std::vector<std::unique_ptr<TFixComponent>> m_children;
};

/// A registry with TFixComponent only.
stream::ClassRegistry& FixRegistry();

}  // namespace streamtest
