#include "fulltext/match/ts_controller.h"

#include "fulltext/match/rich_text_lines.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/ts_cache.h"

#include "platform/db/field.h"

#include <QChildEvent>
#include <QEvent>

TtsController::TtsController(QObject* owner)
    : QObject(owner),
      m_fieldNames{QStringLiteral("Contents"), QStringLiteral("DBName;20"), QStringLiteral("Location"),
                   QStringLiteral("TableName;20")} {
    if (owner) owner->installEventFilter(this);
}

TtsController::~TtsController() = default;

void TtsController::SetFieldNames(const QStringList& names) {
    if (names.size() == m_fieldNames.size()) m_fieldNames = names;
}

bool TtsController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::ChildRemoved) m_current = -1;
    return QObject::eventFilter(watched, event);
}

// ---- searchers ----

bool TtsController::AcceptSearch(TtsRankSearch* searcher) {
    return OnAcceptSearch ? OnAcceptSearch(this, searcher) : true;
}

TtsRankSearch* TtsController::searcherAt(int index) {
    const QObject* owner = parent();
    if (!owner || index < 0 || index >= owner->children().size()) return nullptr;
    auto* searcher = qobject_cast<TtsRankSearch*>(owner->children().at(index));
    return searcher && AcceptSearch(searcher) ? searcher : nullptr;
}

TtsRankSearch* TtsController::walk(int from, int step) {
    const int count = parent() ? int(parent()->children().size()) : 0;
    for (int i = from; i >= 0 && i < count; i += step) {
        if (TtsRankSearch* searcher = searcherAt(i)) {
            m_current = i;
            return searcher;
        }
    }
    m_current = -1;
    return nullptr;
}

TtsRankSearch* TtsController::FirstSearcher() { return walk(0, 1); }

TtsRankSearch* TtsController::LastSearcher() {
    return walk(parent() ? int(parent()->children().size()) - 1 : -1, -1);
}

TtsRankSearch* TtsController::NextSearcher() { return walk(m_current + 1, 1); }

TtsRankSearch* TtsController::PriorSearcher() {
    // From no current searcher there is nothing below it.
    return m_current < 0 ? walk(-1, -1) : walk(m_current - 1, -1);
}

TtsRankSearch* TtsController::GetCurrentSearcher() const {
    const QObject* owner = parent();
    if (!owner || m_current < 0 || m_current >= owner->children().size()) return nullptr;
    return qobject_cast<TtsRankSearch*>(owner->children().at(m_current));
}

int TtsController::GetMatchCount() {
    int total = 0;
    const int count = parent() ? int(parent()->children().size()) : 0;
    for (int i = 0; i < count; ++i) {
        if (TtsRankSearch* searcher = searcherAt(i)) total += searcher->MatchCount();
    }
    return total;
}

bool TtsController::FirstMatch() {
    for (TtsRankSearch* s = FirstSearcher(); s; s = NextSearcher()) {
        if (s->Navigate(TtsNavSearch::navFirst)) return true;
    }
    return false;
}

bool TtsController::NextMatch() {
    if (TtsRankSearch* current = GetCurrentSearcher()) {
        if (current->Navigate(TtsNavSearch::navNext)) return true;
    }
    for (TtsRankSearch* s = NextSearcher(); s; s = NextSearcher()) {
        if (s->Navigate(TtsNavSearch::navFirst)) return true;
    }
    return false;
}

void TtsController::ExecuteAll() {
    for (TtsRankSearch* s = FirstSearcher(); s; s = NextSearcher()) {
        Conform(s);
        s->Execute();
    }
}

void TtsController::Conform(TtsRankSearch* s) {
    TtsRankSearch* m = m_master;
    if (!m || !s || s == m) return;
    const TConformity c = m_conformity;
    if (c & cnAnyChar) s->SetAnyChar(m->AnyChar());
    if (c & cnMemoryLimit) {
        auto* from = dynamic_cast<TtsCustomCache*>(m->Cache());
        auto* to = dynamic_cast<TtsCustomCache*>(s->Cache());
        if (from && to) {
            // Up to 0xFFFFF the setter takes kilobytes, above it bytes.
            const int kilobytes = from->MemoryLimit();
            to->SetMemoryLimit(kilobytes <= 0xFFFFF ? kilobytes
                                                    : int(std::min<qint64>(from->MemoryLimitBytes(), INT_MAX)));
        }
    }
    if (c & cnNearWord) s->SetNearWord(m->NearWord());
    if (c & cnOneChar) s->SetOneChar(m->OneChar());
    if (c & cnOnSearch) s->OnSearch = m->OnSearch;
    if (c & cnOnPreviewWord) s->OnPreviewWord = m->OnPreviewWord;
    if (c & cnRankMode) s->SetRankMode(m->RankMode());
    if (c & cnRankLimit) s->SetRankLimit(m->RankLimit());
    if (c & cnSearchFor) s->SetSearchFor(m->SearchFor());
    if (c & cnSearchLogic) s->SetSearchLogic(m->SearchLogic());
    if (c & cnSearchMode) s->SetSearchMode(m->SearchMode());
    if (c & cnSubFieldNames) {
        auto* from = dynamic_cast<TtsTextDataSetLink*>(m->TextLink());
        auto* to = dynamic_cast<TtsTextDataSetLink*>(s->TextLink());
        if (from && to) to->SetSubFieldNames(from->SubFieldNames());
    }
    if (c & cnTokens) s->SetTokens(m->Tokens());
}

// ---- merging fields ----

void TtsController::MergeField(db::Field* field, QStringList& list) {
    if (OnMergeField) {
        OnMergeField(this, field, list);
        return;
    }
    if (!field) return;
    TtsRankSearch* searcher = GetCurrentSearcher();
    auto* link = searcher ? dynamic_cast<TtsTextDataSetLink*>(searcher->TextLink()) : nullptr;
    if (link && link->FieldNames().contains(field->FieldName(), Qt::CaseInsensitive)) AddFieldText(field, list);
}

void TtsController::AddFieldText(db::Field* field, QStringList& list) {
    if (!field) return;
    using db::FieldType;
    switch (field->DataType()) {
    case FieldType::ftString:
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
    case FieldType::ftBoolean:
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
        list << field->DisplayLabel() + QStringLiteral(": ") + field->AsString();
        break;
    case FieldType::ftMemo:
        list << field->DisplayLabel() + QLatin1Char(':');
        if (!field->IsNull()) list << field->Lines();
        break;
    case FieldType::ftFmtMemo: {
        list << field->DisplayLabel() + QLatin1Char(':');
        QStringList lines;
        RichTextFieldToLines(field, &lines);
        list << lines;
        break;
    }
    default:
        break;
    }
}
