#include "fulltext/search/table_access.h"

#include "fulltext/cx_bits.h"
#include "fulltext/table/ts_text_table_link.h"
#include "fulltext/table/ts_words_table_link.h"
#include "fulltext/errors.h"
#include "platform/base/scope_exit.h"
#include "platform/db/table.h"

#include <QPointer>

#include <climits>

namespace fulltext {

namespace {

class WordsTableKeys : public WordKeyAccess {
public:
    explicit WordsTableKeys(TtsWordsDataSetLink* link) : m_link(link) {}

    bool HasReverse() const override { return link()->HasReverse(); }
    void SetKeyKind(int kind) override { link()->SetKeyKind(kind); }
    void PartialLookup(QStringView prefix, QChar wildcard) override {
        link()->PartialLookup(prefix.toString(), wildcard);
    }
    QString CurrentKey() const override {
        switch (link()->CurrentKeyKind()) {
        case kkLike: return link()->LikeKey();
        case kkReverse: return link()->ReversedWord();
        default: return link()->CurrentWord();
        }
    }
    db::ReadSnapshot HoldReads() override {
        db::Table* table = link()->Table();
        return table ? db::ReadSnapshot(*table) : db::ReadSnapshot();
    }

private:
    TtsWordsDataSetLink* link() const {
        if (!m_link) throw ETessick(msgWordsLinkNotAssigned);
        return m_link;
    }
    QPointer<TtsWordsDataSetLink> m_link;
};

class TextTableRecords : public RecordAccess {
public:
    explicit TextTableRecords(TtsTextDataSetLink* link) : m_link(link) {}

    bool GotoRecord(int index) override {
        if (!link()->GotoRecord(index) || link()->AtEnd()) return false;
        return link()->RecordIndex() == index;
    }
    int RecordIndex() override { return link()->AtEnd() ? INT_MIN : link()->RecordIndex(); }
    void SavePosition() override { link()->SavePosition(); }
    void RestorePosition() override { link()->RestorePosition(); }
    void MarkExistingRecords(TCxBits& set, int minIndex) override {
        set.ClearAllBits();
        // Straight from the file's key column where that finds the same records as the walk.
        const auto mark = [&](int index) {
            const qint64 bit = qint64(index) - minIndex;
            if (bit >= 0 && bit <= set.MaxBits()) set.SetBitOn(int(bit));
        };
        if (link()->ForEachRecordDirect(mark)) return;
        link()->SavePosition();
        {
            base::ScopeExit always([&] {
                link()->RestorePosition();
            });
            db::ReadSnapshot snapshot;
            for (link()->First(); !link()->AtEnd(); link()->Next()) {
                if (!snapshot.Holding()) snapshot = HoldReads();
                snapshot.Renew();
                const qint64 bit = qint64(link()->RecordIndex()) - minIndex;
                if (bit >= 0 && bit <= set.MaxBits()) set.SetBitOn(int(bit));
            }
        }
    }
    bool HasSubFields() const override { return link()->HasSubFields(); }
    void ProcessRecord(TtsEngine* engine) override { link()->ProcessRecord(engine); }
    bool ProcessRecordAt(int index, TtsEngine* engine) override {
        bool exists = false;
        if (link()->ProcessRecordDirect(index, engine, exists)) return exists;
        return RecordAccess::ProcessRecordAt(index, engine);
    }
    bool ReadRecordAt(int index) override {
        bool exists = false;
        m_readDirect = link()->ReadRecordDirect(index, exists);
        return m_readDirect ? exists : GotoRecord(index);
    }
    void ProcessReadRecord(TtsEngine* engine) override {
        if (m_readDirect) link()->ProcessDirectRecord(engine);
        else link()->ProcessRecord(engine);
    }
    void EndRecordLoop() override {
        m_readDirect = false;
        if (m_link) m_link->EndDirectReads();
    }
    db::ReadSnapshot HoldReads() override {
        db::Table* table = link()->Table();
        return table ? db::ReadSnapshot(*table) : db::ReadSnapshot();
    }

private:
    TtsTextDataSetLink* link() const {
        if (!m_link) throw ETessick(msgTextLinkNotAssigned);
        return m_link;
    }
    QPointer<TtsTextDataSetLink> m_link;
    bool m_readDirect = false;  ///< ReadRecordAt read straight from the file
};

}  // namespace

std::unique_ptr<WordKeyAccess> MakeWordKeyAccess(TtsWordsLink* link) {
    auto* table = qobject_cast<TtsWordsDataSetLink*>(link);
    if (!table) return nullptr;
    return std::make_unique<WordsTableKeys>(table);
}

std::unique_ptr<RecordAccess> MakeRecordAccess(TtsTextLink* link) {
    auto* table = qobject_cast<TtsTextDataSetLink*>(link);
    if (!table) return nullptr;
    return std::make_unique<TextTableRecords>(table);
}

}  // namespace fulltext
