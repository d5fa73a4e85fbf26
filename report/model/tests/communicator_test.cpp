#include "report/model/communicator.h"
#include "report/model/component_list.h"

#include "testsupport/qt_printers.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace {

/// Records what it is told, as "<receiver>:<sender>:<op>" and "<receiver>:event<id>".
struct Journal {
    QStringList entries;
};

class TppProbe : public TppCommunicator {
public:
    TppProbe(const QString& name, Journal* journal, TComponent* owner = nullptr) : TppCommunicator(owner), m_journal(journal) {
        setObjectName(name);
    }
    void Notify(TppCommunicator* aCommunicator, TppOperationType aOperation) override {
        if (m_journal)
            m_journal->entries << QStringLiteral("%1:%2:%3").arg(objectName(), aCommunicator ? aCommunicator->objectName() : "nil").arg(int(aOperation));
        if (unlinkOnNotify) RemoveNotify(aCommunicator);
        TppCommunicator::Notify(aCommunicator, aOperation);
    }
    void EventNotify(TppCommunicator* aCommunicator, int aEventID, TraParamList* aParams) override {
        if (m_journal) m_journal->entries << QStringLiteral("%1:event%2").arg(objectName()).arg(aEventID);
        TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    }
    void GetNotifyOrder(QString& aKey) const override { aKey = order; }
    void StateChange(TppCommunicatorStates aStates) override { stateChanges << aStates; }

    bool unlinkOnNotify = false;
    QString order;
    QList<TppCommunicatorStates> stateChanges;

private:
    Journal* m_journal;
};

/// A label-like class with the library's two-letter prefix, for user names.
class TppLabel : public TppCommunicator {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppLabel(TComponent* AOwner = nullptr) : TppCommunicator(AOwner) {}
};

QStringList partners(const TppCommunicator& c) {
    QStringList out;
    for (int i = 0; i < c.NotifyCount(); ++i) out << c.NotifyItems(i)->objectName();
    return out;
}

TEST(Communicator, links_are_kept_on_both_sides_whatever_the_order_of_calls) {
    struct Case {
        const char* steps;  // a letter per call: L link A-B, l link B-A, U unlink A-B, u unlink B-A
        QStringList aPartners, bPartners;
    };
    static const Case cases[] = {
        {"L", {"B"}, {"A"}},
        {"LL", {"B"}, {"A"}},
        {"Ll", {"B"}, {"A"}},
        {"LU", {}, {}},
        {"Lu", {}, {}},
        {"LUU", {}, {}},
        {"U", {}, {}},
        {"LUL", {"B"}, {"A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        TppProbe a("A", nullptr), b("B", nullptr);
        for (const char* s = c.steps; *s; ++s) {
            switch (*s) {
            case 'L': a.AddNotify(&b); break;
            case 'l': b.AddNotify(&a); break;
            case 'U': a.RemoveNotify(&b); break;
            case 'u': b.RemoveNotify(&a); break;
            }
        }
        EXPECT_EQ(partners(a), c.aPartners);
        EXPECT_EQ(partners(b), c.bPartners);
    }
}

TEST(Communicator, freeing_an_object_tells_every_partner_with_remove_only) {
    Journal journal;
    TppProbe b("B", &journal), c("C", &journal), d("D", &journal);
    auto a = std::make_unique<TppProbe>("A", &journal);
    a->AddNotify(&b);
    a->AddNotify(&c);
    a->AddEventNotify(&d);
    a.reset();
    // Partners are told from the last linked to the first; each forgets A.
    EXPECT_EQ(journal.entries, (QStringList{"D:A:0", "C:A:0", "B:A:0"}));
    EXPECT_EQ(b.NotifyCount(), 0);
    EXPECT_EQ(c.NotifyCount(), 0);
    EXPECT_EQ(d.NotifyCount(), 0);
}

TEST(Communicator, send_notify_walks_backwards_so_receivers_may_unlink_themselves) {
    Journal journal;
    TppProbe a("A", &journal), b("B", &journal), c("C", &journal), d("D", &journal);
    for (TppProbe* p : {&b, &c, &d}) {
        a.AddNotify(p);
        p->unlinkOnNotify = true;
    }
    a.SendNotify(&a, ppopDataChange);
    EXPECT_EQ(journal.entries, (QStringList{"D:A:2", "C:A:2", "B:A:2"}));
    EXPECT_EQ(a.NotifyCount(), 0);
}

TEST(Communicator, events_reach_subscribers_that_want_the_id_in_list_order) {
    Journal journal;
    TppProbe sender("S", &journal), first("first", &journal), second("second", &journal), deaf("deaf", &journal);
    first.EventNotifies().set(32);
    second.EventNotifies().set(32);
    second.EventNotifies().set(67);
    sender.AddEventNotify(&first);
    sender.AddEventNotify(&deaf);
    sender.AddEventNotify(&second);
    struct Case {
        int id;
        QStringList expected;
    };
    static const Case cases[] = {
        {32, {"first:event32", "second:event32"}},
        {67, {"second:event67"}},
        {0, {}},
        {255, {}},
        {256, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        journal.entries.clear();
        ppSendEventNotify(&sender, &sender, c.id, nullptr);
        EXPECT_EQ(journal.entries, c.expected);
    }
    // Subscribers are partners; unsubscribing unlinks.
    EXPECT_EQ(partners(sender), (QStringList{"first", "deaf", "second"}));
    sender.RemoveEventNotify(&first);
    EXPECT_EQ(partners(sender), (QStringList{"deaf", "second"}));
    EXPECT_EQ(first.NotifyCount(), 0);
}

TEST(Communicator, subscribers_with_an_order_key_are_told_in_key_order) {
    Journal journal;
    TppProbe sender("S", &journal), plain("plain", &journal), b("b", &journal), a("a", &journal);
    for (TppProbe* p : {&plain, &b, &a}) p->EventNotifies().set(33);
    b.order = "Key2";
    a.order = "key1";
    sender.AddEventNotify(&b);
    sender.AddEventNotify(&plain);
    sender.AddEventNotify(&a);
    ppSendEventNotify(&sender, &sender, 33, nullptr);
    EXPECT_EQ(journal.entries, (QStringList{"plain:event33", "a:event33", "b:event33"}));
}

TEST(Communicator, freeing_a_partner_during_an_event_send_skips_it) {
    Journal journal;
    TppProbe sender("S", &journal);
    auto victim = std::make_unique<TppProbe>("victim", &journal);
    TppProbe killer("killer", &journal);
    killer.EventNotifies().set(40);
    victim->EventNotifies().set(40);
    sender.AddEventNotify(&killer);
    sender.AddEventNotify(victim.get());
    killer.OnEventNotify = [&](QObject*, TppCommunicator*, int, TraParamList*) { victim.reset(); };
    ppSendEventNotify(&sender, &sender, 40, nullptr);
    EXPECT_EQ(journal.entries, (QStringList{"killer:event40", "S:victim:0"}));
}

TEST(Communicator, state_changes_are_reported_only_when_a_bit_changes) {
    TppProbe p("P", nullptr);
    p.AddState(ppsDesignControl | ppsShowData);
    p.AddState(ppsShowData);
    p.RemoveState(ppsPasting);
    p.RemoveState(ppsShowData | ppsPasting);
    EXPECT_EQ(p.State(), ppsDesignControl);
    EXPECT_EQ(p.stateChanges, (QList<TppCommunicatorStates>{ppsDesignControl | ppsShowData, ppsShowData | ppsPasting}));
}

TEST(Communicator, user_names_stay_unique_among_the_owners_components) {
    TComponent form;
    TppLabel taken(&form), other(&form);
    taken.SetUserName("Label");
    auto* label2 = new TppLabel(&form);
    label2->SetUserName("Label2");
    struct Case {
        const char* requested;
        const char* expected;
    };
    static const Case cases[] = {
        {"Label", "Label1"},     // taken: the first free number
        {"Label2", ""},          // taken and ends in a digit: unchanged
        {"2x", ""},              // not an identifier
        {"Heading", "Heading"},  // free
        {"label", "label1"},     // names compare case-insensitively
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        TppLabel fresh(&form);
        fresh.SetUserName(c.requested);
        EXPECT_EQ(fresh.UserName(), QString::fromLatin1(c.expected));
    }
    other.SetUserName("Label");
    EXPECT_EQ(other.UserName(), "Label1");
}

TEST(Communicator, renaming_the_component_carries_a_derived_user_name_along) {
    TComponent form;
    TppLabel label(&form);
    label.SetName("ppLabel1");
    EXPECT_EQ(label.UserName(), "Label1");
    label.SetName("ppTitle");
    EXPECT_EQ(label.UserName(), "Title");
    label.SetUserName("Heading");
    label.SetName("ppCaption");
    EXPECT_EQ(label.UserName(), "Heading");
}

TEST(Communicator, moving_to_an_owner_with_the_same_user_name_gives_a_default_one) {
    TComponent formA, formB;
    TppLabel resident(&formB);
    resident.SetUserName("Label1");
    auto* mover = new TppLabel(&formA);
    mover->SetUserName("Label1");
    mover->ChangeOwner(&formB);
    EXPECT_EQ(mover->Owner(), &formB);
    EXPECT_EQ(mover->UserName(), "Label2");
}

TEST(Communicator, partners_are_told_of_a_user_name_change) {
    Journal journal;
    TppProbe watcher("W", &journal);
    TppLabel label;
    label.setObjectName("L");
    label.AddNotify(&watcher);
    label.SetUserName("Total");
    EXPECT_EQ(journal.entries, (QStringList{"W:L:3"}));
}

TEST(ComponentList, holds_components_without_owning_them_and_drops_freed_ones) {
    TppComponentList list;
    auto a = std::make_unique<TppLabel>();
    auto b = std::make_unique<TppLabel>();
    TppLabel c;
    EXPECT_EQ(list.Add(a.get()), 0);
    EXPECT_EQ(list.Add(b.get()), 1);
    EXPECT_EQ(list.Add(a.get()), 0);
    list.Add(&c);
    EXPECT_EQ(list.Count(), 3);
    a.reset();  // freed elsewhere
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0), b.get());
    EXPECT_EQ(list.Remove(b.get()), 0);
    EXPECT_NE(b, nullptr);  // removed, not freed
    EXPECT_EQ(list.Items(0), &c);
    EXPECT_EQ(list.Items(1), nullptr);
}

}  // namespace

#include "communicator_test.moc"
