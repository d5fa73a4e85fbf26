#pragma once

#include <QString>

namespace editor {

/// One row of a settings table as the editor moves it around: the four keys and the value.
/// The CRC is not carried; whoever writes a row computes it afresh.
struct SettingsRow {
    QString Section;
    QString Key1;
    QString Key2;
    QString Variable;
    QString Value;

    friend bool operator==(const SettingsRow&, const SettingsRow&) = default;
};

/// "[Section | Key1 | Key2 | Variable]", the way the editor names a row in its messages.
QString RowKeyText(const SettingsRow& row);

}  // namespace editor
