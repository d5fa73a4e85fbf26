#include "report/model/custom_data_pipeline.h"

#include "report/model/errors.h"
#include "report/model/report_utils.h"

#include "platform/stream/property_table.h"

#include <algorithm>

namespace report {

namespace {

bool isText(const QVariant& v) {
    const int t = v.typeId();
    return t == QMetaType::QString || t == QMetaType::QChar || t == QMetaType::QByteArray;
}

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

bool isIntegral(const QVariant& v) { return isNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float; }

/// Null 0, numbers and dates 1, texts 2, anything else 3: the order of a table's index.
int rank(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return 0;
    if (isNumber(v) || v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime ||
        v.typeId() == QMetaType::QTime)
        return 1;
    if (isText(v)) return 2;
    return 3;
}

int sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

}  // namespace

int CompareLinkValues(const QVariant& aDetail, const QVariant& aMaster) {
    if (isText(aDetail) && isText(aMaster)) {
        const QString d = aDetail.toString(), m = aMaster.toString();
        if (d.compare(m, Qt::CaseInsensitive) == 0) return 0;
        return d.toUpper() > m.toUpper() ? 1 : -1;
    }
    const int rd = rank(aDetail), rm = rank(aMaster);
    if (rd != rm) return rd > rm ? 1 : -1;
    if (rd == 0) return 0;
    if (rd == 1) {
        if (isIntegral(aDetail) && isIntegral(aMaster)) {
            const qlonglong d = aDetail.toLongLong(), m = aMaster.toLongLong();
            return d == m ? 0 : (d > m ? 1 : -1);
        }
        if (isNumber(aDetail) && isNumber(aMaster)) {
            const double d = aDetail.toDouble(), m = aMaster.toDouble();
            return d == m ? 0 : (d > m ? 1 : -1);
        }
    }
    const QPartialOrdering o = QVariant::compare(aDetail, aMaster);
    if (o == QPartialOrdering::Equivalent) return 0;
    if (o == QPartialOrdering::Greater) return 1;
    if (o == QPartialOrdering::Less) return -1;
    return sign(aDetail.toString().compare(aMaster.toString()));
}

}  // namespace report

namespace report {

void PipelineTraversal::OpenTraversal() {
    if (!m_pipeline.GetActive()) m_pipeline.Open();
    First();
}

void PipelineTraversal::CloseTraversal() {
    m_pipeline.Close();
    m_pastEnd = true;
}

void PipelineTraversal::First() {
    m_pipeline.First();
    m_recordNo = 0;
    m_pastEnd = m_pipeline.GetEOF();
    m_movedIntoEnd = false;
}

void PipelineTraversal::Next() {
    if (m_pastEnd) return;
    const TppBookmark before = m_pipeline.GetBookmark();
    m_pipeline.Next();
    ++m_recordNo;
    if (m_pipeline.GetEOF()) {
        m_pastEnd = true;
        m_movedIntoEnd = m_pipeline.GetBookmark() != before;
    }
}

void PipelineTraversal::Prior() {
    if (m_pastEnd) {
        if (m_recordNo == 0) return;  // no records at all
        m_pastEnd = false;
        --m_recordNo;
        // Back onto the range's last record: the source moved onto a record outside the
        // range (a count, the next master's details), or stayed on its last record.
        if (m_movedIntoEnd) m_pipeline.Prior();
        return;
    }
    if (m_recordNo == 0) return;
    m_pipeline.Prior();
    --m_recordNo;
}

int PipelineTraversal::Bookmark() const {
    if (!m_pastEnd) rememberRecord(m_recordNo);
    return m_recordNo;
}

void PipelineTraversal::GotoBookmark(int aBookmark) {
    if (aBookmark >= 0 && restoreRecord(aBookmark)) {
        m_recordNo = aBookmark;
        m_pastEnd = false;
        m_movedIntoEnd = false;
        return;
    }
    First();
    while (m_recordNo < aBookmark && !m_pastEnd) Next();
}

}  // namespace report

TppCustomDataPipeline::TppCustomDataPipeline(TComponent* AOwner)
    : TppDataPipeline(AOwner), report::PipelineTraversal(static_cast<TppDataPipeline&>(*this)) {
    SetOrderedChildren(true);
}

TppCustomDataPipeline::~TppCustomDataPipeline() {
    SetComponentState(csDestroying, true);
    FreeMasterFieldLinks();
}

// ---- fields ----

void TppCustomDataPipeline::markFieldsForRebuild() { m_fieldsNeedRebuild = true; }

void TppCustomDataPipeline::SetAutoCreateFields(bool aValue) {
    m_autoCreateFields = aValue;
    markFieldsForRebuild();
}

void TppCustomDataPipeline::CreateFields() {
    if (m_creatingFields || !m_autoCreateFields || !m_fieldsNeedRebuild || HasState(csReading | csLoading | csDestroying))
        return;
    m_creatingFields = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_creatingFields};
    FreeFields();
    QStringList names;
    if (!GetFieldNames(names)) return;  // the mark stays: the next question tries again
    QObject* root = Owner() ? static_cast<QObject*>(Owner()) : static_cast<QObject*>(this);
    for (int i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        auto field = std::make_unique<TppField>();
        QString componentName;
        ppGetUniqueName(root, Name() + ppGetClassBaseName(field.get()), field.get(), componentName);
        field->setObjectName(componentName);
        field->SetFieldName(name);
        field->SetFieldLength(GetFieldSize(name));
        field->SetDisplayWidth(GetFieldDisplayWidth(name));
        const TppDataType type = GetFieldDataType(name);
        if (!IsSupportedDataType(type))
            throw EInvalidPropertyError(QStringLiteral("DataType not supported by ") +
                                        QString::fromLatin1(metaObject()->className()));
        field->SetDataType(type);
        if (type == TppDataType::dtInteger || type == TppDataType::dtDouble || type == TppDataType::dtLongint)
            field->SetAlignment(TAlignment::taRightJustify);
        TppField* f = field.release();
        f->setParent(root);
        f->SetParent(this);
        f->SetFieldAlias(name);
        const bool plain = type != TppDataType::dtBLOB && type != TppDataType::dtMemo &&
                           type != TppDataType::dtGraphic && type != TppDataType::dtNotKnown;
        f->SetSearchable(plain);
        f->SetSortable(plain);
    }
    m_fieldsNeedRebuild = false;
    m_creatingFields = false;
    DataChange();
}

int TppCustomDataPipeline::DefineField(const QString& aFieldName, TppDataType aDataType, int aLength) {
    if (!IsSupportedDataType(aDataType))
        throw EInvalidPropertyError(QStringLiteral("DataType not supported by ") +
                                    QString::fromLatin1(metaObject()->className()));
    auto* field = new TppField(Owner());
    if (!Owner()) field->setParent(this);
    field->SetParent(this);
    field->SetFieldName(aFieldName);
    field->SetDataType(aDataType);
    field->SetFieldLength(aLength);
    field->SetDisplayWidth(aLength);
    field->SetAlignment(aDataType == TppDataType::dtInteger || aDataType == TppDataType::dtDouble ||
                                aDataType == TppDataType::dtLongint
                            ? TAlignment::taRightJustify
                            : TAlignment::taLeftJustify);
    return TppRelative::IndexOfChild(field);
}

void TppCustomDataPipeline::FreeFields() {
    FreeChildren();
    m_currentField = nullptr;
    if (!HasState(csReading | csLoading | csDestroying)) markFieldsForRebuild();
}

int TppCustomDataPipeline::GetFieldCount() const {
    self()->CreateFields();
    return ChildCount();
}

TppField* TppCustomDataPipeline::GetField(int aIndex) const {
    self()->CreateFields();
    return qobject_cast<TppField*>(Children(aIndex));
}

int TppCustomDataPipeline::IndexOfField(const TppField* aField) const {
    self()->CreateFields();
    return TppRelative::IndexOfChild(aField);
}

bool TppCustomDataPipeline::GetFieldNames(QStringList& aList) const {
    self()->CreateFields();
    aList.clear();
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = qobject_cast<TppField*>(Children(i))) aList << f->FieldName();
    return !aList.isEmpty();
}

bool TppCustomDataPipeline::GetFieldAliases(QStringList& aList) const {
    self()->CreateFields();
    aList.clear();
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = qobject_cast<TppField*>(Children(i))) aList << f->FieldAlias();
    return !aList.isEmpty();
}

TppField* TppCustomDataPipeline::GetFieldForName(const QString& aFieldName) const {
    self()->CreateFields();
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = qobject_cast<TppField*>(Children(i)); f && f->FieldName().compare(aFieldName, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

TppField* TppCustomDataPipeline::GetFieldForAlias(const QString& aFieldAlias) const {
    self()->CreateFields();
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* f = qobject_cast<TppField*>(Children(i));
            f && f->FieldAlias().compare(aFieldAlias, Qt::CaseInsensitive) == 0)
            return f;
    return nullptr;
}

int TppCustomDataPipeline::IndexOfFieldName(const QString& aFieldName) const {
    TppField* f = GetFieldForName(aFieldName);
    return f ? TppRelative::IndexOfChild(f) : -1;
}

QString TppCustomDataPipeline::GetFieldAliasForName(const QString& aFieldName) const {
    if (!GetActive() && m_autoCreateFields) return aFieldName;
    TppField* f = GetFieldForName(aFieldName);
    return f ? f->FieldAlias() : aFieldName;
}

QString TppCustomDataPipeline::GetFieldNameForAlias(const QString& aFieldAlias) const {
    TppField* f = GetFieldForAlias(aFieldAlias);
    return f ? f->FieldName() : QString();
}

bool TppCustomDataPipeline::SelectField(const QString& aFieldName) const {
    m_currentField = GetFieldForName(aFieldName);
    return !m_currentField.isNull();
}

TAlignment TppCustomDataPipeline::GetFieldAlignment(const QString& aFieldName) const {
    return SelectField(aFieldName) ? m_currentField->Alignment() : TAlignment::taLeftJustify;
}

TppDataType TppCustomDataPipeline::GetFieldDataType(const QString& aFieldName) const {
    return SelectField(aFieldName) ? m_currentField->DataType() : TppDataType::dtNotKnown;
}

int TppCustomDataPipeline::GetFieldDisplayWidth(const QString& aFieldName) const {
    return SelectField(aFieldName) ? m_currentField->DisplayWidth() : 0;
}

int TppCustomDataPipeline::GetFieldSize(const QString& aFieldName) const {
    return SelectField(aFieldName) ? m_currentField->FieldLength() : 0;
}

// ---- master field links ----

TppMasterFieldLink* TppCustomDataPipeline::GetMasterFieldLink(int aIndex) const {
    if (aIndex < 0 || aIndex >= int(m_masterFieldLinks.size())) return nullptr;
    return m_masterFieldLinks.at(size_t(aIndex)).second;
}

bool TppCustomDataPipeline::IsLinkedToMaster() const { return MasterDataPipeline() && !m_masterFieldLinks.empty(); }

TppMasterFieldLink* TppCustomDataPipeline::AddMasterFieldLink(const QString& aMasterFieldName,
                                                              const QString& aDetailFieldName) {
    auto* link = new TppMasterFieldLink(Owner());
    if (!Owner()) link->setParent(this);
    link->SetMasterFieldName(aMasterFieldName);
    link->SetDetailFieldName(aDetailFieldName);
    link->SetParent(this);
    return link;
}

void TppCustomDataPipeline::SetMasterFieldLinks(const std::vector<std::pair<QString, TppMasterFieldLink*>>& aLinks) {
    if (HasState(csReading | csLoading)) return;
    std::vector<std::pair<QString, QString>> names;
    for (const auto& [key, link] : aLinks)
        if (link) names.emplace_back(link->MasterFieldName(), link->DetailFieldName());
    FreeMasterFieldLinks();
    for (const auto& [m, d] : names) AddMasterFieldLink(m, d);
}

void TppCustomDataPipeline::FreeMasterFieldLinks() {
    while (!m_masterFieldLinks.empty()) {
        TppMasterFieldLink* link = m_masterFieldLinks.back().second;
        delete link;  // its destructor leaves the list
        if (!m_masterFieldLinks.empty() && m_masterFieldLinks.back().second == link) m_masterFieldLinks.pop_back();
    }
}

int TppCustomDataPipeline::indexOfLink(const TppRelative* aLink) const {
    for (size_t i = 0; i < m_masterFieldLinks.size(); ++i)
        if (m_masterFieldLinks[i].second == aLink) return int(i);
    return -1;
}

void TppCustomDataPipeline::adoptOwner(TppRelative* aChild) {
    if (Owner() && aChild->Owner() != Owner()) aChild->ChangeOwner(Owner());
}

void TppCustomDataPipeline::AddChild(TppRelative* aChild) {
    if (!aChild) return;
    adoptOwner(aChild);
    if (auto* link = qobject_cast<TppMasterFieldLink*>(aChild)) {
        if (indexOfLink(link) < 0) m_masterFieldLinks.emplace_back(link->MasterFieldName(), link);
    } else {
        TppRelative::AddChild(aChild);
    }
    DataChange();
}

void TppCustomDataPipeline::InsertChild(int aIndex, TppRelative* aChild) {
    if (!aChild) return;
    adoptOwner(aChild);
    if (auto* link = qobject_cast<TppMasterFieldLink*>(aChild)) {
        if (indexOfLink(link) < 0) {
            aIndex = std::clamp(aIndex, 0, int(m_masterFieldLinks.size()));
            m_masterFieldLinks.insert(m_masterFieldLinks.begin() + aIndex, {link->MasterFieldName(), link});
        }
    } else {
        TppRelative::InsertChild(aIndex, aChild);
    }
    DataChange();
}

int TppCustomDataPipeline::IndexOfChild(const TppRelative* aChild) const {
    if (qobject_cast<const TppMasterFieldLink*>(aChild)) return indexOfLink(aChild);
    return TppRelative::IndexOfChild(aChild);
}

int TppCustomDataPipeline::RemoveChild(TppRelative* aChild) {
    int index = -1;
    if (qobject_cast<TppMasterFieldLink*>(aChild)) {
        index = indexOfLink(aChild);
        if (index < 0) return -1;
        m_masterFieldLinks.erase(m_masterFieldLinks.begin() + index);
    } else {
        if (aChild == m_currentField) m_currentField = nullptr;
        index = TppRelative::RemoveChild(aChild);
    }
    DataChange();
    return index;
}

void TppCustomDataPipeline::GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const {
    for (const auto& entry : m_masterFieldLinks) proc(*entry.second);
}

void TppCustomDataPipeline::Loaded() {
    TppDataPipeline::Loaded();
    // Streamed field objects stay: they are not rebuilt from the record source.
    if (m_autoCreateFields && ChildCount() > 0) m_fieldsNeedRebuild = false;
}

QVariantList TppCustomDataPipeline::masterLinkValues() const {
    QVariantList values;
    TppDataPipeline* master = MasterDataPipeline();
    if (!master) return values;
    for (const auto& entry : m_masterFieldLinks) values << master->GetFieldValue(entry.second->MasterFieldName());
    return values;
}

int TppCustomDataPipeline::CompareMasterFields() const {
    TppDataPipeline* master = MasterDataPipeline();
    if (!master || !GetActive() || !master->GetActive()) return 0;
    for (const auto& entry : m_masterFieldLinks) {
        const QVariant m = master->GetFieldValue(entry.second->MasterFieldName());
        const QVariant d = GetFieldValue(entry.second->DetailFieldName());
        const int c = report::CompareLinkValues(d, m);
        if (c != 0) return c;
    }
    return 0;
}

void TppCustomDataPipeline::GotoFirstDetailRecord() {
    if (MasterDataPipeline() && MasterDataPipeline()->GetActive() && GetActive() &&
        SeekDetailRecords(masterLinkValues())) {
        // On the first record at or after the master's values in the source's own order:
        // the first matching record when there is one. Nothing more to scan.
        return;
    }
    if (CompareMasterFields() < 0) {
        while (!CheckEOF() && CompareMasterFields() < 0) MoveRecordPointer(1);
        return;
    }
    while (!CheckBOF() && CompareMasterFields() >= 0) MoveRecordPointer(-1);
    if (!CheckBOF() && CompareMasterFields() < 0) MoveRecordPointer(1);
    if (CompareMasterFields() > 0) MoveRecordPointer(-1);
}

void TppCustomDataPipeline::GotoLastDetailRecord() {
    if (MasterDataPipeline() && MasterDataPipeline()->GetActive() && GetActive() &&
        SeekDetailRecords(masterLinkValues())) {
        // From the first matching record the scan below walks only the matching records.
        if (CompareMasterFields() > 0) return;  // none match
    } else if (CompareMasterFields() > 0) {
        while (!CheckBOF() && CompareMasterFields() > 0) MoveRecordPointer(-1);
        return;
    }
    while (!CheckEOF() && CompareMasterFields() <= 0) MoveRecordPointer(1);
    if (!CheckEOF() && CompareMasterFields() > 0) MoveRecordPointer(-1);
    if (CompareMasterFields() > 0) MoveRecordPointer(1);
}

void TppCustomDataPipeline::MoveDetailRecords(int aDistance) {
    for (int i = 0; i < std::abs(aDistance); ++i) {
        if (aDistance > 0) {
            if (!DetailEOF()) MoveRecordPointer(1);
        } else {
            if (!DetailBOF()) MoveRecordPointer(-1);
        }
    }
}

void TppCustomDataPipeline::MasterRecordPositionChange() {
    TppDataPipeline::MasterRecordPositionChange();
    if (IsLinkedToMaster() && GetActive()) {
        setState(0);
        GotoFirstDetailRecord();
    }
}

const stream::PropertyList& TppCustomDataPipeline::StreamProperties() const {
    using T = TppCustomDataPipeline;
    static const auto table = stream::PropertyTable<T>(TppDataPipeline::StreamProperties())
        .Boolean("AutoCreateFields", &T::GetAutoCreateFields, [](T& t, bool v) { t.SetAutoCreateFields(v); }, true);
    return table;
}

// ---- pipeline list ----

TppDataPipelineList::TppDataPipelineList(TComponent* aReportObject) : m_reportObject(aReportObject) { Refresh(); }

void TppDataPipelineList::SetCommunicator(TComponent* aReportObject) {
    m_reportObject = aReportObject;
    Refresh();
}

void TppDataPipelineList::Refresh() {
    m_items.clear();
    if (!m_reportObject) return;
    TComponent* owner = m_reportObject->Owner();
    if (!owner) return;
    for (TComponent* c : owner->Components())
        if (auto* p = qobject_cast<TppDataPipeline*>(c); p && p->Visible()) m_items.emplace_back(p->UserName(), p);
}

QString TppDataPipelineList::Names(int aIndex) const {
    return aIndex >= 0 && aIndex < Count() ? m_items.at(size_t(aIndex)).first : QString();
}

TppDataPipeline* TppDataPipelineList::Items(int aIndex) const {
    return aIndex >= 0 && aIndex < Count() ? m_items.at(size_t(aIndex)).second.data() : nullptr;
}

TppDataPipeline* TppDataPipelineList::GetDataPipelineForName(const QString& aName) const {
    for (const auto& [name, p] : m_items)
        if (name.compare(aName, Qt::CaseInsensitive) == 0) return p.data();
    return nullptr;
}
