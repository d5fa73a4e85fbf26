#include "report/model/script_adapter.h"
#include "testsupport/qt_printers.h"

#include "platform/format/errors.h"

#include <gtest/gtest.h>

#include <QPointer>

// A small family of report-like classes with published properties of every kind.
class TppSample : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Visible MEMBER m_visible)
    Q_PROPERTY(TppUnitType Units MEMBER m_units)
    Q_PROPERTY(int Count MEMBER m_count)
    Q_PROPERTY(double Ratio MEMBER m_ratio)
    Q_PROPERTY(float Scale MEMBER m_scale)
    Q_PROPERTY(QString Caption MEMBER m_caption)
    Q_PROPERTY(QChar Letter MEMBER m_letter)
    Q_PROPERTY(QVariant Anything MEMBER m_anything)
    Q_PROPERTY(TppSample* Partner MEMBER m_partner)
    Q_PROPERTY(TCurrency Amount MEMBER m_amount)
    Q_PROPERTY(qint64 Big MEMBER m_big)
    Q_PROPERTY(TMethod OnCalc MEMBER m_onCalc)
public:
    Q_INVOKABLE explicit TppSample(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    Q_INVOKABLE void CalcTotal() {}

    bool m_visible = true;
    TppUnitType m_units = TppUnitType::utInches;
    int m_count = 0;
    double m_ratio = 0;
    float m_scale = 0;
    QString m_caption;
    QChar m_letter;
    QVariant m_anything;
    TppSample* m_partner = nullptr;
    TCurrency m_amount;
    qint64 m_big = 0;
    TMethod m_onCalc;
};

class TppSampleChild : public TppSample {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleChild(TComponent* AOwner = nullptr) : TppSample(AOwner) {}
};

class TppSampleGrandChild : public TppSampleChild {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppSampleGrandChild(TComponent* AOwner = nullptr) : TppSampleChild(AOwner) {}
};

class TppPlainPersistent : public TPersistent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppPlainPersistent(QObject* parent = nullptr) : TPersistent(parent) {}
};

// Adapters: the sample's adapter, one descending from it for the child, and one for the
// child that descends only from the component adapter.
class TraTppSampleRTTI : public TraTComponentRTTI {
    Q_OBJECT
public:
    TClass RefClass() const override { return &TppSample::staticMetaObject; }
    void GetPropList(TClass aClass, TraPropList& aPropList) const override {
        TraTComponentRTTI::GetPropList(aClass, aPropList);
        aPropList.AddMethod(QStringLiteral("Lines"));
        aPropList.AddProp(QStringLiteral("OnCalc"));
    }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override {
        if (aName.compare(QLatin1String("Lines"), Qt::CaseInsensitive) == 0) {
            ArrayPropToRec(QStringLiteral("Lines"), aPropRec);
            return true;
        }
        if (aName.compare(QLatin1String("OnCalc"), Qt::CaseInsensitive) == 0) {
            EventToRec(QStringLiteral("OnCalc"), 33, true, aPropRec);
            return true;
        }
        if (aName.compare(QLatin1String("FindPartner"), Qt::CaseInsensitive) == 0) {
            MethodToRec(QStringLiteral("FindPartner"), true, aPropRec);
            return true;
        }
        return TraTComponentRTTI::GetPropRec(aClass, aName, aPropRec);
    }
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override {
        auto params = std::make_unique<TraParamList>();
        if (aName.compare(QLatin1String("Lines"), Qt::CaseInsensitive) == 0) {
            params->AddParam(QStringLiteral("Index"), TraDataType::daInteger, nullptr, QString(), false, false);
            params->AddParam(QStringLiteral("Result"), TraDataType::daString, nullptr, QString(), false, false);
            return params;
        }
        if (aName.compare(QLatin1String("OnCalc"), Qt::CaseInsensitive) == 0) {
            params->AddParam(QStringLiteral("Value"), TraDataType::daVariant, nullptr, QString(), false, true);
            return params;
        }
        if (aName.compare(QLatin1String("FindPartner"), Qt::CaseInsensitive) == 0) {
            params->AddParam(QStringLiteral("Result"), TraDataType::daClass, &TppSample::staticMetaObject, QString(),
                             false, false);
            return params;
        }
        return TraTComponentRTTI::GetParams(aName);
    }
};

class TraTppSampleChildRTTI : public TraTppSampleRTTI {
    Q_OBJECT
public:
    TClass RefClass() const override { return &TppSampleChild::staticMetaObject; }
};

class TraUnrelatedSampleChildRTTI : public TraTComponentRTTI {
    Q_OBJECT
public:
    TClass RefClass() const override { return &TppSampleChild::staticMetaObject; }
};

namespace {

class ScriptAdapter : public ::testing::Test {
protected:
    void SetUp() override { raFreeRTTIClassList(); }
    void TearDown() override { raFreeRTTIClassList(); }
};

TEST_F(ScriptAdapter, the_most_derived_adapter_is_chosen_and_unrelated_ones_by_registration_order) {
    EXPECT_EQ(raGetRTTI(&TppPlainPersistent::staticMetaObject), &RTTIInstance<TraTObjectRTTI>());
    EXPECT_EQ(raGetRTTI(&TppSample::staticMetaObject), &RTTIInstance<TraTComponentRTTI>());

    raRegisterRTTI<TraTppSampleRTTI>();
    raRegisterRTTI<TraTppSampleChildRTTI>();
    EXPECT_EQ(raGetRTTI(&TppSample::staticMetaObject), &RTTIInstance<TraTppSampleRTTI>());
    EXPECT_EQ(raGetRTTI(&TppSampleChild::staticMetaObject), &RTTIInstance<TraTppSampleChildRTTI>());
    // No adapter of its own: the nearer ancestor's, which descends from the other.
    EXPECT_EQ(raGetRTTI(&TppSampleGrandChild::staticMetaObject), &RTTIInstance<TraTppSampleChildRTTI>());

    raUnRegisterRTTI(RTTIInstance<TraTppSampleChildRTTI>());
    raRegisterRTTI<TraUnrelatedSampleChildRTTI>();
    // The unrelated adapter does not descend from the sample's, which came first.
    EXPECT_EQ(raGetRTTI(&TppSampleGrandChild::staticMetaObject), &RTTIInstance<TraTppSampleRTTI>());
    // By exact name it is still found.
    EXPECT_EQ(raGetRTTI(&TppSampleChild::staticMetaObject), &RTTIInstance<TraUnrelatedSampleChildRTTI>());

    EXPECT_EQ(raGetClass(QStringLiteral("TppSampleChild")), &TppSampleChild::staticMetaObject);
    EXPECT_EQ(raGetClass(QStringLiteral("TraTppSampleRTTI")), &TraTppSampleRTTI::staticMetaObject);
    EXPECT_EQ(raGetClass(QStringLiteral("TppNothing")), nullptr);
    // No entry of its own: another adapter's entry for the same class stays.
    raUnRegisterRTTI(RTTIInstance<TraTppSampleChildRTTI>());
    EXPECT_EQ(raGetRTTI(&TppSampleChild::staticMetaObject), &RTTIInstance<TraUnrelatedSampleChildRTTI>());
    EXPECT_EQ(raGetRTTIClassList().size(), 4u);
}

TEST_F(ScriptAdapter, published_properties_map_to_their_kinds) {
    const TraRTTI& base = RTTIInstance<TraTComponentRTTI>();
    static const struct {
        const char* name;
        TraDataType kind;
        const char* typeName;
    } cases[] = {
        {"Visible", TraDataType::daBoolean, ""}, {"Units", TraDataType::daEnum, "TppUnitType"},
        {"Count", TraDataType::daInteger, ""},   {"Ratio", TraDataType::daDouble, ""},
        {"Scale", TraDataType::daSingle, ""},    {"Caption", TraDataType::daString, ""},
        {"Letter", TraDataType::daChar, ""},     {"Anything", TraDataType::daVariant, ""},
        {"Partner", TraDataType::daClass, ""},   {"Amount", TraDataType::daCurrency, ""},
        {"Big", TraDataType::daUnknown, ""},     {"OnCalc", TraDataType::daUnknown, ""},
        {"tag", TraDataType::daInteger, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TraPropRec rec;
        ASSERT_TRUE(base.GetPropRec(&TppSample::staticMetaObject, QString::fromLatin1(c.name), rec));
        EXPECT_EQ(rec.DataType, c.kind);
        EXPECT_EQ(rec.TypeName, QString::fromLatin1(c.typeName));
        EXPECT_TRUE(rec.Published);
        EXPECT_EQ(rec.EventID, -1);
    }
    TraPropRec partner;
    base.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("Partner"), partner);
    EXPECT_EQ(partner.ClassType, &TppSample::staticMetaObject);
    TraPropRec none;
    none.Name = QStringLiteral("kept");
    EXPECT_FALSE(base.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("NoSuchThing"), none));
    EXPECT_EQ(none.Name, QStringLiteral("kept"));

    TraPropList props, events;
    base.GetPropList(&TppSample::staticMetaObject, props);
    base.GetEventList(&TppSample::staticMetaObject, events);
    EXPECT_EQ(props.Names(), QStringList({"Name", "Tag", "Visible", "Units", "Count", "Ratio", "Scale", "Caption",
                                          "Letter", "Anything", "Partner", "Amount", "Big", "ClassName", "Create",
                                          "Free", "Assign", "Owner"}));
    EXPECT_EQ(events.Names(), QStringList({"OnCalc"}));
}

TEST_F(ScriptAdapter, adapters_describe_methods_events_arrays_and_constructors) {
    const TraRTTI& sample = RTTIInstance<TraTppSampleRTTI>();
    TraPropRec rec;
    ASSERT_TRUE(sample.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("OnCalc"), rec));
    EXPECT_EQ(rec.DataType, TraDataType::daMethod);
    EXPECT_EQ(rec.EventID, 33);
    EXPECT_TRUE(rec.ReadOnly);
    ASSERT_TRUE(rec.Params);
    EXPECT_TRUE(rec.Params->Param(0).IsVar);

    ASSERT_TRUE(sample.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("Lines"), rec));
    EXPECT_TRUE(rec.IsArray);
    EXPECT_EQ(rec.ClassType, nullptr);  // the result is a string
    ASSERT_TRUE(sample.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("FindPartner"), rec));
    EXPECT_EQ(rec.ClassType, &TppSample::staticMetaObject);  // an object result gives its class

    ASSERT_TRUE(sample.GetPropRec(&TppSampleChild::staticMetaObject, QStringLiteral("Create"), rec));
    EXPECT_TRUE(rec.IsConstructor);
    EXPECT_EQ(rec.ClassType, &TppSampleChild::staticMetaObject);
    ASSERT_TRUE(rec.Params);
    QStringList names;
    for (int i = 0; i < rec.Params->Count(); ++i) names << rec.Params->Param(i).Name;
    EXPECT_EQ(names, QStringList({"Owner", "Class", "Result"}));

    ASSERT_TRUE(RTTIInstance<TraTObjectRTTI>().GetPropRec(&TppPlainPersistent::staticMetaObject,
                                                          QStringLiteral("free"), rec));
    EXPECT_EQ(rec.Name, QStringLiteral("Free"));
    EXPECT_FALSE(rec.Params);
    ASSERT_TRUE(sample.GetPropRec(&TppSample::staticMetaObject, QStringLiteral("Owner"), rec));
    EXPECT_EQ(rec.DataType, TraDataType::daClass);
    EXPECT_FALSE(rec.ReadOnly);
}

TEST_F(ScriptAdapter, values_travel_by_kind_through_the_base) {
    const TraRTTI& base = RTTIInstance<TraTComponentRTTI>();
    TComponent owner;
    TppSample s(&owner), partner;
    QVariant v;
    static const struct {
        const char* name;
        QVariant in;
        QVariant out;
    } cases[] = {
        {"Visible", QVariant(false), QVariant(false)},
        {"Units", QVariant(4), QVariant(4)},
        {"Count", QVariant(QStringLiteral("12")), QVariant(12)},
        {"Ratio", QVariant(2.5), QVariant(2.5)},
        {"Caption", QVariant(QStringLiteral("Total")), QVariant(QStringLiteral("Total"))},
        {"Letter", QVariant(QChar(u'x')), QVariant(QChar(u'x'))},
        {"Anything", QVariant(QStringLiteral("any")), QVariant(QStringLiteral("any"))},
        {"Tag", QVariant(7), QVariant(7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QVariant in = c.in;
        ASSERT_TRUE(base.SetPropValue(&s, QString::fromLatin1(c.name), in));
        ASSERT_TRUE(base.GetPropValue(&s, QString::fromLatin1(c.name), v));
        EXPECT_EQ(v, c.out);
    }
    EXPECT_EQ(s.m_units, TppUnitType::utMMThousandths);

    QVariant obj = QVariant::fromValue(static_cast<QObject*>(&partner));
    ASSERT_TRUE(base.SetPropValue(&s, QStringLiteral("Partner"), obj));
    EXPECT_EQ(s.m_partner, &partner);
    ASSERT_TRUE(base.GetPropValue(&s, QStringLiteral("Owner"), v));
    EXPECT_EQ(v.value<QObject*>(), &owner);

    // Currency moves as ten-thousandths, from a number or a currency value.
    QVariant amount = 12.5;
    ASSERT_TRUE(base.SetPropValue(&s, QStringLiteral("Amount"), amount));
    EXPECT_EQ(s.m_amount.TenThousandths, 125000);
    ASSERT_TRUE(base.GetPropValue(&s, QStringLiteral("Amount"), v));
    EXPECT_EQ(v.value<TCurrency>().TenThousandths, 125000);

    v = QStringLiteral("unchanged");
    EXPECT_FALSE(base.GetPropValue(&s, QStringLiteral("OnCalc"), v));
    EXPECT_FALSE(base.GetPropValue(&s, QStringLiteral("Nope"), v));
    EXPECT_EQ(v, QVariant(QStringLiteral("unchanged")));
}

TEST_F(ScriptAdapter, root_adapters_create_name_assign_and_free_objects) {
    const TraRTTI& component = RTTIInstance<TraTComponentRTTI>();
    TComponent owner;
    TraPropRec create;
    component.GetPropRec(&TppSampleChild::staticMetaObject, QStringLiteral("Create"), create);
    QVariant ownerValue = QVariant::fromValue(static_cast<QObject*>(&owner));
    QVariant classValue = QVariant::fromValue(TClassRef{&TppSampleChild::staticMetaObject});
    QVariant result;
    create.Params->BindParamValue(0, &ownerValue);
    create.Params->BindParamValue(1, &classValue);
    create.Params->BindParamValue(2, &result);
    ASSERT_TRUE(component.CallMethod(nullptr, QStringLiteral("Create"), false, *create.Params));
    QPointer<QObject> made = result.value<QObject*>();
    ASSERT_TRUE(made);
    EXPECT_STREQ(made->metaObject()->className(), "TppSampleChild");
    EXPECT_EQ(made->parent(), &owner);

    TraPropRec className;
    component.GetPropRec(&TppSampleChild::staticMetaObject, QStringLiteral("ClassName"), className);
    QVariant name;
    className.Params->BindParamValue(0, &name);
    ASSERT_TRUE(component.CallMethod(made, QStringLiteral("ClassName"), false, *className.Params));
    EXPECT_EQ(name, QVariant(QStringLiteral("TppSampleChild")));

    // A plain persistent object is made with the plain constructor.
    const TraRTTI& object = RTTIInstance<TraTObjectRTTI>();
    TraPropRec plain;
    object.GetPropRec(&TppPlainPersistent::staticMetaObject, QStringLiteral("Create"), plain);
    QVariant plainClass = QVariant::fromValue(TClassRef{&TppPlainPersistent::staticMetaObject}), plainResult;
    plain.Params->BindParamValue(0, &plainClass);
    plain.Params->BindParamValue(1, &plainResult);
    ASSERT_TRUE(object.CallMethod(nullptr, QStringLiteral("Create"), false, *plain.Params));
    QObject* persistent = plainResult.value<QObject*>();
    ASSERT_TRUE(persistent);

    // Assigning an unrelated persistent fails as the class library does.
    auto assign = component.GetParams(QStringLiteral("Assign"));
    QVariant source = QVariant::fromValue(persistent);
    assign->BindParamValue(0, &source);
    EXPECT_THROW(component.CallMethod(made, QStringLiteral("Assign"), false, *assign), format::EConvertError);

    TraParamList none;
    ASSERT_TRUE(object.CallMethod(persistent, QStringLiteral("Free"), false, none));
    ASSERT_TRUE(component.CallMethod(made, QStringLiteral("Free"), false, none));
    EXPECT_TRUE(made.isNull());
    EXPECT_FALSE(component.CallMethod(&owner, QStringLiteral("Unknown"), false, none));

    // Free releases only what a constructor made: the report's own objects stay, the call
    // is refused with the object's name, and nil frees nothing.
    QPointer<QObject> own = new TppSampleChild(&owner);
    own->setObjectName(QStringLiteral("Band1"));
    try {
        component.CallMethod(own, QStringLiteral("Free"), false, none);
        ADD_FAILURE() << "freeing an object the script did not make must be refused";
    } catch (const ETraFreeRefused& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Band1")));
    }
    EXPECT_FALSE(own.isNull());
    EXPECT_NO_THROW(object.CallMethod(nullptr, QStringLiteral("Free"), false, none));

    // What a script leaves is freed at the job's end.
    ASSERT_TRUE(object.CallMethod(nullptr, QStringLiteral("Create"), false, *plain.Params));
    QPointer<QObject> left = plainResult.value<QObject*>();
    ASSERT_TRUE(left);
    EXPECT_TRUE(raIsMadeObject(left));
    raFreeMadeObjects();
    EXPECT_TRUE(left.isNull());
}

TEST(ParamList, values_are_copied_by_kind_and_nothing_for_objects_and_methods) {
    TraParamList params;
    EXPECT_EQ(params.AddParam(QStringLiteral("Count"), TraDataType::daInteger, nullptr, {}, true, false), 0);
    params.AddParam(QStringLiteral("Sender"), TraDataType::daObject, nullptr, {}, false, false);
    params.AddParam(QStringLiteral("Handler"), TraDataType::daMethod, nullptr, {}, false, false);
    params.AddParam(QStringLiteral("Scale"), TraDataType::daSingle, nullptr, {}, false, true);
    params.AddParam(QString(300, QLatin1Char('n')), TraDataType::daString, nullptr, {}, false, false);
    EXPECT_EQ(params.Param(4).Name.size(), 255);

    QVariant count, sender(QStringLiteral("kept")), handler(QStringLiteral("kept")), scale;
    params.SetParamValuePtr(0, &count);
    params.BindParamValue(1, &sender);
    params.BindParamValue(2, &handler);
    params.BindParamValue(3, &scale);
    params.SetParamValue(0, QVariant(QStringLiteral("42")));
    params.SetParamValue(1, QVariant(1));
    params.SetParamValue(2, QVariant(1));
    params.SetParamValue(3, QVariant(0.5));
    EXPECT_EQ(count, QVariant(42));
    EXPECT_EQ(sender, QVariant(QStringLiteral("kept")));
    EXPECT_EQ(handler, QVariant(QStringLiteral("kept")));
    EXPECT_EQ(scale.metaType().id(), QMetaType::Float);
    QVariant out;
    params.GetParamValue(0, out);
    EXPECT_EQ(out, QVariant(42));

    TraParamRec rec;
    ASSERT_TRUE(params.GetParamRec(0, rec));
    EXPECT_TRUE(rec.IsConst);
    EXPECT_EQ(rec.Value, &count);
    EXPECT_FALSE(params.GetParamRec(9, rec));
    params.RemoveParam(QStringLiteral("sender"));
    params.RemoveParam(QStringLiteral("absent"));
    EXPECT_EQ(params.Count(), 4);
    EXPECT_EQ(params.IndexOf(QStringLiteral("Handler")), 1);

    TraPropList list;
    list.AddProp(QStringLiteral("OnPrint"));
    list.AddMethod(QStringLiteral("Print"));
    list.RemoveProp(QStringLiteral("onprint"));
    list.RemoveProp(QStringLiteral("absent"));
    EXPECT_EQ(list.Names(), QStringList({"Print"}));
}

}  // namespace

#include "script_adapter_test.moc"
