#pragma once

#include "platform/db/table.h"

#include <QPointer>

#include <functional>

class TtsBaseUpdate;

/// The table class of every indexed table: it hands each record to its updater before edit,
/// insert and delete and after post and delete, so that the word table is current as soon as
/// a post returns. Each hook runs only while an updater is assigned and UpdatesEnabled:
///
/// | table event  | updater operation | then                                 |
/// |--------------|-------------------|--------------------------------------|
/// | before edit  | BeforeEdit        | the table's own before-edit handling |
/// | before insert| BeforeInsert      | the table's own before-insert handling |
/// | before delete| BeforeDelete      | the table's own before-delete handling |
/// | before post (after the table's own handling) | BeforePost | the write          |
/// | after cancel (after the table's own handling) | AfterCancel |                   |
/// | after post   | (table's own), AfterPost  | DoAfterUpdate                 |
/// | after delete | (table's own), AfterDelete| DoAfterUpdate                 |
///
/// Before post checks the record against the indexed range and counts the change as pending
/// in the word table before the record is written; a cancel gives a count back that a failed
/// post left. The updater's remembered words of a cancelled edit or insert wait for the next
/// before-edit or before-insert. The updater link is cleared when the updater is freed.
class TtsTable : public db::Table {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TtsTable(QObject* parent = nullptr);
    ~TtsTable() override;

    TtsBaseUpdate* Updater() const { return m_updater; }
    void SetUpdater(TtsBaseUpdate* updater);
    bool UpdatesEnabled() const { return m_updatesEnabled; }
    void SetUpdatesEnabled(bool on) { m_updatesEnabled = on; }

    /// The table's batch (db::Table::StartBatch/EndBatch), with the updater told: while it
    /// runs, the word table commits each post's words but the records wait for the batch, so
    /// the pending count of the index stays until the batch is committed; a batch rolled back
    /// leaves it, and the index is built again before the next search.
    void StartBatch();
    void EndBatch(bool commit);

    TNotifyEvent AfterUpdate;
    /// Fires AfterUpdate.
    virtual void DoAfterUpdate();

protected:
    void DoBeforeEdit() override;
    void DoBeforeInsert() override;
    void DoBeforeDelete() override;
    void DoBeforePost() override;
    void DoAfterCancel() override;
    void DoAfterPost() override;
    void DoAfterDelete() override;

private:
    bool maintainsIndex() const { return m_updater && m_updatesEnabled; }

    QPointer<TtsBaseUpdate> m_updater;
    bool m_updatesEnabled = true;
};
