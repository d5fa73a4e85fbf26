#include "fulltext/table/ts_table.h"

#include "fulltext/table/ts_update.h"

TtsTable::TtsTable(QObject* parent) : db::Table(parent) {}

TtsTable::~TtsTable() = default;

void TtsTable::SetUpdater(TtsBaseUpdate* updater) { m_updater = updater; }

void TtsTable::DoAfterUpdate() {
    if (AfterUpdate) AfterUpdate(this);
}

void TtsTable::StartBatch() {
    db::Table::StartBatch();
    if (m_updater) m_updater->BatchStarted();
}

void TtsTable::EndBatch(bool commit) {
    // The updater hears of the end also when ending fails: its count then stays.
    struct Tell {
        TtsBaseUpdate* updater;
        bool committed = false;
        ~Tell() {
            if (updater) updater->BatchEnded(committed);
        }
    } tell{m_updater};
    db::Table::EndBatch(commit);
    tell.committed = commit;
}

void TtsTable::DoBeforeEdit() {
    if (maintainsIndex()) m_updater->BeforeEdit();
    db::Table::DoBeforeEdit();
}

void TtsTable::DoBeforeInsert() {
    if (maintainsIndex()) m_updater->BeforeInsert();
    db::Table::DoBeforeInsert();
}

void TtsTable::DoBeforeDelete() {
    if (maintainsIndex()) m_updater->BeforeDelete();
    db::Table::DoBeforeDelete();
}

void TtsTable::DoBeforePost() {
    db::Table::DoBeforePost();
    if (maintainsIndex()) m_updater->BeforePost();
}

void TtsTable::DoAfterCancel() {
    db::Table::DoAfterCancel();
    if (maintainsIndex()) m_updater->AfterCancel();
}

void TtsTable::DoAfterPost() {
    db::Table::DoAfterPost();
    if (!maintainsIndex()) return;
    m_updater->AfterPost();
    DoAfterUpdate();
}

void TtsTable::DoAfterDelete() {
    db::Table::DoAfterDelete();
    if (!maintainsIndex()) return;
    m_updater->AfterDelete();
    DoAfterUpdate();
}
