#include "report/script/object_adapters.h"

#include "report/page/class_library.h"
#include "report/script/errors.h"

#include "report/model/report_adapters.h"
#include "report/page/report_font.h"
#include "report/script/enum_types.h"

#include "platform/settings/ini_file.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

// ---- String lists ----------------------------------------------------------------------

void TStrings::checkIndex(int aIndex, int aCount) const {
    if (aIndex < 0 || aIndex >= aCount)
        throw EScriptRunError(QStringLiteral("List index out of bounds (%1)").arg(aIndex));
}

QString TStrings::Strings(int aIndex) const {
    checkIndex(aIndex, Count());
    return m_strings.at(aIndex);
}

void TStrings::SetStrings(int aIndex, const QString& aText) {
    checkIndex(aIndex, Count());
    m_strings[aIndex] = aText;
}

QObject* TStrings::Objects(int aIndex) const {
    checkIndex(aIndex, Count());
    return m_objects.at(aIndex).data();
}

void TStrings::SetObjects(int aIndex, QObject* aObject) {
    checkIndex(aIndex, Count());
    m_objects[aIndex] = aObject;
}

QString TStrings::Text() const {
    QString text;
    for (const QString& s : m_strings)
        text += s + QLatin1Char('\n');
    return text;
}

void TStrings::SetText(const QString& aText) {
    Clear();
    QString text = aText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (const QString& line : lines)
        AddObject(line, nullptr);
}

QString TStrings::Names(int aIndex) const {
    const QString s = Strings(aIndex);
    const int eq = int(s.indexOf(QLatin1Char('=')));
    return eq < 0 ? QString() : s.left(eq);
}

QString TStrings::Values(const QString& aName) const {
    const int i = IndexOfName(aName);
    return i < 0 ? QString() : m_strings.at(i).mid(aName.size() + 1);
}

void TStrings::SetValues(const QString& aName, const QString& aValue) {
    const int i = IndexOfName(aName);
    if (aValue.isEmpty()) {
        if (i >= 0)
            Delete(i);
        return;
    }
    if (i >= 0)
        m_strings[i] = aName + QLatin1Char('=') + aValue;
    else
        AddObject(aName + QLatin1Char('=') + aValue, nullptr);
}

int TStrings::AddObject(const QString& aText, QObject* aObject) {
    m_strings.append(aText);
    m_objects.append(aObject);
    return Count() - 1;
}

void TStrings::InsertObject(int aIndex, const QString& aText, QObject* aObject) {
    checkIndex(aIndex, Count() + 1);
    m_strings.insert(aIndex, aText);
    m_objects.insert(aIndex, aObject);
}

void TStrings::Delete(int aIndex) {
    checkIndex(aIndex, Count());
    m_strings.removeAt(aIndex);
    m_objects.removeAt(aIndex);
}

void TStrings::Clear() {
    m_strings.clear();
    m_objects.clear();
}

void TStrings::Exchange(int aIndex1, int aIndex2) {
    checkIndex(aIndex1, Count());
    checkIndex(aIndex2, Count());
    m_strings.swapItemsAt(aIndex1, aIndex2);
    m_objects.swapItemsAt(aIndex1, aIndex2);
}

void TStrings::Move(int aCurIndex, int aNewIndex) {
    if (aCurIndex == aNewIndex)
        return;
    checkIndex(aCurIndex, Count());
    checkIndex(aNewIndex, Count());
    m_strings.move(aCurIndex, aNewIndex);
    m_objects.move(aCurIndex, aNewIndex);
}

int TStrings::IndexOf(const QString& aText) const {
    for (int i = 0; i < Count(); ++i)
        if (m_strings.at(i).compare(aText, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const QString& aName) const {
    for (int i = 0; i < Count(); ++i) {
        const QString& s = m_strings.at(i);
        const int eq = int(s.indexOf(QLatin1Char('=')));
        if (eq >= 0 && s.left(eq).compare(aName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(QObject* aObject) const {
    for (int i = 0; i < Count(); ++i)
        if (m_objects.at(i).data() == aObject)
            return i;
    return -1;
}

bool TStrings::Equals(const TStrings* aOther) const {
    return aOther && aOther->m_strings == m_strings;
}

void TStrings::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TStrings*>(Source)) {
        Clear();
        for (int i = 0; i < other->Count(); ++i)
            AddObject(other->m_strings.at(i), other->m_objects.at(i).data());
        return;
    }
    TPersistent::Assign(Source);
}

namespace {

int compareText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive);
}

}  // namespace

void TStringList::SetSorted(bool aSorted) {
    if (aSorted && !m_sorted)
        Sort();
    m_sorted = aSorted;
}

void TStringList::Sort() {
    std::vector<int> order(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compareText(m_strings.at(a), m_strings.at(b)) < 0; });
    QStringList strings;
    QList<QPointer<QObject>> objects;
    for (int i : order) {
        strings.append(m_strings.at(i));
        objects.append(m_objects.at(i));
    }
    m_strings = strings;
    m_objects = objects;
}

bool TStringList::Find(const QString& aText, int& aIndex) const {
    if (!m_sorted) {
        aIndex = IndexOf(aText);
        return aIndex >= 0;
    }
    int low = 0;
    int high = Count() - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = compareText(m_strings.at(mid), aText);
        if (c == 0) {
            aIndex = mid;
            return true;
        }
        if (c < 0)
            low = mid + 1;
        else
            high = mid - 1;
    }
    aIndex = low;
    return false;
}

int TStringList::AddObject(const QString& aText, QObject* aObject) {
    if (!m_sorted)
        return TStrings::AddObject(aText, aObject);
    int at = 0;
    Find(aText, at);
    while (at < Count() && compareText(m_strings.at(at), aText) == 0)
        ++at;  // equal strings keep the order they came in
    m_strings.insert(at, aText);
    m_objects.insert(at, aObject);
    return at;
}

int TStringList::IndexOf(const QString& aText) const {
    if (!m_sorted)
        return TStrings::IndexOf(aText);
    int at = -1;
    return Find(aText, at) ? at : -1;
}

// ---- Object lists ----------------------------------------------------------------------

void TList::checkIndex(int aIndex, int aCount) const {
    if (aIndex < 0 || aIndex >= aCount)
        throw EScriptRunError(QStringLiteral("List index out of bounds (%1)").arg(aIndex));
}

QObject* TList::Items(int aIndex) const {
    checkIndex(aIndex, Count());
    return m_items.at(aIndex).data();
}

void TList::SetItems(int aIndex, QObject* aObject) {
    checkIndex(aIndex, Count());
    m_items[aIndex] = aObject;
}

int TList::Add(QObject* aObject) {
    m_items.append(aObject);
    return Count() - 1;
}

void TList::Delete(int aIndex) {
    checkIndex(aIndex, Count());
    m_items.removeAt(aIndex);
}

void TList::Exchange(int aIndex1, int aIndex2) {
    checkIndex(aIndex1, Count());
    checkIndex(aIndex2, Count());
    m_items.swapItemsAt(aIndex1, aIndex2);
}

int TList::IndexOf(QObject* aObject) const {
    for (int i = 0; i < Count(); ++i)
        if (m_items.at(i).data() == aObject)
            return i;
    return -1;
}

void TList::Insert(int aIndex, QObject* aObject) {
    checkIndex(aIndex, Count() + 1);
    m_items.insert(aIndex, aObject);
}

void TList::Move(int aCurIndex, int aNewIndex) {
    if (aCurIndex == aNewIndex)
        return;
    checkIndex(aCurIndex, Count());
    checkIndex(aNewIndex, Count());
    m_items.move(aCurIndex, aNewIndex);
}

int TList::Remove(QObject* aObject) {
    const int i = IndexOf(aObject);
    if (i >= 0)
        m_items.removeAt(i);
    return i;
}

// ---- Allowed folders -------------------------------------------------------------------

namespace script {

namespace {

QStringList& folders() {
    static QStringList list{QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                            QStringLiteral("/scripts")};
    return list;
}

/// The real path: links and ".." resolved; for a file that does not exist yet, its
/// folder's real path and its name. Empty when the folder does not exist either.
QString realPath(const QString& aPath) {
    const QFileInfo info(aPath);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || info.fileName().isEmpty() || info.fileName() == QLatin1String("..") ||
        info.fileName() == QLatin1String("."))
        return {};
    return folder + QLatin1Char('/') + info.fileName();
}

}  // namespace

void SetScriptFolders(const QStringList& aFolders) {
    folders() = aFolders;
}

QStringList ScriptFolders() {
    return folders();
}

void LoadScriptFolders(const QString& aSettingsFile) {
    QStringList list{QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/scripts")};
    const settings::IniFile ini(aSettingsFile);
    for (const QString& folder : ini.ReadString(QStringLiteral("CodeManager"), QStringLiteral("ScriptFolders"))
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!folder.trimmed().isEmpty())
            list << folder.trimmed();
    folders() = list;
}

QString CheckedScriptPath(const QString& aPath) {
    const QString real = realPath(aPath);
    if (!real.isEmpty()) {
        for (const QString& folder : folders()) {
            const QString root = QFileInfo(folder).canonicalFilePath();
            if (!root.isEmpty() && real.startsWith(root + QLatin1Char('/')))
                return real;
        }
    }
    throw EScriptRunError(QStringLiteral("Access to \"%1\" is not allowed: scripts may read and write files only "
                                         "in the script folders")
                              .arg(aPath));
}

}  // namespace script

// ---- Adapters --------------------------------------------------------------------------

namespace {

bool is(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

struct Param {
    const char* name;
    TraDataType kind;
    bool isVar = false;
};

struct Member {
    const char* name;
    enum Kind { Property, ReadOnlyProperty, Array, Method } kind;
    TraDataType type;  ///< a property's kind
    std::vector<Param> params;  ///< of arrays and methods, a function's Result last
    bool listed = true;
    const char* typeName = nullptr;  ///< of an enumerated property
};

using D = TraDataType;

const std::vector<Member>& stringsMembers() {
    static const std::vector<Member> members = {
        {"Count", Member::ReadOnlyProperty, D::daInteger, {}},
        {"Objects", Member::Array, D::daMethod, {{"Index", D::daInteger}, {"Result", D::daClass}}},
        {"Strings", Member::Array, D::daMethod, {{"Index", D::daInteger}, {"Result", D::daString}}},
        {"Text", Member::Property, D::daString, {}},
        {"Names", Member::Array, D::daMethod, {{"Index", D::daInteger}, {"Result", D::daString}}},
        {"Values", Member::Array, D::daMethod, {{"Name", D::daString}, {"Result", D::daString}}},
        {"Add", Member::Method, D::daMethod, {{"String", D::daString}, {"Result", D::daInteger}}},
        {"AddObject", Member::Method, D::daMethod,
         {{"String", D::daString}, {"Object", D::daClass}, {"Result", D::daInteger}}},
        {"AddStrings", Member::Method, D::daMethod, {{"Strings", D::daClass}}},
        {"BeginUpdate", Member::Method, D::daMethod, {}},
        {"Clear", Member::Method, D::daMethod, {}},
        {"Delete", Member::Method, D::daMethod, {{"Index", D::daInteger}}},
        {"EndUpdate", Member::Method, D::daMethod, {}},
        {"Equals", Member::Method, D::daMethod, {{"Strings", D::daClass}, {"Result", D::daBoolean}}},
        {"Exchange", Member::Method, D::daMethod, {{"Index1", D::daInteger}, {"Index2", D::daInteger}}},
        {"IndexOf", Member::Method, D::daMethod, {{"String", D::daString}, {"Result", D::daInteger}}},
        {"IndexOfName", Member::Method, D::daMethod, {{"String", D::daString}, {"Result", D::daInteger}}},
        {"IndexOfObject", Member::Method, D::daMethod, {{"Object", D::daClass}, {"Result", D::daInteger}}},
        {"Insert", Member::Method, D::daMethod, {{"Index", D::daInteger}, {"S", D::daString}}},
        {"InsertObject", Member::Method, D::daMethod,
         {{"Index", D::daInteger}, {"S", D::daString}, {"aObject", D::daClass}}},
        {"LoadFromFile", Member::Method, D::daMethod, {{"FileName", D::daString}}},
        {"Move", Member::Method, D::daMethod, {{"CurIndex", D::daInteger}, {"NewIndex", D::daInteger}}},
        {"SaveToFile", Member::Method, D::daMethod, {{"FileName", D::daString}}},
        {"Append", Member::Method, D::daMethod, {{"String", D::daString}}, false},
    };
    return members;
}

const std::vector<Member>& objectListMembers() {
    static const std::vector<Member> members = {
        {"Count", Member::ReadOnlyProperty, D::daInteger, {}},
        {"Items", Member::Array, D::daMethod, {{"Index", D::daInteger}, {"Result", D::daClass}}},
        {"Add", Member::Method, D::daMethod, {{"Item", D::daClass}, {"Result", D::daInteger}}},
        {"Clear", Member::Method, D::daMethod, {}},
        {"Delete", Member::Method, D::daMethod, {{"Index", D::daInteger}}},
        {"Exchange", Member::Method, D::daMethod, {{"Index1", D::daInteger}, {"Index2", D::daInteger}}},
        {"IndexOf", Member::Method, D::daMethod, {{"Item", D::daClass}, {"Result", D::daInteger}}},
        {"Insert", Member::Method, D::daMethod, {{"Index", D::daInteger}, {"Item", D::daClass}}},
        {"Move", Member::Method, D::daMethod, {{"CurIndex", D::daInteger}, {"NewIndex", D::daInteger}}},
        {"Remove", Member::Method, D::daMethod, {{"Item", D::daClass}, {"Result", D::daInteger}}},
        {"First", Member::Method, D::daMethod, {{"Result", D::daClass}}, false},
        {"Last", Member::Method, D::daMethod, {{"Result", D::daClass}}, false},
    };
    return members;
}

const std::vector<Member>& stringListMembers() {
    // Find hands the position back in Index (a var parameter).
    static const std::vector<Member> members = {
        {"Sorted", Member::Property, D::daBoolean, {}},
        {"Find", Member::Method, D::daMethod,
         {{"String", D::daString}, {"Index", D::daInteger, true}, {"Result", D::daBoolean}}},
        {"Sort", Member::Method, D::daMethod, {}},
    };
    return members;
}

const Member* findMember(const std::vector<Member>& members, const QString& aName) {
    for (const Member& m : members)
        if (is(aName, m.name))
            return &m;
    return nullptr;
}

void listMembers(const std::vector<Member>& members, TraPropList& aList) {
    for (const Member& m : members) {
        if (!m.listed)
            continue;
        if (m.kind == Member::Method)
            aList.AddMethod(QString::fromLatin1(m.name));
        else
            aList.AddProp(QString::fromLatin1(m.name));
    }
}

std::unique_ptr<TraParamList> paramsOf(const Member& m) {
    auto list = std::make_unique<TraParamList>();
    for (const Param& p : m.params)
        list->AddParam(QString::fromLatin1(p.name), p.kind,
                       p.kind == D::daClass ? &QObject::staticMetaObject : nullptr, {}, false, p.isVar);
    return list;
}

bool describe(const TraRTTI& rtti, const Member& m, TraPropRec& aRec) {
    const QString name = QString::fromLatin1(m.name);
    switch (m.kind) {
    case Member::Property:
    case Member::ReadOnlyProperty:
        TraRTTI::PropToRec(name, m.type, m.kind == Member::ReadOnlyProperty, aRec);
        if (m.typeName)
            aRec.TypeName = QString::fromLatin1(m.typeName);
        return true;
    case Member::Array:
        rtti.ArrayPropToRec(name, aRec);
        aRec.ReadOnly = is(name, "Names");
        return true;
    case Member::Method:
        rtti.MethodToRec(name, true, aRec);
        return true;
    }
    return false;
}

QVariant arg(TraParamList& aParams, int aIndex) {
    QVariant v;
    aParams.GetParamValue(aIndex, v);
    return v;
}

QObject* objectArg(TraParamList& aParams, int aIndex) {
    return arg(aParams, aIndex).value<QObject*>();
}

}  // namespace

void TraTListRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTObjectRTTI::GetPropList(aClass, aPropList);
    listMembers(objectListMembers(), aPropList);
}

bool TraTListRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(objectListMembers(), aName.isEmpty() ? QStringLiteral("Items") : aName))
        return describe(*this, *m, aPropRec);
    return TraTObjectRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTListRTTI::GetParams(const QString& aName) const {
    if (const Member* m = findMember(objectListMembers(), aName.isEmpty() ? QStringLiteral("Items") : aName))
        return paramsOf(*m);
    return TraTObjectRTTI::GetParams(aName);
}

bool TraTListRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* list = qobject_cast<TList*>(aObject);
    if (list && is(aName, "Count")) {
        aValue = list->Count();
        return true;
    }
    return TraTObjectRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTListRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* list = qobject_cast<TList*>(aObject);
    if (!list)
        return TraTObjectRTTI::CallMethod(aObject, aName, aGet, aParams);
    const QString name = aName.isEmpty() ? QStringLiteral("Items") : aName;
    const auto object = [&](int i) { return objectArg(aParams, i); };
    if (is(name, "Items")) {
        if (aGet)
            aParams.SetParamValue(1, QVariant::fromValue(list->Items(arg(aParams, 0).toInt())));
        else
            list->SetItems(arg(aParams, 0).toInt(), object(1));
    } else if (is(name, "Add")) {
        aParams.SetParamValue(1, list->Add(object(0)));
    } else if (is(name, "Clear")) {
        list->Clear();
    } else if (is(name, "Delete")) {
        list->Delete(arg(aParams, 0).toInt());
    } else if (is(name, "Exchange")) {
        list->Exchange(arg(aParams, 0).toInt(), arg(aParams, 1).toInt());
    } else if (is(name, "IndexOf")) {
        aParams.SetParamValue(1, list->IndexOf(object(0)));
    } else if (is(name, "Insert")) {
        list->Insert(arg(aParams, 0).toInt(), object(1));
    } else if (is(name, "Move")) {
        list->Move(arg(aParams, 0).toInt(), arg(aParams, 1).toInt());
    } else if (is(name, "Remove")) {
        aParams.SetParamValue(1, list->Remove(object(0)));
    } else if (is(name, "First")) {
        aParams.SetParamValue(0, QVariant::fromValue(list->Count() ? list->Items(0) : nullptr));
    } else if (is(name, "Last")) {
        aParams.SetParamValue(0, QVariant::fromValue(list->Count() ? list->Items(list->Count() - 1) : nullptr));
    } else {
        return TraTObjectRTTI::CallMethod(aObject, aName, aGet, aParams);
    }
    return true;
}

void TraTStringsRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTPersistentRTTI::GetPropList(aClass, aPropList);
    listMembers(stringsMembers(), aPropList);
}

bool TraTStringsRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(stringsMembers(), aName.isEmpty() ? QStringLiteral("Strings") : aName))
        return describe(*this, *m, aPropRec);
    return TraTPersistentRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTStringsRTTI::GetParams(const QString& aName) const {
    if (const Member* m = findMember(stringsMembers(), aName.isEmpty() ? QStringLiteral("Strings") : aName))
        return paramsOf(*m);
    return TraTPersistentRTTI::GetParams(aName);
}

bool TraTStringsRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* list = qobject_cast<TStrings*>(aObject);
    if (list && is(aName, "Count")) {
        aValue = list->Count();
        return true;
    }
    if (list && is(aName, "Text")) {
        aValue = list->Text();
        return true;
    }
    return TraTPersistentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTStringsRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* list = qobject_cast<TStrings*>(aObject);
    if (list && is(aName, "Text")) {
        list->SetText(aValue.toString());
        return true;
    }
    return TraTPersistentRTTI::SetPropValue(aObject, aName, aValue);
}

bool TraTStringsRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* list = qobject_cast<TStrings*>(aObject);
    if (!list)
        return TraTPersistentRTTI::CallMethod(aObject, aName, aGet, aParams);
    const QString name = aName.isEmpty() ? QStringLiteral("Strings") : aName;
    if (is(name, "Strings")) {
        if (aGet)
            aParams.SetParamValue(1, list->Strings(arg(aParams, 0).toInt()));
        else
            list->SetStrings(arg(aParams, 0).toInt(), arg(aParams, 1).toString());
    } else if (is(name, "Objects")) {
        if (aGet)
            aParams.SetParamValue(1, QVariant::fromValue(list->Objects(arg(aParams, 0).toInt())));
        else
            list->SetObjects(arg(aParams, 0).toInt(), objectArg(aParams, 1));
    } else if (is(name, "Names")) {
        if (aGet)
            aParams.SetParamValue(1, list->Names(arg(aParams, 0).toInt()));
    } else if (is(name, "Values")) {
        if (aGet)
            aParams.SetParamValue(1, list->Values(arg(aParams, 0).toString()));
        else
            list->SetValues(arg(aParams, 0).toString(), arg(aParams, 1).toString());
    } else if (is(name, "Add")) {
        aParams.SetParamValue(1, list->AddObject(arg(aParams, 0).toString(), nullptr));
    } else if (is(name, "Append")) {
        list->AddObject(arg(aParams, 0).toString(), nullptr);
    } else if (is(name, "AddObject")) {
        aParams.SetParamValue(2, list->AddObject(arg(aParams, 0).toString(), objectArg(aParams, 1)));
    } else if (is(name, "AddStrings")) {
        if (auto* other = qobject_cast<TStrings*>(objectArg(aParams, 0))) {
            const QStringList lines = other->Lines();  // a list may add itself
            for (int i = 0; i < lines.size(); ++i)
                list->AddObject(lines.at(i), other->Objects(i));
        }
    } else if (is(name, "BeginUpdate") || is(name, "EndUpdate")) {
    } else if (is(name, "Clear")) {
        list->Clear();
    } else if (is(name, "Delete")) {
        list->Delete(arg(aParams, 0).toInt());
    } else if (is(name, "Equals")) {
        aParams.SetParamValue(1, list->Equals(qobject_cast<TStrings*>(objectArg(aParams, 0))));
    } else if (is(name, "Exchange")) {
        list->Exchange(arg(aParams, 0).toInt(), arg(aParams, 1).toInt());
    } else if (is(name, "IndexOf")) {
        aParams.SetParamValue(1, list->IndexOf(arg(aParams, 0).toString()));
    } else if (is(name, "IndexOfName")) {
        aParams.SetParamValue(1, list->IndexOfName(arg(aParams, 0).toString()));
    } else if (is(name, "IndexOfObject")) {
        aParams.SetParamValue(1, list->IndexOfObject(objectArg(aParams, 0)));
    } else if (is(name, "Insert")) {
        list->InsertObject(arg(aParams, 0).toInt(), arg(aParams, 1).toString(), nullptr);
    } else if (is(name, "InsertObject")) {
        list->InsertObject(arg(aParams, 0).toInt(), arg(aParams, 1).toString(), objectArg(aParams, 2));
    } else if (is(name, "Move")) {
        list->Move(arg(aParams, 0).toInt(), arg(aParams, 1).toInt());
    } else if (is(name, "LoadFromFile")) {
        const QString path = script::CheckedScriptPath(arg(aParams, 0).toString());
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EScriptRunError(QStringLiteral("Cannot open file \"%1\"").arg(arg(aParams, 0).toString()));
        list->SetText(QString::fromUtf8(file.readAll()));
    } else if (is(name, "SaveToFile")) {
        const QString path = script::CheckedScriptPath(arg(aParams, 0).toString());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(list->Text().toUtf8()) < 0 || !file.commit())
            throw EScriptRunError(QStringLiteral("Cannot create file \"%1\"").arg(arg(aParams, 0).toString()));
    } else {
        return TraTPersistentRTTI::CallMethod(aObject, aName, aGet, aParams);
    }
    return true;
}

void TraTStringListRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTStringsRTTI::GetPropList(aClass, aPropList);
    listMembers(stringListMembers(), aPropList);
}

bool TraTStringListRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(stringListMembers(), aName))
        return describe(*this, *m, aPropRec);
    return TraTStringsRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTStringListRTTI::GetParams(const QString& aName) const {
    if (const Member* m = findMember(stringListMembers(), aName))
        return paramsOf(*m);
    return TraTStringsRTTI::GetParams(aName);
}

bool TraTStringListRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* list = qobject_cast<TStringList*>(aObject);
    if (list && is(aName, "Sorted")) {
        aValue = list->Sorted();
        return true;
    }
    return TraTStringsRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTStringListRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* list = qobject_cast<TStringList*>(aObject);
    if (list && is(aName, "Sorted")) {
        list->SetSorted(aValue.toBool());
        return true;
    }
    return TraTStringsRTTI::SetPropValue(aObject, aName, aValue);
}

bool TraTStringListRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* list = qobject_cast<TStringList*>(aObject);
    if (list && is(aName, "Find")) {
        int index = arg(aParams, 1).toInt();
        const bool found = list->Find(arg(aParams, 0).toString(), index);
        aParams.SetParamValue(1, index);
        aParams.SetParamValue(2, found);
        return true;
    }
    if (list && is(aName, "Sort")) {
        list->Sort();
        return true;
    }
    return TraTStringsRTTI::CallMethod(aObject, aName, aGet, aParams);
}

namespace script {

void RegisterObjectAdapters() {
    static bool done = false;
    if (done)
        return;
    done = true;
    for (TClass cls : {&TBitmap::staticMetaObject, &TGraphic::staticMetaObject, &TList::staticMetaObject,
                       &TPicture::staticMetaObject, &TStrings::staticMetaObject, &TStringList::staticMetaObject})
        report::RegisterClass(cls);
    if (!::FindEnumType(QStringLiteral("TTransparentMode")))
        ::RegisterEnumType(QStringLiteral("TTransparentMode"), EnumTypeOf(TTransparentMode{}));
    // The enumerated types of members and parameters of the report adapters.
    static const report::EnumType bandType = report::MakeEnumType(
        "TppBandType", "btHeader, btTitle, btColumnHeader, btGroupHeader, btDetail, btGroupFooter, btColumnFooter, "
                       "btSummary, btFooter, btPageStyle");
    static const report::EnumType searchType = report::MakeEnumType("TSearchType", "stWholeWord, stMatchCase");
    for (const report::EnumType* type : {&bandType, &searchType}) {
        if (!report::FindEnumType(type->name))
            report::RegisterEnumType(*type);
        if (!::FindEnumType(type->name))
            ::RegisterEnumType(type->name, *type);
    }
    raScriptPathCheck() = [](const QString& aPath) { return script::CheckedScriptPath(aPath); };
    report::RegisterReportAdapters();
    raRegisterRTTI<TraTBitmapRTTI>();
    raRegisterRTTI<TraTFontRTTI>();
    // Scripts name the report font by the class library's name.
    raGetRTTIClassList().push_back({QStringLiteral("TFont"), &RTTIInstance<TraTFontRTTI>()});
    raRegisterRTTI<TraTGraphicRTTI>();
    raRegisterRTTI<TraTListRTTI>();
    raRegisterRTTI<TraTPictureRTTI>();
    raRegisterRTTI<TraTStringsRTTI>();
    raRegisterRTTI<TraTStringListRTTI>();
}

}  // namespace script

// ---- Graphics --------------------------------------------------------------------------

namespace {

paint::Picture readPictureFile(const QString& aFileName) {
    const QString path = script::CheckedScriptPath(aFileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EScriptRunError(QStringLiteral("Cannot open file \"%1\"").arg(aFileName));
    base::Result<paint::Picture> picture = paint::Picture::FromData(file.readAll());
    if (!picture)
        throw EScriptRunError(QStringLiteral("\"%1\" is not a picture: %2").arg(aFileName, picture.error().text));
    return *picture;
}

void writeFile(const QString& aFileName, const QByteArray& aBytes) {
    const QString path = script::CheckedScriptPath(aFileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(aBytes) < 0 || !file.commit())
        throw EScriptRunError(QStringLiteral("Cannot create file \"%1\"").arg(aFileName));
}

const std::vector<Member>& fontMembers() {
    static const std::vector<Member> members = {
        {"Bold", Member::Property, D::daBoolean, {}},
        {"Italic", Member::Property, D::daBoolean, {}},
        {"Normal", Member::Property, D::daBoolean, {}},
        {"Underline", Member::Property, D::daBoolean, {}},
        {"Strikeout", Member::Property, D::daBoolean, {}},
    };
    return members;
}

const std::vector<Member>& graphicMembers() {
    static const std::vector<Member> members = {
        {"Empty", Member::ReadOnlyProperty, D::daBoolean, {}},
        {"Transparent", Member::Property, D::daBoolean, {}},
        {"LoadFromFile", Member::Method, D::daMethod, {{"Filename", D::daString}}},
        {"SaveToFile", Member::Method, D::daMethod, {{"Filename", D::daString}}},
    };
    return members;
}

const std::vector<Member>& bitmapMembers() {
    static const std::vector<Member> members = {
        {"TransparentColor", Member::Property, D::daInteger, {}},
        {"TransparentMode", Member::Property, D::daEnum, {}, true, "TTransparentMode"},
    };
    return members;
}

const std::vector<Member>& pictureMembers() {
    static const std::vector<Member> members = {
        {"LoadFromFile", Member::Method, D::daMethod, {{"Filename", D::daString}}},
        {"SaveToFile", Member::Method, D::daMethod, {{"Filename", D::daString}}},
    };
    return members;
}

/// The Filename parameters are const.
std::unique_ptr<TraParamList> fileParams() {
    auto list = std::make_unique<TraParamList>();
    list->AddParam(QStringLiteral("Filename"), D::daString, nullptr, {}, true, false);
    return list;
}

std::optional<paint::TFontStyle> fontStyleOf(const QString& aName) {
    if (is(aName, "Bold"))
        return paint::TFontStyle::fsBold;
    if (is(aName, "Italic"))
        return paint::TFontStyle::fsItalic;
    if (is(aName, "Underline"))
        return paint::TFontStyle::fsUnderline;
    if (is(aName, "Strikeout"))
        return paint::TFontStyle::fsStrikeOut;
    return std::nullopt;
}

}  // namespace

void TGraphic::LoadFromFile(const QString& aFileName) {
    readPictureFile(aFileName);  // checks the path and the content; a plain graphic keeps nothing
}

void TGraphic::SaveToFile(const QString& aFileName) const {
    writeFile(aFileName, {});
}

int TBitmap::TransparentColor() const {
    if (m_transparentColor >= 0 || m_image.isNull())
        return m_transparentColor < 0 ? 0 : m_transparentColor;
    const QRgb pixel = m_image.pixel(0, m_image.height() - 1);
    return paint::FromQColor(QColor::fromRgb(pixel));
}

void TBitmap::SetTransparentColor(int aColor) {
    m_transparentColor = aColor;
    m_mode = TTransparentMode::tmFixed;
}

void TBitmap::LoadFromFile(const QString& aFileName) {
    m_image = readPictureFile(aFileName).Image();
}

void TBitmap::SaveToFile(const QString& aFileName) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!m_image.isNull() && !m_image.save(&buffer, "BMP"))
        throw EScriptRunError(QStringLiteral("Cannot create file \"%1\"").arg(aFileName));
    writeFile(aFileName, bytes);
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TBitmap*>(Source)) {
        m_image = other->m_image;
        m_mode = other->m_mode;
        m_transparentColor = other->m_transparentColor;
        SetTransparent(other->Transparent());
        return;
    }
    if (auto* picture = qobject_cast<TPicture*>(Source)) {
        m_image = picture->Picture().Image();
        return;
    }
    TGraphic::Assign(Source);
}

void TPicture::LoadFromFile(const QString& aFileName) {
    m_picture = readPictureFile(aFileName);
}

void TPicture::SaveToFile(const QString& aFileName) const {
    writeFile(aFileName, m_picture.Data());
}

void TPicture::Assign(TPersistent* Source) {
    if (auto* other = qobject_cast<TPicture*>(Source)) {
        m_picture = other->m_picture;
        return;
    }
    TPersistent::Assign(Source);
}

// The font adapter.

TClass TraTFontRTTI::RefClass() const {
    return &TppFont::staticMetaObject;
}

void TraTFontRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTPersistentRTTI::GetPropList(aClass, aPropList);
    listMembers(fontMembers(), aPropList);
}

bool TraTFontRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(fontMembers(), aName))
        return describe(*this, *m, aPropRec);
    return TraTPersistentRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTFontRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* font = qobject_cast<TppFont*>(aObject);
    if (font && is(aName, "Normal")) {
        aValue = font->Style().Bits() == 0;
        return true;
    }
    if (const auto style = fontStyleOf(aName); font && style) {
        aValue = font->Style().Contains(*style);
        return true;
    }
    return TraTPersistentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTFontRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    auto* font = qobject_cast<TppFont*>(aObject);
    if (font && is(aName, "Normal")) {
        if (aValue.toBool())
            font->SetStyle({});
        return true;
    }
    if (const auto style = fontStyleOf(aName); font && style) {
        paint::TFontStyles styles = font->Style();
        if (aValue.toBool())
            styles.Include(*style);
        else
            styles.Exclude(*style);
        font->SetStyle(styles);
        return true;
    }
    return TraTPersistentRTTI::SetPropValue(aObject, aName, aValue);
}

// The graphic adapters.

void TraTGraphicRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTPersistentRTTI::GetPropList(aClass, aPropList);
    listMembers(graphicMembers(), aPropList);
}

bool TraTGraphicRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(graphicMembers(), aName)) {
        describe(*this, *m, aPropRec);
        if (m->kind == Member::Method)
            aPropRec.Params = fileParams();
        return true;
    }
    return TraTPersistentRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTGraphicRTTI::GetParams(const QString& aName) const {
    if (is(aName, "LoadFromFile") || is(aName, "SaveToFile"))
        return fileParams();
    return TraTPersistentRTTI::GetParams(aName);
}

bool TraTGraphicRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* graphic = qobject_cast<TGraphic*>(aObject);
    if (graphic && is(aName, "LoadFromFile")) {
        graphic->LoadFromFile(arg(aParams, 0).toString());
        return true;
    }
    if (graphic && is(aName, "SaveToFile")) {
        graphic->SaveToFile(arg(aParams, 0).toString());
        return true;
    }
    return TraTPersistentRTTI::CallMethod(aObject, aName, aGet, aParams);
}

bool TraTGraphicRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* graphic = qobject_cast<TGraphic*>(aObject)) {
        if (is(aName, "Empty")) {
            aValue = graphic->Empty();
            return true;
        }
        if (is(aName, "Transparent")) {
            aValue = graphic->Transparent();
            return true;
        }
    }
    return TraTPersistentRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTGraphicRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* graphic = qobject_cast<TGraphic*>(aObject); graphic && is(aName, "Transparent")) {
        graphic->SetTransparent(aValue.toBool());
        return true;
    }
    return TraTPersistentRTTI::SetPropValue(aObject, aName, aValue);
}

void TraTBitmapRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTGraphicRTTI::GetPropList(aClass, aPropList);
    listMembers(bitmapMembers(), aPropList);
}

bool TraTBitmapRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(bitmapMembers(), aName))
        return describe(*this, *m, aPropRec);
    return TraTGraphicRTTI::GetPropRec(aClass, aName, aPropRec);
}

bool TraTBitmapRTTI::GetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* bitmap = qobject_cast<TBitmap*>(aObject)) {
        if (is(aName, "TransparentColor")) {
            aValue = bitmap->TransparentColor();
            return true;
        }
        if (is(aName, "TransparentMode")) {
            aValue = int(bitmap->TransparentMode());
            return true;
        }
    }
    return TraTGraphicRTTI::GetPropValue(aObject, aName, aValue);
}

bool TraTBitmapRTTI::SetPropValue(QObject* aObject, const QString& aName, QVariant& aValue) const {
    if (auto* bitmap = qobject_cast<TBitmap*>(aObject)) {
        if (is(aName, "TransparentColor")) {
            bitmap->SetTransparentColor(aValue.toInt());
            return true;
        }
        if (is(aName, "TransparentMode")) {
            const int mode = aValue.toInt();
            if (mode < 0 || mode > 1)
                return false;
            bitmap->SetTransparentMode(TTransparentMode(mode));
            return true;
        }
    }
    return TraTGraphicRTTI::SetPropValue(aObject, aName, aValue);
}

void TraTPictureRTTI::GetPropList(TClass aClass, TraPropList& aPropList) const {
    TraTPersistentRTTI::GetPropList(aClass, aPropList);
    listMembers(pictureMembers(), aPropList);
}

bool TraTPictureRTTI::GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const {
    if (const Member* m = findMember(pictureMembers(), aName)) {
        describe(*this, *m, aPropRec);
        aPropRec.Params = fileParams();
        return true;
    }
    return TraTPersistentRTTI::GetPropRec(aClass, aName, aPropRec);
}

std::unique_ptr<TraParamList> TraTPictureRTTI::GetParams(const QString& aName) const {
    if (is(aName, "LoadFromFile") || is(aName, "SaveToFile"))
        return fileParams();
    return TraTPersistentRTTI::GetParams(aName);
}

bool TraTPictureRTTI::CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const {
    auto* picture = qobject_cast<TPicture*>(aObject);
    if (picture && is(aName, "LoadFromFile")) {
        picture->LoadFromFile(arg(aParams, 0).toString());
        return true;
    }
    if (picture && is(aName, "SaveToFile")) {
        picture->SaveToFile(arg(aParams, 0).toString());
        return true;
    }
    return TraTPersistentRTTI::CallMethod(aObject, aName, aGet, aParams);
}
