#include "report/model/look_ahead_listener.h"
#include "report/model/script_adapter.h"
#include "report/page/page.h"
#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

namespace {

/// Broadcasts a look-ahead value as a calculation's look-ahead list does.
void broadcast(TppCommunicator& source, const QString& key, int count, const QString& text) {
    TraParamList params;
    QVariant k = key, c = count, t = text;
    params.SetParamValuePtr(params.AddParam("aLookAheadKey", TraDataType::daString, nullptr, {}, true, false), &k);
    params.SetParamValuePtr(params.AddParam("aTraversalCount", TraDataType::daInteger, nullptr, {}, true, false), &c);
    params.SetParamValuePtr(params.AddParam("aText", TraDataType::daString, nullptr, {}, true, false), &t);
    ppSendEventNotify(&source, &source, report::ciLookAheadUpdate, &params);
}

TppCommunicator* listenerOf(const TppDrawVariable& c) { return dynamic_cast<TppCommunicator*>(c.Listener()); }

TEST(LookAhead, a_command_takes_later_values_of_its_key_until_another_key_ends_it) {
    report::InstallLookAheadListeners();
    TppCommunicator totals;
    TppDrawVariable command;
    command.SetText("0.00");
    command.SetLookAheadKey("group 1");
    command.SetLookAhead(true);
    ASSERT_NE(listenerOf(command), nullptr);
    totals.AddEventNotify(listenerOf(command));
    EXPECT_TRUE(command.IsPageCountDependent());

    struct Step {
        const char* key;
        int count;
        const char* text;
        const char* expectedText;
        bool stillListening;
    };
    static const Step steps[] = {
        {"group 1", 5, "120.00", "120.00", true},
        {"group 1", 3, "80.00", "120.00", true},   // an older count is ignored
        {"group 1", 9, "310.50", "310.50", true},
        {"group 2", 12, "7.00", "310.50", false},  // another key: the text is final
        {"group 1", 20, "999.00", "310.50", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.count);
        broadcast(totals, s.key, s.count, s.text);
        EXPECT_EQ(command.Text(), s.expectedText);
        EXPECT_EQ(command.UpdatePageCountText(), s.stillListening);
    }
}

TEST(LookAhead, a_copied_command_listens_where_its_source_does) {
    report::InstallLookAheadListeners();
    report::RegisterDrawCommands();
    TppCommunicator totals;
    TppPage page, copy;
    auto* command = new TppDrawVariable;
    command->SetLookAheadKey("k");
    command->SetLookAhead(true);
    totals.AddEventNotify(listenerOf(*command));
    command->SetPage(&page);
    copy.Assign(&page);
    ASSERT_EQ(copy.GetDrawCommandCount(), 1);
    auto* copied = qobject_cast<TppDrawVariable*>(copy.GetDrawCommand(0));
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copy.HasPageCountCommands());
    broadcast(totals, "k", 4, "Total 42");
    EXPECT_EQ(copied->Text(), "Total 42");
    EXPECT_EQ(command->Text(), "Total 42");
    command->SetLookAhead(false);  // frees its listener, which leaves the totals
    EXPECT_EQ(totals.EventNotifyCount(), 1);
}

}  // namespace
