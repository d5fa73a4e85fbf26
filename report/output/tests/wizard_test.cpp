#include "report/output/wizard.h"
#include "testsupport/qt_printers.h"

#include "report/model/report.h"
#include "report/model/template.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A report wizard, a second one and a data wizard (which descends from TppCustomWizard only).
class TstFirstWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TstFirstWizard(TComponent* aOwner = nullptr) : TppCustomReportWizard(aOwner) {}
    static QString ClassCaption(TClass) { return QStringLiteral("First"); }
    using TppWizard::ClassBitmap;
    bool Execute() override { return false; }
    TppCustomReport* GetReport() const override { return nullptr; }
    QString GetReportName() const override { return {}; }
};

class TstSecondWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TstSecondWizard(TComponent* aOwner = nullptr) : TppCustomReportWizard(aOwner) {}
    using TppWizard::ClassCaption;
    using TppWizard::ClassBitmap;
    bool Execute() override { return false; }
    TppCustomReport* GetReport() const override { return nullptr; }
    QString GetReportName() const override { return {}; }
};

class TstDataWizard : public TppCustomWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TstDataWizard(TComponent* aOwner = nullptr) : TppCustomWizard(aOwner) {}
    static QString ClassCaption(TClass) { return QStringLiteral("Data"); }
    using TppWizard::ClassBitmap;
    bool Execute() override { return false; }
};

const TppWizardClass* first() { return ppWizardClass<TstFirstWizard>(); }
const TppWizardClass* second() { return ppWizardClass<TstSecondWizard>(); }
const TppWizardClass* data() { return ppWizardClass<TstDataWizard>(); }
const TppWizardClass* blank() { return ppWizardClass<TppBlankReportWizard>(); }

// Leaves the process-wide registry as it found it: empty of the classes used here.
class WizardRegistry : public ::testing::Test {
protected:
    void TearDown() override {
        for (const TppWizardClass* c : {first(), second(), data(), blank()}) ppUnregisterWizard(c);
    }
    static QStringList captions(TClass aBase) {
        TppWizardClassList list;
        ppGetWizardClasses(list, aBase);
        QStringList result;
        for (const auto& [caption, wizardClass] : list) {
            EXPECT_EQ(caption, wizardClass->Caption());
            result << caption;
        }
        return result;
    }
};

struct RegistryCase {
    const char* name;
    std::function<void()> steps;
    QStringList reportWizards;  // ppGetReportWizardClasses, in order
    QStringList allWizards;     // every TppCustomWizard, in order
    const char* blankClass;     // ppGetBlankReportWizard's class, or null
    const char* defaultClass;   // ppGetDefaultReportWizard's class, or null
};

TEST_F(WizardRegistry, registrations_keep_one_entry_per_class_with_the_default_first) {
    const RegistryCase cases[] = {
        {"registering twice keeps the first position",
         [] {
             ppRegisterWizard(first());
             ppRegisterWizard(second());
             ppRegisterWizard(first());
         },
         {"First", "TstSecondWizard"}, {"First", "TstSecondWizard"}, nullptr, nullptr},
        {"null registers nothing",
         [] {
             ppRegisterWizard(nullptr);
             ppUnregisterWizard(nullptr);
         },
         {}, {}, nullptr, nullptr},
        {"the default wizard moves to the front",
         [] {
             ppRegisterBlankReportWizard(blank());
             ppRegisterWizard(second());
             ppRegisterDefaultReportWizard(first());
         },
         {"First", "Report", "TstSecondWizard"}, {"First", "Report", "TstSecondWizard"}, "TppBlankReportWizard",
         "TstFirstWizard"},
        {"the default made default again stays first",
         [] {
             ppRegisterDefaultReportWizard(first());
             ppRegisterWizard(second());
             ppRegisterDefaultReportWizard(first());
         },
         {"First", "TstSecondWizard"}, {"First", "TstSecondWizard"}, nullptr, "TstFirstWizard"},
        {"a new default replaces the old one, which leaves the list",
         [] {
             ppRegisterDefaultReportWizard(first());
             ppRegisterDefaultReportWizard(second());
         },
         {"TstSecondWizard"}, {"TstSecondWizard"}, nullptr, "TstSecondWizard"},
        {"unregistering the blank wizard clears it",
         [] {
             ppRegisterDefaultReportWizard(first());
             ppRegisterBlankReportWizard(blank());
             ppUnregisterWizard(blank());
         },
         {"First"}, {"First"}, nullptr, "TstFirstWizard"},
        {"unregistering the default wizard clears it",
         [] {
             ppRegisterDefaultReportWizard(first());
             ppRegisterBlankReportWizard(blank());
             ppUnregisterWizard(first());
         },
         {"Report"}, {"Report"}, "TppBlankReportWizard", nullptr},
        {"data wizards are no report wizards",
         [] {
             ppRegisterWizard(data());
             ppRegisterDefaultReportWizard(first());
             ppRegisterWizard(second());
         },
         {"First", "TstSecondWizard"}, {"First", "Data", "TstSecondWizard"}, nullptr, "TstFirstWizard"},
    };
    for (const RegistryCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.steps();
        TppWizardClassList reportList;
        ppGetReportWizardClasses(reportList);
        QStringList reportCaptions;
        for (const auto& item : reportList) reportCaptions << item.first;
        EXPECT_EQ(reportCaptions, c.reportWizards);
        EXPECT_EQ(captions(&TppCustomWizard::staticMetaObject), c.allWizards);
        const TppWizardClass* b = ppGetBlankReportWizard();
        EXPECT_EQ(b ? QString::fromLatin1(b->Class->className()) : QString(), QString::fromLatin1(c.blankClass));
        const TppWizardClass* d = ppGetDefaultReportWizard();
        EXPECT_EQ(d ? QString::fromLatin1(d->Class->className()) : QString(), QString::fromLatin1(c.defaultClass));
        TearDown();
    }
}

TEST_F(WizardRegistry, registered_wizards_stream_by_class_name_until_unregistered_and_listing_appends) {
    ppRegisterWizard(second());
    EXPECT_EQ(report::GetClass(QStringLiteral("tstsecondwizard")), &TstSecondWizard::staticMetaObject);
    TppWizardClassList list{{QStringLiteral("kept"), nullptr}};
    ppGetReportWizardClasses(list);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].first, QStringLiteral("kept"));
    EXPECT_EQ(list[1].second, second());
    ppUnregisterWizard(second());
    EXPECT_EQ(report::GetClass(QStringLiteral("TstSecondWizard")), nullptr);
}

TEST(Wizard, a_wizard_made_through_its_class_carries_the_class_caption_and_the_owner_defaults) {
    struct Row {
        const TppWizardClass* wizardClass;
        QString caption;
        bool hasDialog;
    };
    for (const Row& row : {Row{blank(), "Report", false}, Row{second(), "TstSecondWizard", true}}) {
        SCOPED_TRACE(row.caption.toStdString());
        std::unique_ptr<TppWizard> made(row.wizardClass->Create(nullptr));
        auto* wizard = qobject_cast<TppCustomWizard*>(made.get());
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(wizard->Caption, row.caption);
        EXPECT_EQ(wizard->HasDialog(), row.hasDialog);
        EXPECT_TRUE(wizard->ShowDescription);
        EXPECT_EQ(wizard->FinishAction, 0);
        const QImage picture = row.wizardClass->Bitmap();
        // The blank wizard names a picture the program does not carry; others get the placeholder.
        EXPECT_EQ(picture.isNull(), row.wizardClass == blank());
        if (!picture.isNull()) {
            EXPECT_EQ(picture.size(), QSize(32, 32));
        }
    }
}

TEST(Wizard, the_program_carries_its_wizard_pictures_at_32_by_32) {
    for (const char* name : {"TPPREPORTWIZARD", "TppBlankReportWizard", "TPPCROSSTABWIZARD", "PPNOWIZARDBITMAP"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ppLoadBitmap(QString::fromLatin1(name)).size(), QSize(32, 32));
    }
    EXPECT_TRUE(ppLoadBitmap(QStringLiteral("TPPLABELTEMPLATEWIZARD")).isNull());
}

TEST(Wizard, every_picture_the_workspaces_name_is_carried_and_an_unknown_name_gives_none) {
    const char* names[] = {"DAQUERYDESIGNER", "DAQUERYWIZARD", "DATABLES", "DAFIELDS", "DACALCS", "DAGROUP",
                           "DASEARCH", "DASORT", "DATEXTONLY", "DADIALOG", "DAMOVEUP", "DAMOVEDOWN",
                           "DASELECTONE", "DADESELECTONE", "DASELECTALL", "DADESELECTALL", "DASORTASC",
                           "DASORTDESC", "DAFINISH", "PPCROSSTABTIPS", "TPPCROSSTAB", "PPDISPLAYFORMAT",
                           "PPSORTASC", "PPSORTDESC", "PPREPORTWIZARD", "TppWizardFieldsBitmap",
                           "TppPortraitBitmap", "TppLandscapeBitmap"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const QImage picture = ppLoadBitmap(QString::fromLatin1(name));
        ASSERT_FALSE(picture.isNull());
        // Something is drawn: not every pixel has the colour of the first.
        const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
        bool drawn = false;
        for (int y = 0; y < rgb.height() && !drawn; ++y)
            for (int x = 0; x < rgb.width() && !drawn; ++x) drawn = rgb.pixel(x, y) != rgb.pixel(0, 0);
        EXPECT_TRUE(drawn);
    }
    EXPECT_EQ(ppLoadBitmap(QStringLiteral("TppPortraitBitmap")).size(), QSize(26, 32));
    EXPECT_EQ(ppLoadBitmap(QStringLiteral("TppLandscapeBitmap")).size(), QSize(32, 26));
    EXPECT_EQ(ppLoadBitmap(QStringLiteral("TppWizardFieldsBitmap")).size(), QSize(170, 60));
    EXPECT_EQ(ppLoadBitmap(QStringLiteral("DAMOVEUP")).size(), QSize(16, 16));
    // The move arrows point the way they move: the up arrow's widest row is its lowest.
    auto drawnInRow = [](const QString& aName, int aRow) {
        const QImage rgb = ppLoadBitmap(aName).convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int x = 0; x < rgb.width(); ++x) n += rgb.pixel(x, aRow) != rgb.pixel(0, 0);
        return n;
    };
    EXPECT_GT(drawnInRow(QStringLiteral("DAMOVEUP"), 9), drawnInRow(QStringLiteral("DAMOVEUP"), 5));
    EXPECT_GT(drawnInRow(QStringLiteral("DAMOVEDOWN"), 5), drawnInRow(QStringLiteral("DAMOVEDOWN"), 9));
    EXPECT_TRUE(ppLoadBitmap(QStringLiteral("DANOSUCHPICTURE")).isNull());
    EXPECT_TRUE(ppLoadBitmap(QString()).isNull());
}

TEST(Wizard, the_blank_wizard_fills_nothing_and_answers_with_the_owners_report) {
    struct Row {
        const char* name;
        bool giveReport;
        const char* templateFile;  // null: the report has no template
        bool answer;
        QString reportName;
    };
    const Row rows[] = {
        {"no report from the owner", false, nullptr, false, ""},
        {"a report without template", true, nullptr, true, ""},
        {"a report saved to a file", true, "/reports/Customers.rtm", true, "/reports/Customers.rtm"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TppReport theReport;
        if (row.templateFile) {
            auto* reportTemplate = new TppTemplate(&theReport);
            reportTemplate->setParent(&theReport);
            reportTemplate->SetFileName(QString::fromLatin1(row.templateFile));
        }
        const int childrenBefore = int(theReport.children().size());
        TppBlankReportWizard wizard;
        QStringList askedFor;
        wizard.OnCreateReport = [&](QObject* Sender, const QString& aDataName, QObject*& aReport) {
            EXPECT_EQ(Sender, &wizard);
            askedFor << aDataName;
            if (row.giveReport) aReport = &theReport;
        };
        wizard.SetDataName(QStringLiteral("customer"));
        EXPECT_EQ(wizard.Execute(), row.answer);
        EXPECT_EQ(askedFor, QStringList{QString()});
        EXPECT_EQ(wizard.GetReport(), row.giveReport ? &theReport : nullptr);
        EXPECT_EQ(wizard.GetReportName(), row.reportName);
        EXPECT_EQ(int(theReport.children().size()), childrenBefore);
    }
    TppBlankReportWizard unanswered;
    EXPECT_FALSE(unanswered.Execute());
}

}  // namespace

#include "wizard_test.moc"
