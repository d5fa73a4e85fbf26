#include "platform/db/read_snapshot.h"

#include "platform/db/internal/table_file.h"
#include "platform/db/table.h"

namespace db {

ReadSnapshot::ReadSnapshot(const Table& table) {
    std::shared_ptr<internal::TableFile> file = table.openFile();
    if (!file) return;
    file->BeginRead();
    m_file = std::move(file);
}

ReadSnapshot::~ReadSnapshot() { Release(); }

std::shared_ptr<internal::TableFile> ReadSnapshot::FileOf(const Table& table) { return table.openFile(); }

ReadSnapshot::ReadSnapshot(ReadSnapshot&& other) noexcept : m_file(std::move(other.m_file)) { other.m_file.reset(); }

ReadSnapshot& ReadSnapshot::operator=(ReadSnapshot&& other) noexcept {
    if (this != &other) {
        Release();
        m_file = std::move(other.m_file);
        other.m_file.reset();
    }
    return *this;
}

void ReadSnapshot::Renew() {
    if (m_file) m_file->RenewRead(kRenewAfterMs);
}

void ReadSnapshot::Release() noexcept {
    if (!m_file) return;
    m_file->EndRead();
    m_file.reset();
}

}  // namespace db
