#pragma once

// The vocabulary through which scripts and the designer's object inspector reach report
// objects by name: property records, parameter lists, name lists, the adapter base class
// TraRTTI with the adapters of the root classes, and the registry that finds the adapter of
// any class. A class's published properties are its Q_PROPERTYs; an adapter adds what
// they do not give (methods with parameters, events with their ids, array properties) and
// hides what should not be seen.
//
// Values travel in QVariant buffers. By kind: daInteger and daEnum an int (the ordinal for
// an enumeration), daClass a QObject* (an object) or a TClassRef (a class), daSingle a
// float, daDouble, daExtended, daDateTime, daDate and daTime a double, daCurrency a
// TCurrency, daChar a QChar, daBoolean a bool, daString a QString, daVariant any value;
// nothing is copied for daUnknown, daObject and daMethod.

#include "platform/base/exception.h"
#include "report/page/class_library.h"
#include "report/page/report_types.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

DOSSARA_REPORT_ENUM(TraDataType, daUnknown, daInteger, daSingle, daDouble, daExtended, daCurrency, daChar, daString,
                    daDateTime, daDate, daTime, daBoolean, daVariant, daObject, daClass, daEnum, daMethod)

/// One parameter of a method, array property or event.
struct TraParamRec {
    QString Name;  ///< "Result" for a function's result; at most 255 characters
    TraDataType DataType = TraDataType::daUnknown;
    TClass ClassType = nullptr;  ///< class of a daClass parameter
    QString TypeName;            ///< enumerated type name of a daEnum parameter
    bool IsConst = false;
    bool IsVar = false;  ///< the callee writes it back
    QVariant* Value = nullptr;  ///< the caller's buffer during a call; null until bound
};

/// The parameters of a method in declaration order, a function's result last as "Result".
class TraParamList {
public:
    /// Appends a parameter (Value null) and answers its index.
    int AddParam(const QString& aName, TraDataType aDataType, TClass aClass, const QString& aTypeName, bool aIsConst,
                 bool aIsVar);
    /// Removes the parameter of that name, when present.
    void RemoveParam(const QString& aName);
    /// Copies the record at an index; false when out of range.
    bool GetParamRec(int aIndex, TraParamRec& aParamRec) const;
    /// Points the parameter at a caller's buffer (the report side, before raising an event).
    void SetParamValuePtr(int aIndex, QVariant* aValue);
    /// The same, as the scripting side calls it.
    void BindParamValue(int aIndex, QVariant* aValue) { SetParamValuePtr(aIndex, aValue); }
    /// Copies aSource into the bound buffer, converted to the parameter's kind.
    void SetParamValue(int aIndex, const QVariant& aSource);
    /// Copies the bound value out into aTarget, converted to the parameter's kind.
    void GetParamValue(int aIndex, QVariant& aTarget) const;

    int Count() const { return int(m_params.size()); }
    int IndexOf(const QString& aName) const;  ///< case-insensitive; -1 when absent
    const TraParamRec& Param(int aIndex) const { return m_params.at(size_t(aIndex)); }

private:
    std::vector<TraParamRec> m_params;
};

/// The names an adapter exposes, properties and methods alike, unsorted.
class TraPropList {
public:
    void AddProp(const QString& aName) { m_names << aName; }
    void AddMethod(const QString& aName) { m_names << aName; }
    /// Removes the name when present (used to hide an inherited event).
    void RemoveProp(const QString& aName);
    const QStringList& Names() const { return m_names; }

private:
    QStringList m_names;
};

/// What an adapter says about one name of a class. The record owns its parameter list.
struct TraPropRec {
    QString Name;
    TClass ClassType = nullptr;  ///< class of a daClass property, or of an object Result
    QString TypeName;            ///< enumerated type of a daEnum property
    TraDataType DataType = TraDataType::daUnknown;
    bool Published = false;  ///< true only when the record came from the class's Q_PROPERTYs
    bool ReadOnly = false;   ///< true for every method
    bool IsConstructor = false;
    bool IsArray = false;  ///< read and written through CallMethod
    int EventID = -1;      ///< communicator event id of an event; -1 otherwise
    std::unique_ptr<TraParamList> Params;
};

/// The adapter base. Its operations are those of a class, not of an instance: each adapter
/// class has one stateless instance (Instance<A>()), and the registry finds adapters by the
/// class they describe (RefClass). Every name an adapter does not handle goes to its
/// parent's operation, down to this base, which answers from the Q_PROPERTYs.
class TraRTTI : public QObject {
    Q_OBJECT
public:
    /// Adds the names exposed for aClass: the base adds every published property whose
    /// type is an integer, character, enumeration, float, string, class, variant or 64-bit
    /// integer (sets, events and other types are left out).
    virtual void GetPropList(TClass aClass, TraPropList& aPropList) const;
    /// Adds the names of the published event properties (TMethod) of aClass.
    virtual void GetEventList(TClass aClass, TraPropList& aPropList) const;
    /// The class this adapter describes.
    virtual TClass RefClass() const = 0;
    /// Fills the record for a name of aClass; false when the name is unknown.
    virtual bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const;
    /// Runs a method (or reads, with aGet, or writes an array property) with the bound
    /// parameter values; false when not done.
    virtual bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const;
    /// A new parameter list of a method, array property or event; null when there is none.
    virtual std::unique_ptr<TraParamList> GetParams(const QString& aName) const;
    /// Reads a property into aValue by its kind; false when not done.
    virtual bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const;
    /// Writes a property from aValue by its kind; false when not done.
    virtual bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const;

    static void PropToRec(const QString& aName, TraDataType aDataType, bool aReadOnly, TraPropRec& aPropRec);
    static void ClassPropToRec(const QString& aName, TClass aClass, bool aReadOnly, TraPropRec& aPropRec);
    static void EnumPropToRec(const QString& aName, const QString& aTypeName, bool aReadOnly, TraPropRec& aPropRec);
    void MethodToRec(const QString& aName, bool aGetParams, TraPropRec& aPropRec) const;
    void EventToRec(const QString& aName, int aEventID, bool aGetParams, TraPropRec& aPropRec) const;
    void ArrayPropToRec(const QString& aName, TraPropRec& aPropRec) const;
    void ConstructorToRec(const QString& aName, TClass aClass, TraPropRec& aPropRec) const;

    /// The kind of a Q_PROPERTY's type, with the enumerated type name or the class.
    static TraDataType KindOfProperty(const QMetaProperty& property, QString* typeName = nullptr,
                                      TClass* classType = nullptr);

protected:
    TraRTTI() = default;
};

/// The adapter of the root object class (QObject): methods ClassName, Create and Free.
class TraTObjectRTTI : public TraRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &QObject::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
};

/// The adapter of TPersistent: method Assign. A base of other adapters, not registered.
class TraTPersistentRTTI : public TraTObjectRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TPersistent::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
};

/// The adapter of TComponent: property Owner, the constructor with an owner, Tag.
class TraTComponentRTTI : public TraTPersistentRTTI {
    Q_OBJECT
public:
    void GetPropList(TClass aClass, TraPropList& aPropList) const override;
    TClass RefClass() const override { return &TComponent::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override;
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override;
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override;
    bool GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
    bool SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const override;
};

/// The one instance of an adapter class.
template <class A>
const A& RTTIInstance() {
    static const A instance;
    return instance;
}

/// One registry entry: the name of the described class and the adapter.
struct TraRTTIEntry {
    QString Name;
    const TraRTTI* Adapter = nullptr;
};

/// The registry, created on first use with the adapters of TObject and TComponent.
std::vector<TraRTTIEntry>& raGetRTTIClassList();
/// Frees the registry (the shut-down step); the next use starts again from the root adapters.
void raFreeRTTIClassList();
/// Registers an adapter under the name of the class it describes and its own class with the
/// class registry. Registering twice adds a second entry; look-ups find the first.
void raRegisterRTTI(const TraRTTI& aAdapter);
template <class A>
void raRegisterRTTI() {
    raRegisterRTTI(RTTIInstance<A>());
}
/// Removes the adapter's entry under the class it describes; nothing when there is none.
/// Another adapter registered for the same class keeps its entry.
void raUnRegisterRTTI(const TraRTTI& aAdapter);
/// A registered class of that name; else the class described by an adapter registered
/// under that name; else null.
TClass raGetClass(const QString& aName);
/// The adapter of a class: the one registered under its exact name (case-insensitive);
/// else, among adapters of its ancestors in registration order, a candidate replaces the
/// current choice only when its own adapter class descends from the choice's. So the most
/// derived adapter wins, and between unrelated ones the first registered. Null when none.
const TraRTTI* raGetRTTI(TClass aClass);

/// The flag running scripts check before every loop pass: set, the script stops (the job's
/// Cancel sets it; a job's start clears it).
std::atomic<bool>& raScriptCancelFlag();
/// What a long-running script calls at most every 50 ms so that pending window messages
/// (a Cancel button) are processed; empty: nothing. The page source installs it while it
/// generates pages.
std::function<void()>& raPendingMessagesHandler();
/// Checks a file path a script hands to a file method (rich text, templates): answers the
/// path to use or throws the run failure. The script library installs the folder rule; empty:
/// the path is used as given.
std::function<QString(const QString&)>& raScriptPathCheck();
/// The path through raScriptPathCheck.
QString raCheckScriptPath(const QString& aPath);

/// Objects made by script constructors (`Create` of an adapter). A script may free only
/// these; what it leaves is freed at the end of the print job (raFreeMadeObjects).
void raAdoptMadeObject(QObject* aObject);
bool raIsMadeObject(const QObject* aObject);
/// Frees the made objects still alive, the last made first.
void raFreeMadeObjects();
/// A script's Free of an object it did not make (a report's band or component).
class ETraFreeRefused : public base::Exception {
public:
    explicit ETraFreeRefused(const QString& aObjectName);
};
/// Frees a made object; raises ETraFreeRefused for any other (nothing happens for nil).
void raFreeObject(QObject* aObject);
