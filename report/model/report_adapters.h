#pragma once

// Script adapters of reports, bands, groups, components, texts and variables: their
// members and their events (with the communicator event ids a script handler listens to).
//
// Each adapter describes its members with a table (name, kind, type, access, listed, event
// id, parameters); a name it does not hold goes to its parent adapter. The report stands for
// its producer too: the producer's events 0 to 9 reach the report's subscribers because the
// report passes them on, so a handler bound to the report receives them.

#include "report/model/pipeline_adapters.h"
#include "report/model/printable_adapters.h"
#include "report/model/relative_adapters.h"

#include <functional>
#include <vector>

namespace report {

/// One member of an adapter's table.
struct AdapterMember {
    enum Kind { Property, Array, Method, Event };
    struct Param {
        const char* name;
        TraDataType type;
        const char* typeName = "";  ///< a class or enumerated type name
        bool isVar = false;
    };
    const char* name;
    Kind kind;
    TraDataType type = TraDataType::daUnknown;  ///< a property's kind
    const char* typeName = "";  ///< enumerated type, or the class of a class property
    bool readOnly = true;
    bool listed = true;
    int eventId = -1;
    std::vector<Param> params;  ///< of arrays, methods and events; a function's Result last
    std::function<QVariant(QObject*)> get;
    std::function<void(QObject*, const QVariant&)> set;  ///< empty: nothing is written
    /// Arrays (aParams: index, then the element) and methods (arguments, then Result).
    std::function<void(QObject*, TraParamList&)> call;
};

/// The class of a class-typed member or parameter by name (report classes and QObject).
TClass AdapterClassNamed(const char* aName);

/// The table operations the adapters share.
class AdapterTable {
public:
    explicit AdapterTable(std::vector<AdapterMember> aMembers) : m_members(std::move(aMembers)) {}
    const AdapterMember* Find(const QString& aName) const;
    void List(TraPropList& aList, bool aEvents) const;
    bool Describe(const TraRTTI& aRtti, const QString& aName, TraPropRec& aRec) const;
    std::unique_ptr<TraParamList> Params(const QString& aName) const;
    /// Reads a property; false when the table has no readable property of that name.
    bool Get(QObject* aObject, const QString& aName, QVariant& aValue) const;
    /// Writes a property; answers whether the table holds the name (a read-only member is
    /// held and writes nothing).
    bool Set(QObject* aObject, const QString& aName, const QVariant& aValue) const;
    bool Call(QObject* aObject, const QString& aName, TraParamList& aParams) const;
    const std::vector<AdapterMember>& Members() const { return m_members; }

private:
    std::vector<AdapterMember> m_members;
};

}  // namespace report

/// The operations of an adapter whose members are a table (Table()).
#define DOSSARA_TABLE_ADAPTER_MEMBERS                                                                           \
public:                                                                                                         \
    static const report::AdapterTable& Table();                                                                 \
    TClass RefClass() const override;                                                                           \
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;                                     \
    void GetEventList(TClass aClass, TraPropList& aPropList) const override;                                    \
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;                  \
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;                               \
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;   \
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;                 \
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;

/// The table operations of an adapter; names it does not hold go to the parent adapter.
#define DOSSARA_TABLE_ADAPTER_BODY(Adapter, Described, Parent)                                                    \
    TClass Adapter::RefClass() const { return &Described::staticMetaObject; }                                     \
    void Adapter::GetPropList(TClass aClass, TraPropList& aPropList) const {                                      \
        Parent::GetPropList(aClass, aPropList);                                                                   \
        Table().List(aPropList, false);                                                                           \
    }                                                                                                             \
    void Adapter::GetEventList(TClass aClass, TraPropList& aPropList) const {                                     \
        Parent::GetEventList(aClass, aPropList);                                                                  \
        Table().List(aPropList, true);                                                                            \
    }                                                                                                             \
    bool Adapter::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {                   \
        return Table().Describe(*this, aName, aPropRec) || Parent::GetPropRec(aClass, aName, aPropRec);           \
    }                                                                                                             \
    std::unique_ptr<TraParamList> Adapter::GetParams(const QString& aName) const {                                \
        if (auto list = Table().Params(aName)) return list;                                                       \
        return Parent::GetParams(aName);                                                                          \
    }                                                                                                             \
    bool Adapter::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {    \
        if (qobject_cast<Described*>(aObject) && Table().Call(aObject, aName, aParams)) return true;               \
        return Parent::CallMethod(aObject, aName, aGet, aParams);                                                 \
    }                                                                                                             \
    bool Adapter::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {                  \
        if (qobject_cast<Described*>(aObject) && Table().Get(aObject, aName, aValue)) return true;                \
        return Parent::GetPropValue(aObject, aName, aValue);                                                      \
    }                                                                                                             \
    bool Adapter::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {                  \
        if (qobject_cast<Described*>(aObject) && Table().Find(aName) &&                                           \
            Table().Find(aName)->kind == report::AdapterMember::Property)                                         \
            return Table().Set(aObject, aName, aValue);                                                           \
        return Parent::SetPropValue(aObject, aName, aValue);                                                      \
    }

/// The report (and, for scripts, its producer): events 0 to 9 and 15 to 22, pages, passes,
/// bands and groups, Stop and PageLimitReached.
class TraTppCustomReportRTTI : public TraTppCacheableRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Bands: BeforePrint, AfterPrint, BeforeGenerate, AfterGenerate; Visible, Height, objects.
class TraTppBandRTTI : public TraTppCacheableRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Bands that generate in parts (their state on the current page).
class TraTppCustomBandRTTI : public TraTppBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Header bands and their kin.
class TraTppPageBandRTTI : public TraTppCustomBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
class TraTppFooterBandRTTI : public TraTppPageBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Title and summary bands: NewPage (not listed).
class TraTppReportBandRTTI : public TraTppCustomBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
class TraTppColumnFooterBandRTTI : public TraTppCustomBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Group bands: their Group.
class TraTppGroupBandRTTI : public TraTppCustomBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
class TraTppGroupHeaderBandRTTI : public TraTppGroupBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Detail bands: BandsPerRecord, PrintCount, DataPipeline.
class TraTppDetailBandRTTI : public TraTppCustomBandRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Groups: the break events, OnGetBreakValue (var BreakValue), break settings.
class TraTppGroupRTTI : public TraTppCacheableRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Components: the band that holds them.
class TraTppComponentRTTI : public TraTppPrintableRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Stretching components.
class TraTppStretchableRTTI : public TraTppComponentRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Texts: OnGetText (var Text).
class TraTppCustomTextRTTI : public TraTppComponentRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// System variables (page numbers, dates).
class TraTppSystemVariableRTTI : public TraTppCustomTextRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Variables: OnCalc (var Value), OnReset, Value and its typed readings.
class TraTppVariableRTTI : public TraTppCustomTextRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};

/// Data texts: the field value and the repeated-value settings.
class TraTppDBTextRTTI : public TraTppCustomTextRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Calculations: Clear, Divisor, Value, DBCalcType.
class TraTppDBCalcRTTI : public TraTppDBTextRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Shapes: Shape.
class TraTppShapeRTTI : public TraTppComponentRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Lines: Position and Style.
class TraTppLineRTTI : public TraTppComponentRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Images: Center, DirectDraw, MaintainAspectRatio, Stretch, Transparent.
class TraTppCustomImageRTTI : public TraTppComponentRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};
/// Data images: OnGetPicture (id 69).
class TraTppDBImageRTTI : public TraTppCustomImageRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};

/// Auto-search fields: Value, Values[Index] and ValueCount of the search expression.
class TraTppAutoSearchFieldRTTI : public TraTppRelativeRTTI {
    Q_OBJECT
    DOSSARA_TABLE_ADAPTER_MEMBERS
};

namespace report {
/// Registers the adapters of the report objects (printable, pipelines, templates and those
/// above); once.
void RegisterReportAdapters();
}  // namespace report
