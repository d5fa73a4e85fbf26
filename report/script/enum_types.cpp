#include "report/script/enum_types.h"

#include "report/page/printer_setup.h"
#include "report/page/report_types.h"
#include "report/script/values.h"

#include <QHash>

namespace {

DOSSARA_REPORT_ENUM(Boolean, False, True)

struct Registry {
    std::vector<TraEnumTypeEntry> entries;
    /// value name (lower case) -> (type index, ordinal); rebuilt when `dirty`.
    QHash<QString, std::pair<int, int>> valueIndex;
    std::vector<TraEnumValueName> valueNames;
    bool dirty = true;
};

template <class E>
void add(Registry& r, E value) {
    const report::EnumType& info = EnumTypeOf(value);
    r.entries.push_back({info.name, &info});
}

Registry& registry() {
    static Registry r = [] {
        Registry reg;
        add(reg, Boolean::False);
        add(reg, TAlignment{});
        add(reg, TppBarCodeType{});
        add(reg, TppBarCodeOrientation{});
        add(reg, TppBreakType{});
        add(reg, TppCalcType{});
        add(reg, TppDataType{});
        add(reg, TppDBCalcType{});
        add(reg, TppDuplexType{});
        add(reg, TppFileType{});
        add(reg, TppFormatType{});
        add(reg, TppLanguageType{});
        add(reg, TppLinePositionType{});
        add(reg, TppLineStyleType{});
        add(reg, TppPassSettingType{});
        add(reg, TppPrintBehaviorType{});
        add(reg, TppPrintHeightType{});
        add(reg, TppRangeBeginType{});
        add(reg, TppRangeEndType{});
        add(reg, TppSaveToType{});
        add(reg, TppSearchOperatorType{});
        add(reg, TShapeType{});
        add(reg, TppSortOrderType{});
        add(reg, TppUnitType{});
        add(reg, TppVarEventType{});
        add(reg, TppVarType{});
        add(reg, TPrinterOrientation{});
        return reg;
    }();
    return r;
}

const QHash<QString, std::pair<int, int>>& valueIndex() {
    Registry& r = registry();
    if (r.dirty) {
        r.valueIndex.clear();
        r.valueNames.clear();
        for (int t = 0; t < int(r.entries.size()); ++t) {
            const QStringList& values = r.entries[size_t(t)].TypeInfo->values;
            for (int o = 0; o < values.size(); ++o) {
                r.valueNames.push_back({values[o], t});
                if (!r.valueIndex.contains(values[o].toLower()))
                    r.valueIndex.insert(values[o].toLower(), {t, o});  // the first type registered wins
            }
        }
        r.dirty = false;
    }
    return r.valueIndex;
}

struct ColorConstant {
    const char* name;
    unsigned value;
};

// "clHightlightText" keeps the spelling stored scripts use; "clHighlightText" is its
// correctly spelled twin.
constexpr ColorConstant kColors[] = {
    {"clAqua", 0xFFFF00},           {"clBlack", 0},
    {"clBlue", 0xFF0000},           {"clDkGray", 0x808080},
    {"clFuchsia", 0xFF00FF},        {"clGray", 0x808080},
    {"clGreen", 0x008000},          {"clLime", 0x00FF00},
    {"clLtGray", 0xC0C0C0},         {"clMaroon", 0x000080},
    {"clNavy", 0x800000},           {"clOlive", 0x008080},
    {"clPurple", 0x800080},         {"clRed", 0x0000FF},
    {"clSilver", 0xC0C0C0},         {"clTeal", 0x808000},
    {"clWhite", 0xFFFFFF},          {"clYellow", 0x00FFFF},
    {"clBackground", 0x80000001},   {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003}, {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},       {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},     {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},  {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B}, {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},    {"clHightlightText", 0x8000000E},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},      {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},     {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},   {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},     {"clInfoBk", 0x80000018},
};

struct DeviceConstant {
    const char* name;
    const char* deviceClass;
};

constexpr DeviceConstant kDevices[] = {
    {"dtArchive", "ArchiveFile"}, {"dtPrinter", "Printer"},
    {"dtFile", "TextFile"},       {"dtTextFile", "TextFile"},
    {"dtReportTextFile", "ReportTextFile"}, {"dtScreen", "Screen"},
};

}  // namespace

const std::vector<TraEnumValueName>& GetEnumValueNameList() {
    valueIndex();
    return registry().valueNames;
}

std::vector<TraEnumTypeEntry>& GetEnumTypeList() {
    return registry().entries;
}

void RegisterEnumType(const QString& aName, const report::EnumType& aTypeInfo) {
    registry().entries.push_back({aName, &aTypeInfo});
    registry().dirty = true;
}

void UnregisterEnumType(const QString& aName) {
    auto& entries = registry().entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->Name.compare(aName, Qt::CaseInsensitive) == 0) {
            entries.erase(it);
            registry().dirty = true;
            return;
        }
    }
}

const report::EnumType* FindEnumType(const QString& aName) {
    for (const auto& e : registry().entries)
        if (e.Name.compare(aName, Qt::CaseInsensitive) == 0)
            return e.TypeInfo;
    return nullptr;
}

QString GetEnumValueName(const QString& aTypeName, int aOrdinal) {
    const report::EnumType* type = FindEnumType(aTypeName);
    if (!type || aOrdinal < 0 || aOrdinal >= type->values.size())
        return {};
    return type->values[aOrdinal];
}

bool FindEnumValue(const QString& aName, QString& aTypeName, int& aOrdinal) {
    const auto& index = valueIndex();
    auto it = index.constFind(aName.toLower());
    if (it == index.constEnd()) {
        aTypeName.clear();
        aOrdinal = -1;
        return false;
    }
    aTypeName = registry().entries[size_t(it->first)].Name;
    aOrdinal = it->second;
    return true;
}

bool FindColorConstant(const QString& aName, int& aValue) {
    for (const auto& c : kColors) {
        if (aName.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            aValue = int(c.value);
            return true;
        }
    }
    return false;
}

bool FindDeviceTypeConstant(const QString& aName, QString& aValue) {
    for (const auto& d : kDevices) {
        if (aName.compare(QLatin1String(d.name), Qt::CaseInsensitive) == 0) {
            aValue = QLatin1String(d.deviceClass);
            return true;
        }
    }
    return false;
}

std::unique_ptr<TraValue> FindSystemConstant(const QString& aName) {
    int colour = 0;
    if (FindColorConstant(aName, colour))
        return std::make_unique<TraIntegerValue>(colour);
    QString device;
    if (FindDeviceTypeConstant(aName, device))
        return std::make_unique<TraStringValue>(device);
    if (aName.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TraVariantValue>(script::NullVariant());
    if (aName.compare(QLatin1String("nil"), Qt::CaseInsensitive) == 0) {
        auto value = std::make_unique<TraObjectValue>();
        value->SetObjectName(QStringLiteral("nil"));
        return value;
    }
    return nullptr;
}

bool IsSystemConstant(const QString& aName) {
    return FindSystemConstant(aName) != nullptr;
}
