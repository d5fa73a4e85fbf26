#include "report/model/db_pipeline.h"

#include "report/model/auto_search_field.h"
#include "report/model/errors.h"

#include "platform/base/day_time.h"
#include "platform/db/data_source.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/stream/class_registry.h"
#include "platform/stream/property_table.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>

namespace {

// The page cache keeps records in the stream its manager binds to a cacheable; a pipeline
// without a bound stream (no report generating pages) keeps its records itself.
template <class Cacheable>
bool readBoundRecord(const Cacheable& c, int aPageNo, QByteArray& aRecord, bool& aBound) {
    if constexpr (requires { c.ReadCacheRecord(aPageNo, aRecord); c.CacheStream(); }) {
        aBound = c.CacheStream() != nullptr;
        return aBound && c.ReadCacheRecord(aPageNo, aRecord);
    } else {
        aBound = false;
        return false;
    }
}

template <class Cacheable>
bool writeBoundRecord(Cacheable& c, int aPageNo, const QByteArray& aRecord) {
    if constexpr (requires { c.WriteCacheRecord(aPageNo, aRecord); c.CacheStream(); }) {
        if (!c.CacheStream()) return false;
        c.WriteCacheRecord(aPageNo, aRecord);
        return true;
    } else {
        return false;
    }
}

template <class Cacheable>
int boundPageCount(const Cacheable& c) {
    if constexpr (requires { c.CachePageCount(); c.CacheStream(); })
        return c.CacheStream() ? c.CachePageCount() : -1;
    else
        return -1;
}

bool isNumericType(db::FieldType t) {
    switch (t) {
    case db::FieldType::ftSmallint:
    case db::FieldType::ftInteger:
    case db::FieldType::ftAutoInc:
    case db::FieldType::ftFloat:
    case db::FieldType::ftCurrency:
    case db::FieldType::ftBCD:
        return true;
    default:
        return false;
    }
}

}  // namespace

TppDBPipeline::TppDBPipeline(TComponent* AOwner) : TppCustomDataPipeline(AOwner) {}

TppDBPipeline::~TppDBPipeline() {
    Close();
    SetComponentState(csDestroying, true);
    unlinkDataSource();
}

// ---- data link ----

void TppDBPipeline::linkDataSource() {
    if (!m_dataSource) return;
    db::DataSource* source = m_dataSource;
    m_linkConnections.push_back(connect(source, &db::DataSource::StateChanged, this, [this] {
        const bool active = linkActive();
        if (active != m_linkWasActive) {
            m_linkWasActive = active;
            ActiveChanged();
        }
    }));
    m_linkConnections.push_back(connect(source, &db::DataSource::RecordChanged, this, [this] {
        if (linkActive()) DataChange();
    }));
    m_linkConnections.push_back(connect(source, &QObject::destroyed, this, [this] {
        m_linkConnections.clear();
        m_dataSource = nullptr;
        Close();
        m_dataSet = nullptr;
        m_linkWasActive = false;
    }));
    m_linkWasActive = linkActive();
}

void TppDBPipeline::unlinkDataSource() {
    for (const auto& c : m_linkConnections) disconnect(c);
    m_linkConnections.clear();
}

bool TppDBPipeline::linkActive() const {
    return m_dataSource && m_dataSource->DataSet() && m_dataSource->DataSet()->Active();
}

void TppDBPipeline::SetDataSource(db::DataSource* aValue) {
    if (aValue == m_dataSource) return;
    unlinkDataSource();
    m_dataSource = aValue;
    m_dataSourceName.clear();
    linkDataSource();
    markFieldsForRebuild();
}

QString TppDBPipeline::DataSourceName() const { return m_dataSource ? m_dataSource->objectName() : m_dataSourceName; }

db::Table* TppDBPipeline::DataSet() const {
    if (m_dataSet) return m_dataSet;
    return m_dataSource ? m_dataSource->DataSet() : nullptr;
}

void TppDBPipeline::ActiveChanged() {
    db::Table* t = DataSet();
    const bool goneOrClosed = !m_dataSource || !t || (!HasState(csDestroying) && !t->Active());
    if (goneOrClosed) {
        if (!m_closingDataSet) Close();
    } else {
        DataChange();
    }
    if (HasState(csDestroying)) return;
    m_fieldPositions.clear();
    if (GetAutoCreateFields()) {
        if (GetActive()) markFieldsForRebuild();
        else FreeFields();
    }
    StateChange();
}

// ---- record source ----

bool TppDBPipeline::GetActive() const { return linkActive(); }

void TppDBPipeline::OpenDataSet() {
    if (m_dataSource && m_dataSource->DataSet()) m_dataSet = m_dataSource->DataSet();
    db::Table* t = m_dataSet;
    if (!m_openDataSource || !t || t->Active()) return;
    try {
        t->Open();
    } catch (const base::Exception& e) {
        throw EDataError(e.Message());
    } catch (const std::exception& e) {
        throw EDataError(QString::fromLocal8Bit(e.what()));
    }
}

void TppDBPipeline::CloseDataSet() {
    m_walkRows.clear();
    for (TppBookmark b : m_bookmarkList) FreeBookmark(b);
    m_bookmarkList.clear();
    if (m_closeDataSource && DataSet() && DataSet()->Active()) {
        // The cursor's closing comes back through the data link; the pipeline is closing already.
        m_closingDataSet = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{m_closingDataSet};
        DataSet()->Close();
    }
}

bool TppDBPipeline::CheckBOF() const {
    db::Table* t = DataSet();
    return !t || !t->Active() || t->Bof();
}

bool TppDBPipeline::CheckEOF() const {
    db::Table* t = DataSet();
    return !t || !t->Active() || t->Eof();
}

void TppDBPipeline::GotoFirstRecord() {
    if (db::Table* t = DataSet(); t && t->Active()) {
        t->First();
        skipRefusedRecords(1);
    }
}

void TppDBPipeline::GotoLastRecord() {
    if (db::Table* t = DataSet(); t && t->Active()) {
        t->Last();
        skipRefusedRecords(-1);
    }
}

int TppDBPipeline::MoveRecordPointer(int aDistance) {
    db::Table* t = DataSet();
    if (!t || !t->Active()) return 0;
    if (m_searchCriteria.isEmpty()) return t->MoveBy(aDistance);
    const int step = aDistance < 0 ? -1 : 1;
    int moved = 0;
    for (int i = 0; i < std::abs(aDistance); ++i) {
        if (t->MoveBy(step) == 0) break;
        skipRefusedRecords(step);
        if (step > 0 ? t->Eof() : t->Bof()) break;
        ++moved;
    }
    return moved * step;
}

void TppDBPipeline::SetSearchCriteria(const QList<TppAutoSearchField*>& aCriteria) {
    m_searchCriteria.clear();
    for (TppAutoSearchField* f : aCriteria)
        if (f) m_searchCriteria << f;
    // The rows remembered for the engine's walk were chosen under the old criteria.
    m_walkRows.clear();
}

QList<TppAutoSearchField*> TppDBPipeline::SearchCriteria() const {
    QList<TppAutoSearchField*> out;
    for (const auto& f : m_searchCriteria)
        if (f) out << f.data();
    return out;
}

bool TppDBPipeline::recordMeetsCriteria() const {
    for (const auto& f : m_searchCriteria)
        if (f && !f->Accepts(GetFieldValue(f->FieldName()))) return false;
    return true;
}

void TppDBPipeline::skipRefusedRecords(int aStep) {
    db::Table* t = DataSet();
    if (!t || m_searchCriteria.isEmpty()) return;
    // A refused record at either end leaves the cursor there with the end flag set.
    while (!(aStep > 0 ? t->Eof() : t->Bof()) && !recordMeetsCriteria()) {
        if (t->MoveBy(aStep) == 0) break;
    }
}

void TppDBPipeline::FreeBookmark(TppBookmark aBookmark) {
    // A row id holds nothing to release.
    Q_UNUSED(aBookmark);
}

TppBookmark TppDBPipeline::GetBookmark() const {
    db::Table* t = DataSet();
    if (!t || !t->Active()) return 0;
    return t->GetBookmark().rowId;
}

void TppDBPipeline::GotoBookmark(TppBookmark aBookmark) {
    db::Table* t = DataSet();
    if (t && t->Active()) {
        const db::Bookmark b{aBookmark};
        if (aBookmark != 0 && t->BookmarkValid(b)) {
            t->GotoBookmark(b);
        } else if (TraversalCount() != 0) {
            GotoFirstRecord();
            MoveRecordPointer(TraversalCount());
        }
    }
    TppCustomDataPipeline::GotoBookmark(aBookmark);
    Traversal();
}

QString TppDBPipeline::GetDataSetName() const {
    db::Table* t = DataSet();
    if (!t) return {};
    return t->objectName().isEmpty() ? t->TableName() : t->objectName();
}

bool TppDBPipeline::SeekDetailRecords(const QVariantList& aValues) {
    db::Table* t = DataSet();
    const int links = GetMasterFieldLinkCount();
    if (!t || !t->Active() || links == 0 || aValues.size() != links) return false;
    const QStringList order = t->IndexFields();
    if (order.size() < links) return false;
    bool anyText = false;
    for (int i = 0; i < links; ++i) {
        if (order.at(i).compare(GetMasterFieldLink(i)->DetailFieldName(), Qt::CaseInsensitive) != 0) return false;
        const QVariant& v = aValues.at(i);
        if (v.isNull() || !v.isValid()) return false;
        anyText = anyText || v.typeId() == QMetaType::QString;
    }
    // The options of the order: those of the named index, or of an index over the same fields.
    const db::TableDef& def = t->Definition();
    const db::IndexDef* index = nullptr;
    if (!t->IndexFieldNames().isEmpty()) {
        for (const db::IndexDef& ix : def.Indexes)
            if (ix.FieldList().join(u';').compare(order.join(u';'), Qt::CaseInsensitive) == 0) index = &ix;
    } else {
        index = t->IndexName().isEmpty() ? def.PrimaryIndex() : def.FindIndex(t->IndexName());
    }
    const db::IndexOptions options = index ? index->Options : db::IndexOptions();
    if (options.testFlag(db::IndexOption::ixDescending)) return false;
    if (anyText && !options.testFlag(db::IndexOption::ixCaseInsensitive)) return false;
    try {
        t->FindNearest(aValues);
    } catch (const base::Exception&) {
        return false;  // a master value the detail's key cannot hold: scan instead
    }
    return true;
}

// ---- fields ----

db::Field* TppDBPipeline::selectDataSetField(const QString& aName) const {
    db::Table* t = DataSet();
    if (!t || !t->Active() || aName.isEmpty()) return nullptr;
    // The positions of the names asked for, kept while the cursor stays open: the field
    // objects are made again each time it opens (ActiveChanged forgets them).
    if (m_fieldLinkTable != t) {
        m_fieldLinkTable = t;
        m_fieldPositions.clear();
    }
    auto it = m_fieldPositions.constFind(aName);
    if (it == m_fieldPositions.constEnd()) {
        db::Field* f = t->FindField(aName);
        it = m_fieldPositions.insert(aName, f ? f->Index() : -1);
    }
    return *it >= 0 && *it < t->FieldCount() ? t->Fields(*it) : nullptr;
}

TppDataType TppDBPipeline::ppFieldTypeToDataType(int aFieldType) {
    switch (db::FieldType(aFieldType)) {
    case db::FieldType::ftSmallint:
    case db::FieldType::ftInteger:
        return TppDataType::dtInteger;
    case db::FieldType::ftAutoInc:
        return TppDataType::dtLongint;
    case db::FieldType::ftBoolean:
        return TppDataType::dtBoolean;
    case db::FieldType::ftFloat:
    case db::FieldType::ftBCD:
        return TppDataType::dtDouble;
    case db::FieldType::ftCurrency:
        return TppDataType::dtCurrency;
    case db::FieldType::ftDate:
        return TppDataType::dtDate;
    case db::FieldType::ftTime:
        return TppDataType::dtTime;
    case db::FieldType::ftDateTime:
        return TppDataType::dtDateTime;
    case db::FieldType::ftBytes:
    case db::FieldType::ftBlob:
    case db::FieldType::ftFmtMemo:
        return TppDataType::dtBLOB;
    case db::FieldType::ftMemo:
        return TppDataType::dtMemo;
    case db::FieldType::ftGraphic:
        return TppDataType::dtGraphic;
    default:
        return TppDataType::dtString;
    }
}

bool TppDBPipeline::GetFieldNames(QStringList& aList) const {
    if (!IsCreatingFields()) return TppCustomDataPipeline::GetFieldNames(aList);
    aList.clear();
    try {
        if (db::Table* t = DataSet(); t && t->Active()) aList = t->GetFieldNames();
    } catch (const base::Exception&) {
        aList.clear();
        return false;
    }
    return !aList.isEmpty();
}

TAlignment TppDBPipeline::GetFieldAlignment(const QString& aFieldName) const {
    if (db::Field* f = selectDataSetField(aFieldName))
        return isNumericType(f->DataType()) ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
    return TppCustomDataPipeline::GetFieldAlignment(aFieldName);
}

double TppDBPipeline::GetFieldAsDouble(const QString& aFieldName) const {
    db::Field* f = selectDataSetField(aFieldName);
    return f ? f->AsFloat() : 0.0;
}

QByteArray TppDBPipeline::GetFieldAsPicture(const QString& aFieldName) const {
    db::Field* f = selectDataSetField(aFieldName);
    if (!f || !f->IsBlob()) return {};
    QByteArray bytes = f->AsBytes();
    if (bytes.isNull()) bytes = QByteArray("", 0);  // a picture field without a picture
    return bytes;
}

QString TppDBPipeline::GetFieldAsString(const QString& aFieldName) const {
    db::Field* f = selectDataSetField(aFieldName);
    return f ? f->AsString() : QString();
}

TppDataType TppDBPipeline::GetFieldDataType(const QString& aFieldName) const {
    TppDataType type = TppDataType::dtNotKnown;
    if (!GetAutoCreateFields()) type = TppCustomDataPipeline::GetFieldDataType(aFieldName);
    if (type != TppDataType::dtNotKnown) return type;
    if (!GetActive()) {
        try {
            const_cast<TppDBPipeline*>(this)->OpenDataSet();
        } catch (const base::Exception&) {
        }
    }
    if (db::Field* f = selectDataSetField(aFieldName)) type = ppFieldTypeToDataType(int(f->DataType()));
    return type;
}

int TppDBPipeline::GetFieldDisplayWidth(const QString& aFieldName) const {
    int width = GetAutoCreateFields() ? 0 : TppCustomDataPipeline::GetFieldDisplayWidth(aFieldName);
    if (width == 0)
        if (db::Field* f = selectDataSetField(aFieldName))
            width = f->DataType() == db::FieldType::ftString ? f->Size() : 10;
    return width;
}

bool TppDBPipeline::GetFieldIsCalculated(const QString& aFieldName) const {
    Q_UNUSED(aFieldName);
    return false;  // the table layer has no calculated fields
}

int TppDBPipeline::GetFieldSize(const QString& aFieldName) const {
    int size = GetAutoCreateFields() ? 0 : TppCustomDataPipeline::GetFieldSize(aFieldName);
    if (size == 0)
        if (db::Field* f = selectDataSetField(aFieldName)) size = f->Size();
    return size;
}

QVariant TppDBPipeline::GetFieldValue(const QString& aFieldName) const {
    db::Field* f = selectDataSetField(aFieldName);
    if (!f || f->IsNull()) return {};
    // With fields built from the table, the type is the table field's (GetFieldDataType).
    const TppDataType type =
        GetAutoCreateFields() ? ppFieldTypeToDataType(int(f->DataType())) : GetFieldDataType(aFieldName);
    switch (type) {
    case TppDataType::dtBoolean:
        return f->AsBoolean();
    case TppDataType::dtDate:
    case TppDataType::dtTime:
    case TppDataType::dtDateTime:
        return base::DaysToDateTime(f->AsDateTime());
    case TppDataType::dtInteger:
    case TppDataType::dtLongint:
        return f->AsInteger();
    case TppDataType::dtSingle:
    case TppDataType::dtDouble:
    case TppDataType::dtExtended:
    case TppDataType::dtCurrency:
        return f->AsFloat();
    case TppDataType::dtChar:
    case TppDataType::dtString:
        return f->AsString();
    default:
        return {};
    }
}

// ---- editing ----

void TppDBPipeline::Edit() {
    if (db::Table* t = DataSet()) t->Edit();
}

void TppDBPipeline::Insert() {
    if (db::Table* t = DataSet()) t->Insert();
}

void TppDBPipeline::Delete() {
    if (db::Table* t = DataSet()) t->Delete();
}

void TppDBPipeline::Post() {
    db::Table* t = DataSet();
    if (!t) return;
    t->Post();
    if (m_refreshAfterPost) t->Refresh();
}

void TppDBPipeline::GetFieldAsStream(const QString& aFieldName, QIODevice& aStream) const {
    db::Field* f = selectDataSetField(aFieldName);
    if (!f) return;
    if (f->IsBlob()) {
        aStream.write(f->AsBytes());
    } else {
        aStream.write(f->AsString().toUtf8());
        aStream.write("\0", 1);
    }
}

void TppDBPipeline::SetFieldFromStream(const QString& aFieldName, QIODevice& aStream) {
    db::Field* f = selectDataSetField(aFieldName);
    if (f && f->IsBlob()) f->SetAsBytes(aStream.readAll());
}

void TppDBPipeline::SetFieldValue(const QString& aFieldName, const QVariant& aValue) {
    if (db::Field* f = selectDataSetField(aFieldName)) f->SetValue(aValue);
}

bool TppDBPipeline::Locate(const QString& aFieldName, const QVariant& aValue, int aOptions) {
    if (m_dataSource && m_dataSource->DataSet()) m_dataSet = m_dataSource->DataSet();
    db::Table* t = m_dataSet;
    if (!t) return false;
    if (!t->Active()) t->Open();
    QVariant value = aValue;
    if (aValue.typeId() == QMetaType::QString) {
        db::Field* f = t->FindField(aFieldName);
        if (!f) return false;
        const QString text = aValue.toString();
        if (f->DataType() == db::FieldType::ftString && f->Size() > 0 && text.size() > f->Size())
            value = text.left(f->Size());
    }
    db::LocateOptions options;
    if (aOptions & 1) options |= db::LocateOption::loCaseInsensitive;
    if (aOptions & 2) options |= db::LocateOption::loPartialKey;
    t->First();
    return t->Locate(aFieldName, {value}, options);
}

// ---- page cache ----

QByteArray TppDBPipeline::makeCacheRecord() {
    const quint8 state = PipelineState();
    TppBookmark bookmark = 0;
    db::Table* t = DataSet();
    if (state != kStateNoRecords && t && GetActive() && !t->Bof() && !t->Eof()) {
        bookmark = GetBookmark();
        if (bookmark != 0) m_bookmarkList.push_back(bookmark);
    }
    QByteArray record;
    QDataStream out(&record, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8((state & kStateNoRecords) ? 1 : 0) << quint8((state & kStateEOF) ? 1 : 0)
        << quint8((state & kStateBOF) ? 1 : 0) << quint8(bookmark != 0 ? 1 : 0) << qint64(bookmark)
        << qint32(TraversalCount());
    return record;
}

bool TppDBPipeline::readRecord(int aPageNo, QByteArray& aRecord) const {
    bool bound = false;
    if (readBoundRecord(static_cast<const TppCacheable&>(*this), aPageNo, aRecord, bound) || bound) return bound;
    auto it = m_localCache.find(aPageNo);
    if (it == m_localCache.end()) return false;
    aRecord = it->second;
    return true;
}

void TppDBPipeline::writeRecord(int aPageNo, const QByteArray& aRecord) {
    if (writeBoundRecord(static_cast<TppCacheable&>(*this), aPageNo, aRecord)) return;
    m_localCache[aPageNo] = aRecord;
}

void TppDBPipeline::SaveToCache(int aPageNo) {
    writeRecord(aPageNo, makeCacheRecord());
    m_bookmarksCached = true;
}

void TppDBPipeline::RestoreFromCache(int aPageNo) {
    QByteArray record(kCacheRecordSize, '\0');
    if (!readRecord(aPageNo, record) || record.size() < kCacheRecordSize) return;
    QDataStream in(record);
    in.setByteOrder(QDataStream::LittleEndian);
    quint8 noRecords = 0, atEnd = 0, atBeginning = 0, hasBookmark = 0;
    qint64 bookmark = 0;
    qint32 count = 0;
    in >> noRecords >> atEnd >> atBeginning >> hasBookmark >> bookmark >> count;
    quint8 state = PipelineState() & quint8(~(kStateBOF | kStateEOF | kStateNoRecords));
    if (noRecords) state |= kStateNoRecords;
    if (atEnd) state |= kStateEOF;
    if (atBeginning) state |= kStateBOF;
    setState(state);
    setTraversalCount(count);
    if (atBeginning) First();
    else if (atEnd) Last();
    else if (hasBookmark && bookmark != 0 && DataSet()) GotoBookmark(bookmark);
}

void TppDBPipeline::ResetCache(int aPageNo) {
    auto release = [this](const QByteArray& record) {
        if (record.size() < kCacheRecordSize || record.at(3) == 0) return;
        QDataStream in(record.mid(4, 8));
        in.setByteOrder(QDataStream::LittleEndian);
        qint64 bookmark = 0;
        in >> bookmark;
        auto it = std::find(m_bookmarkList.begin(), m_bookmarkList.end(), bookmark);
        if (it == m_bookmarkList.end()) return;
        FreeBookmark(bookmark);
        m_bookmarkList.erase(it);
    };
    const int boundPages = boundPageCount(static_cast<const TppCacheable&>(*this));
    if (boundPages >= 0) {
        for (int page = aPageNo; page <= boundPages; ++page) {
            QByteArray record(kCacheRecordSize, '\0');
            if (readRecord(page, record)) release(record);
        }
        return;
    }
    for (auto it = m_localCache.lower_bound(aPageNo); it != m_localCache.end();) {
        release(it->second);
        it = m_localCache.erase(it);
    }
}

// ---- the engine's walk ----

void TppDBPipeline::rememberRecord(int aRecordNo) const {
    if (const TppBookmark b = GetBookmark()) m_walkRows[aRecordNo] = b;
}

bool TppDBPipeline::restoreRecord(int aRecordNo) {
    auto it = m_walkRows.find(aRecordNo);
    db::Table* t = DataSet();
    if (it == m_walkRows.end() || !t || !t->Active() || !t->BookmarkValid(db::Bookmark{it->second})) return false;
    t->GotoBookmark(db::Bookmark{it->second});
    setTraversalCount(aRecordNo);
    UpdateState();
    RecordPositionChange();
    return true;
}

// ---- streaming ----

void TppDBPipeline::DefineProperties(stream::Filer& filer) {
    TppCustomDataPipeline::DefineProperties(filer);
    filer.DefineProperty(
        QStringLiteral("DataSource"),
        [this](const stream::Value& v) {
            if (v.IsText() || v.Type() == stream::ValueType::Ident) m_dataSourceName = v.AsText();
        },
        [this] { return stream::Value::Ident(DataSourceName()); }, !DataSourceName().isEmpty());
}

void TppDBPipeline::Loaded() {
    TppCustomDataPipeline::Loaded();
    if (m_dataSource || m_dataSourceName.isEmpty()) return;
    // The data source is a component of the same form or data module.
    const QString name = m_dataSourceName;
    for (QObject* scope = Owner(); scope; scope = scope->parent()) {
        if (auto* source = scope->findChild<db::DataSource*>(name)) {
            SetDataSource(source);
            return;
        }
    }
}

const stream::PropertyList& TppDBPipeline::StreamProperties() const {
    using T = TppDBPipeline;
    static const auto table = stream::PropertyTable<T>(TppCustomDataPipeline::StreamProperties())
        .Boolean("CloseDataSource", &T::CloseDataSource, &T::SetCloseDataSource, false)
        .Boolean("OpenDataSource", &T::OpenDataSource, &T::SetOpenDataSource, true)
        .Boolean("RefreshAfterPost", &T::RefreshAfterPost, &T::SetRefreshAfterPost, false);
    return table;
}

namespace report {

void RegisterPipelineClasses() {
    static const bool done = [] {
        auto& r = stream::ClassRegistry::Global();
        r.Register<TppDBPipeline>(QStringLiteral("TppDBPipeline"));
        r.Register<TppBDEPipeline>(QStringLiteral("TppBDEPipeline"));
        r.Register<TppChildDBPipeline>(QStringLiteral("TppChildDBPipeline"));
        r.Register<TppChildBDEPipeline>(QStringLiteral("TppChildBDEPipeline"));
        r.Register<TppField>(QStringLiteral("TppField"));
        r.Register<TppMasterFieldLink>(QStringLiteral("TppMasterFieldLink"));
        r.Register<TppAutoSearchField>(QStringLiteral("TppAutoSearchField"));
        return true;
    }();
    Q_UNUSED(done);
}

}  // namespace report
