#include "fulltext/table/ts_text_table_link.h"

#include "fulltext/table/dataset_drivers.h"

#include "fulltext/ts_engine.h"
#include "fulltext/errors.h"

#include "platform/richtext/plain_lines.h"
#include "platform/base/assert.h"
#include "platform/base/scope_exit.h"
#include "platform/db/db_error.h"
#include "platform/db/field.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <algorithm>

TtsTextDataSetLink::TtsTextDataSetLink(QObject* owner) : TtsTextLink(owner) {}

TtsTextDataSetLink::~TtsTextDataSetLink() { AnnounceRemoval(); }

void TtsTextDataSetLink::SetTable(db::Table* table) {
    if (m_table == table) return;
    if (table) fulltext::DatasetDriverFor(table);  // 30474 for a dataset no driver serves
    m_reader.reset();
    m_table = table;
    m_keyField = nullptr;
    m_fields.clear();
    ForgetRange();
}

void TtsTextDataSetLink::SetFieldNames(const QStringList& names) {
    m_fieldNames = names;
    m_fields.clear();
    m_keyField = nullptr;
}

void TtsTextDataSetLink::SetIndexFieldName(const QString& name) {
    if (m_table && !m_table->Active() && !name.isEmpty()) {
        bool known = false;
        try {
            m_table->UpdateDefs();
            known = true;
        } catch (const db::EDBEngineError&) {
            // no table file yet: checked when it opens
        }
        if (known && m_table->Definition().FieldIndex(name) < 0) throw ETessick(fulltext::msgDataSetLacksIndexField);
    }
    if (name != m_indexFieldName) ForgetRange();
    m_indexFieldName = name;
    m_keyField = nullptr;
    m_fields.clear();
}

void TtsTextDataSetLink::checkTable() const {
    if (!m_table) throw ETessick(fulltext::msgInvalidTextDataSet);
}

void TtsTextDataSetLink::Open() {
    checkTable();
    if (!m_table->Active()) {
        m_table->Open();
        m_fields.clear();
        m_keyField = nullptr;
    }
    if (m_fields.empty() && !m_fieldNames.isEmpty()) bind();
    if (!m_keyField && !m_indexFieldName.isEmpty()) bind();
}

void TtsTextDataSetLink::Close() {
    m_reader.reset();
    if (m_table) m_table->Close();
    m_fields.clear();
    m_keyField = nullptr;
}

void TtsTextDataSetLink::bind() {
    m_fields.clear();
    QStringList kept;
    for (const QString& name : m_fieldNames) {
        if (db::Field* f = m_table->FindField(name)) {
            m_fields.push_back(f);
            kept << name;
        }
    }
    m_fieldNames = kept;
    m_subFieldNames.removeIf([&](const QString& n) { return !m_fieldNames.contains(n, Qt::CaseInsensitive); });
    m_keyField = m_indexFieldName.isEmpty() ? nullptr : m_table->FindField(m_indexFieldName);
    if (!m_keyField) m_indexFieldName.clear();
}

int TtsTextDataSetLink::RecordIndex() {
    if (!m_table || !m_table->Active()) throw ETessick(fulltext::msgTextDatasetClosed);
    if (!m_keyField) Open();
    if (!m_keyField) throw ETessick(fulltext::msgMissingIndexFieldName);
    return m_keyField->AsInteger();
}

void TtsTextDataSetLink::ForgetRange() { m_min = m_max = kUnknown; }

bool TtsTextDataSetLink::descendingKey() const {
    if (!m_table) return false;
    for (const db::IndexDef& ix : m_table->Definition().Indexes) {
        const QStringList f = ix.FieldList();
        if (f.size() >= 1 && f[0].compare(m_indexFieldName, Qt::CaseInsensitive) == 0)
            return ix.Options.testFlag(db::IndexOption::ixDescending);
    }
    return false;
}

void TtsTextDataSetLink::computeRange() {
    checkTable();
    if (m_indexFieldName.isEmpty()) throw ETessick(fulltext::msgMissingIndexFieldName);
    int first = 0;
    int last = -1;
    bool any = false;
    auto readEnds = [&](db::Table& t) {
        t.First();
        if (t.Eof()) return;
        any = true;
        first = t.FieldByName(m_indexFieldName)->AsInteger();
        t.Last();
        last = t.FieldByName(m_indexFieldName)->AsInteger();
    };
    if (!OnMinIndex || !OnMaxIndex) {
        // A cursor of our own, so that the table's cursor stays where it is.
        db::Table cursor;
        cursor.SetDatabaseName(m_table->Folder());
        cursor.SetTableName(m_table->TableName());
        cursor.SetReadOnly(true);
        bool opened = false;
        try {
            cursor.Open();
            opened = true;
        } catch (const db::EDBEngineError&) {
            // held exclusively by the table itself: walk it between bookmarks
        }
        if (opened) {
            cursor.SetIndexFieldNames(m_indexFieldName);
            readEnds(cursor);
        } else {
            if (m_table->State() != db::DataSetState::dsBrowse) throw ETessick(fulltext::msgTextDatasetClosed);
            SavePosition();
            const QString indexName = m_table->IndexName();
            const QString indexFields = m_table->IndexFieldNames();
            {
                base::ScopeExit always([&] {
                    if (indexFields.isEmpty()) m_table->SetIndexName(indexName);
                    else m_table->SetIndexFieldNames(indexFields);
                    RestorePosition();
                });
                m_table->SetIndexFieldNames(m_indexFieldName);
                readEnds(*m_table);
            }
        }
    }
    if (any && first > last) std::swap(first, last);
    m_min = OnMinIndex ? OnMinIndex(this) : (any ? first : 0);
    m_max = OnMaxIndex ? OnMaxIndex(this) : (any ? last : m_min - 1);
}

int TtsTextDataSetLink::MinIndex() {
    if (m_min == kUnknown) computeRange();
    return m_min;
}

int TtsTextDataSetLink::MaxIndex() {
    if (m_max == kUnknown) computeRange();
    return m_max;
}

bool TtsTextDataSetLink::AtEnd() const { return !m_table || !m_table->Active() || m_table->Eof(); }

void TtsTextDataSetLink::First() {
    Open();
    m_table->First();
}

void TtsTextDataSetLink::Next() { m_table->Next(); }

void TtsTextDataSetLink::Last() {
    Open();
    m_table->Last();
}

bool TtsTextDataSetLink::GotoRecord(int n) {
    Open();
    if (!m_keyField) return false;
    m_table->FindNearest({n});
    return true;
}

void TtsTextDataSetLink::ExtendRange(int n, bool adding) {
    if (m_min == kUnknown || m_max == kUnknown) computeRange();
    if (adding) {
        if (m_max < m_min) {
            // Nothing indexed yet: the first record sets where the numbering starts.
            m_min = m_max = n;
            return;
        }
        if (n < m_min) throw ETessick(fulltext::msgDictionaryInvalidated);
        if (n > m_max) m_max = n;
    } else if (n <= m_min) {
        throw ETessick(fulltext::msgDictionaryInvalidated);
    }
}

void TtsTextDataSetLink::SavePosition() {
    if (m_saveDepth++ > 0) return;
    m_table->DisableControls();
    m_saved = m_table->GetBookmark();
}

void TtsTextDataSetLink::RestorePosition() {
    if (m_saveDepth == 0 || --m_saveDepth > 0) return;
    {
        base::ScopeExit always([&] {
            m_saved = {};
            if (m_table) m_table->EnableControls();
        });
        if (m_table && m_table->Active() && !m_saved.IsNull() && m_table->BookmarkValid(m_saved))
            m_table->GotoBookmark(m_saved);
    }
}

namespace {

/// Hands a text field's value to the engine. A memo written by the note editors holds rich
/// text: its words are those of the text, line by line, never the control words and font
/// names around them.
void parseText(TtsEngine* engine, QStringView text) {
    if (text.startsWith(QLatin1String("{\\rtf"))) {
        for (const QString& line : richtext::RtfToPlainLines(text.toUtf8())) engine->ParseString(line);
        return;
    }
    engine->ParseString(text);
}

}  // namespace

void TtsTextDataSetLink::processField(TtsEngine* engine, db::Field* field) {
    if (field->IsNull()) return;
    switch (field->DataType()) {
    case db::FieldType::ftString:
    case db::FieldType::ftMemo:
    case db::FieldType::ftFmtMemo:
        parseText(engine, field->AsString());
        break;
    case db::FieldType::ftBlob:
    case db::FieldType::ftGraphic:
    case db::FieldType::ftBytes:
        engine->ParseString(QString::fromLatin1(field->AsBytes()));
        break;
    default:
        engine->AddWord(field->AsString(), true);
        break;
    }
}

void TtsTextDataSetLink::ProcessRecord(TtsEngine* engine) {
    Open();
    // bound fields and their names are kept side by side
    DOSSARA_ASSERT(m_fields.size() == std::size_t(m_fieldNames.size()), bind());
    engine->SetRecord(RecordIndex());
    const TEngineStates states = engine->States();
    const bool allFields = m_subFieldNames.isEmpty() || states.Contains(TEngineState::esMake) ||
                           states.Contains(TEngineState::esUpdate);
    for (db::Field* f : m_fields) {
        engine->ClearPrevious();
        if (!allFields && !m_subFieldNames.contains(f->FieldName(), Qt::CaseInsensitive)) continue;
        if (OnProcessField) OnProcessField(this, engine, f);
        else processField(engine, f);
        if (engine->WordsDone() || engine->States().Contains(TEngineState::esHalt)) break;
    }
    ++m_counter;
    if (AfterProcess) AfterProcess(this);
}

bool TtsTextDataSetLink::ProcessRecordDirect(int n, TtsEngine* engine, bool& exists) {
    if (!ReadRecordDirect(n, exists)) return false;
    if (exists) ProcessDirectRecord(engine);
    return true;
}

bool TtsTextDataSetLink::keyedByRecord() {
    Open();
    if (!m_keyField || m_table->State() != db::DataSetState::dsBrowse || m_table->HasRange()) return false;
    const QStringList order = m_table->IndexFields();
    if (order.size() != 1 || order[0].compare(m_keyField->FieldName(), Qt::CaseInsensitive) != 0) return false;
    return db::IsIntegerType(m_keyField->DataType());
}

bool TtsTextDataSetLink::CanReadDirect() {
    if (m_reader) return true;
    if (OnProcessField || AfterProcess || !keyedByRecord()) return false;
    return std::all_of(m_fields.begin(), m_fields.end(), [](db::Field* f) { return db::IsTextType(f->DataType()); });
}

bool TtsTextDataSetLink::ForEachRecordDirect(const std::function<void(int)>& visit) {
    if (!keyedByRecord()) return false;
    db::KeyedReader::ForEachInteger(*m_table, m_keyField->FieldName(), [&](qint64 key) { visit(int(key)); });
    return true;
}

bool TtsTextDataSetLink::ReadRecordDirect(int n, bool& exists) {
    if (!m_reader) {
        if (!CanReadDirect()) return false;
        QStringList names;
        for (db::Field* f : m_fields) names << f->FieldName();
        m_reader = std::make_unique<db::KeyedReader>(*m_table, m_keyField->FieldName(), names);
    }
    exists = m_reader->Read(n);
    m_readerRecord = n;
    return true;
}

void TtsTextDataSetLink::ProcessDirectRecord(TtsEngine* engine) {
    if (!m_reader) return;
    engine->SetRecord(m_readerRecord);
    const TEngineStates states = engine->States();
    const bool allFields = m_subFieldNames.isEmpty() || states.Contains(TEngineState::esMake) ||
                           states.Contains(TEngineState::esUpdate);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        engine->ClearPrevious();
        if (!allFields && !m_subFieldNames.contains(m_fields[i]->FieldName(), Qt::CaseInsensitive)) continue;
        if (!m_reader->IsNull(int(i))) parseText(engine, m_reader->Text(int(i)));
        if (engine->WordsDone() || engine->States().Contains(TEngineState::esHalt)) break;
    }
    ++m_counter;
}

void TtsTextDataSetLink::EndDirectReads() { m_reader.reset(); }

QString TtsTextDataSetLink::TableProperty(int number) const {
    checkTable();
    switch (number) {
    case 0: return m_table->DatabaseName();
    case 1: return m_table->TableName();
    case 2: return m_table->IndexName();
    case 3: return m_table->IndexFieldNames();
    case 4: {
        const QStringList f = m_table->IndexFields();
        return f.isEmpty() ? QString() : f.first();
    }
    case 5: return descendingKey() ? QStringLiteral("D") : QStringLiteral("A");
    default: throw ETessick(fulltext::msgInvalidParameter);
    }
}

QStringList TtsTextDataSetLink::IndexList(bool all) const {
    checkTable();
    if (!m_table->Active()) {
        // a closed table's definitions come from its file
        try {
            m_table->UpdateDefs();
        } catch (const db::EDBEngineError& e) {
            qCWarning(lcFulltext) << "Reading the index definitions failed:" << e.Message();
            throw EIndexNames();
        }
    }
    QStringList list;
    const db::TableDef& def = m_table->Definition();
    for (const db::IndexDef& ix : def.Indexes) {
        if (!all) {
            const QStringList f = ix.FieldList();
            if (f.size() != 1) continue;
            const int at = def.FieldIndex(f[0]);
            if (at < 0) continue;
            const db::FieldType t = def.Fields[size_t(at)].DataType;
            if (t != db::FieldType::ftSmallint && t != db::FieldType::ftInteger && t != db::FieldType::ftAutoInc) continue;
        }
        list << ix.Fields;
    }
    return list;
}

void TtsTextDataSetLink::ReadProperties(TtsEngine* engine, stream::ValueReader& reader) {
    QStringList names;
    reader.ReadListBegin();
    while (!reader.EndOfList()) names << reader.ReadString();
    reader.ReadListEnd();
    const auto* readEngine = qobject_cast<TtsReadEngine*>(engine);
    if (readEngine && readEngine->IndexVersion() == 200) reader.ReadBoolean();
    const QString indexField = reader.ReadString();
    SetFieldNames(names);
    if (indexField != m_indexFieldName) ForgetRange();
    m_indexFieldName = indexField;
    m_keyField = nullptr;
}

void TtsTextDataSetLink::WriteProperties(TtsEngine*, stream::ValueWriter& writer) {
    writer.WriteListBegin();
    for (const QString& n : m_fieldNames) writer.WriteString(n);
    writer.WriteListEnd();
    writer.WriteString(m_indexFieldName);
}

void TtsTextDataSetLink::Reset() {
    TtsTextLink::Reset();
    m_counter = 0;
}

void TtsTextDataSetLink::StateEntered(TtsBase* sender, TEngineState state) {
    TtsTextLink::StateEntered(sender, state);
    switch (state) {
    case TEngineState::esMake:
        if (m_fieldNames.isEmpty()) throw ETessick(fulltext::msgNoFieldNames);
        ForgetRange();
        m_counter = 0;
        Open();
        SavePosition();
        break;
    case TEngineState::esUpdate:
        Open();
        break;
    case TEngineState::esSearch:
        Open();
        if (m_min == kUnknown || m_max == kUnknown) computeRange();
        if (!m_subFieldNames.isEmpty()) bind();
        break;
    default:
        break;
    }
}

void TtsTextDataSetLink::StateLeft(TtsBase* sender, TEngineState state) {
    TtsTextLink::StateLeft(sender, state);
    if (state == TEngineState::esMake) RestorePosition();
}
