#pragma once

#include "fulltext/errors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <utility>
#include <vector>

/// A string table in the "STR0" format, found by resource name. All integers are unsigned
/// 32-bit little-endian:
///
/// | offset   | size | meaning                                                        |
/// |----------|------|----------------------------------------------------------------|
/// | 0        | 4    | magic "STR0"                                                   |
/// | 4        | 4    | entry count N                                                  |
/// | 8 + 12i  | 4    | id of entry i (ascending)                                      |
/// | 12 + 12i | 4    | byte offset of the entry's text from the start of the resource |
/// | 16 + 12i | 4    | length of the text in UTF-16 code units                        |
/// | 8 + 12N  | ...  | the texts, UTF-16 little-endian                                |
///
/// States: closed (no table) or open (a checked table). Open checks the whole table (magic,
/// entry bounds, text bounds), so that GetString never reads outside it.
class TCxStringResource {
public:
    /// Opens the named resource; raises ECxsStringResourceError 3 when there is none and 5
    /// when it is not a valid table.
    explicit TCxStringResource(const QString& resourceName);
    ~TCxStringResource();

    TCxStringResource(const TCxStringResource&) = delete;
    TCxStringResource& operator=(const TCxStringResource&) = delete;

    /// Closes what is open, then opens `resourceName` when it is not empty.
    void Open(const QString& resourceName);
    /// The text of entry `id`; an empty text when the table has no such entry.
    QString GetString(std::uint32_t id) const;
    void Close();
    bool IsOpen() const { return !m_data.isEmpty(); }

private:
    QByteArray m_data;
    std::uint32_t m_count = 0;
};

namespace fulltext {

/// Builds a "STR0" table from (id, text) rows (sorted by id here).
QByteArray BuildStringTable(std::vector<std::pair<std::uint32_t, QString>> rows);

/// Makes a string table findable by name (replacing one of the same name). The library's
/// own tables CXSRMGR_STRINGS and CORVEX_STRINGS_ENGLISH are registered on first use.
void RegisterStringResource(const QString& name, const QByteArray& data);

/// The two program-wide tables: the string manager's own messages and the library's.
const TCxStringResource& CxSrMgrStrings();
const TCxStringResource& CorvexStrings();

}  // namespace fulltext
