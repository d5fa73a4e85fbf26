#pragma once

// Wizards produce a new report (or, in the data workspace, a new data view) from a few
// choices. Every wizard is a class registered in one process-wide ordered list; the designer
// never names a wizard class: it asks the registry for the report wizards to offer in New
// Items and for the blank report wizard behind File > New Report. The classes here hold no
// widgets, so the data workspace's wizards can derive from them; a wizard reaches data and
// reports only through its owner's events.

#include "report/model/communicator.h"
#include "report/page/class_library.h"
#include "report/page/report_types.h"
#include "report/output/dialog_registry.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TppField;
class TppCustomReport;

/// A picture of the program's picture resources, by name (case-insensitive), drawn in code:
/// the wizards' 32 x 32 pictures ("TPPREPORTWIZARD", "PPREPORTWIZARD", "TPPBLANKREPORTWIZARD",
/// "TPPCROSSTABWIZARD", "PPNOWIZARDBITMAP"), the data workspace's and the cross-tab's tab and
/// button pictures ("DATABLES", "DASEARCH", "DAMOVEUP", "PPSORTASC", "TPPCROSSTAB", ...; 16 x 16
/// for glyph buttons) and the designer's wizard pictures by class name
/// ("TPPWIZARDFIELDSBITMAP", "TPPPORTRAITBITMAP", "TPPLANDSCAPEBITMAP"). A null image when there
/// is none of that name.
QImage ppLoadBitmap(const QString& aName);

/// The root of the wizards: the class functions Caption and Bitmap and the abstract Execute.
/// A class function is a static member taking the class it is asked for; a wizard class
/// hides its parent's to answer differently.
class TppWizard : public TppCommunicator {
    Q_OBJECT
public:
    explicit TppWizard(TComponent* aOwner = nullptr);

    /// Runs the wizard; true when it produced its result.
    virtual bool Execute() = 0;
    /// The wizard's display name: the class name.
    static QString ClassCaption(TClass aClass);
    /// The wizard's 32 x 32 picture: the picture resource "PPNOWIZARDBITMAP".
    static QImage ClassBitmap(TClass aClass);
};

/// A registered wizard class: its class reference, its class functions and how to make one.
/// The New Items dialog takes item classes (data views, reports) in the same form, without Create.
struct TppWizardClass {
    TClass Class = nullptr;
    std::function<QString()> Caption;
    std::function<QImage()> Bitmap;
    std::function<TppWizard*(TComponent* aOwner)> Create;
};

/// The one description of wizard class W (W::ClassCaption and W::ClassBitmap are its class
/// functions); a wizard made through Create has its Caption field set from the class Caption.
template <class W>
const TppWizardClass* ppWizardClass() {
    static const TppWizardClass description{
        &W::staticMetaObject,
        [] { return W::ClassCaption(&W::staticMetaObject); },
        [] { return W::ClassBitmap(&W::staticMetaObject); },
        [](TComponent* aOwner) -> TppWizard* {
            auto* wizard = new W(aOwner);
            wizard->Caption = W::ClassCaption(&W::staticMetaObject);
            return wizard;
        }};
    return &description;
}

/// The owner's answer to OnGetFields: field aliases, each with its TppField (not owned).
using TppFieldList = QList<std::pair<QString, QObject*>>;
using TppValidateNameEvent = std::function<void(QObject* Sender, const QString& aName, bool& aValid)>;

/// The owner's side of a wizard: the events through which it answers, the language of the
/// wizard's dialog and what to do after it.
class TppCustomWizard : public TppWizard {
    Q_OBJECT
public:
    explicit TppCustomWizard(TComponent* aOwner = nullptr);

    /// Stores the language in which the wizard's dialog shows its numbered texts.
    virtual void SetLanguage(TppLanguageType aLanguage) { Language = aLanguage; }
    /// Whether the wizard shows a dialog; true here.
    virtual bool HasDialog() const { return true; }

    /// The report wizard shows its report-name entry on its last page only when set.
    bool ShowDescription = true;
    /// The class Caption, copied when the wizard is made through its class.
    QString Caption;
    TppLanguageType Language = TppLanguageType::lgDefault;
    TppGetDataNamesEvent OnGetDataNames;
    TppGetFieldsEvent OnGetFields;
    TppValidateNameEvent OnValidateName;
    /// What the owner does after a finished report wizard: 0 nothing, 1 open the report in
    /// the designer, 2 preview it.
    int FinishAction = 0;

protected:
    void DoGetDataNames(QStringList& aDataNameList);
    void DoGetFields(const QString& aDataName, TppFieldList& aFieldList);
    /// True unless the owner refuses the name.
    bool DoValidateName(const QString& aName);
};

/// A wizard that fills a report the owner gives it through OnCreateReport.
class TppCustomReportWizard : public TppCustomWizard {
    Q_OBJECT
public:
    explicit TppCustomReportWizard(TComponent* aOwner = nullptr);

    /// The report the wizard filled.
    virtual TppCustomReport* GetReport() const = 0;
    /// The name proposed for that report.
    virtual QString GetReportName() const = 0;
    /// Stores DataName; the report wizard reloads its field lists.
    virtual void SetDataName(const QString& aName) { m_dataName = aName; }
    QString DataName() const { return m_dataName; }

    /// The owner answers with the report (a TppCustomReport) to fill, or null.
    TppCreateReportEvent OnCreateReport;

protected:
    /// The owner's report for aDataName; null when the owner gives none.
    TppCustomReport* DoCreateReport(const QString& aDataName);

private:
    QString m_dataName;
};

/// The wizard behind File > New Report: no dialog; it takes the report the owner prepared
/// and adds nothing to it.
class TppBlankReportWizard : public TppCustomReportWizard {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppBlankReportWizard(TComponent* aOwner = nullptr);

    /// "Report".
    static QString ClassCaption(TClass aClass);
    /// The picture resource "PPBLANKREPORTWIZARD" (none is carried under that name).
    static QImage ClassBitmap(TClass aClass);

    bool HasDialog() const override { return false; }
    /// Asks the owner for a report with an empty data name; true when one came.
    bool Execute() override;
    TppCustomReport* GetReport() const override;
    /// The name of the report's template, the TppTemplate among the report's children (its
    /// file name, or its row's name in a table); empty without a report or template.
    QString GetReportName() const override;

private:
    QPointer<TppCustomReport> m_report;
};

/// Pairs of (class Caption, class), as the New Items dialog shows them.
using TppWizardClassList = QList<std::pair<QString, const TppWizardClass*>>;

/// Nothing for null or a class already listed; otherwise registers the class for streaming
/// and appends it.
void ppRegisterWizard(const TppWizardClass* aClass);
/// Nothing for null; otherwise unregisters the class from streaming, removes it from the list
/// and clears the blank and the default report wizard when they are this class.
void ppUnregisterWizard(const TppWizardClass* aClass);
/// Unregisters the current blank report wizard, stores this one and registers it.
void ppRegisterBlankReportWizard(const TppWizardClass* aClass);
/// Unregisters the current default report wizard, stores this one, registers it and moves it
/// to the front of the list.
void ppRegisterDefaultReportWizard(const TppWizardClass* aClass);
const TppWizardClass* ppGetBlankReportWizard();
const TppWizardClass* ppGetDefaultReportWizard();
/// Appends (Caption, class) for every listed class, in list order, that inherits from
/// aBaseClass; List is not cleared first.
void ppGetWizardClasses(TppWizardClassList& List, TClass aBaseClass);
/// ppGetWizardClasses with TppCustomReportWizard: the data wizards are left out.
void ppGetReportWizardClasses(TppWizardClassList& List);

/// The New Items dialog: a New page offering wizard classes and a Templates page offering
/// item classes (data views, reports), each with its caption and 32 x 32 picture. The
/// creator gives it the lists, shows it modally and on OK takes the chosen class.
class TppCustomNewDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomNewDialog";

    /// The class of the selected item of the visible page; null when it has no selection.
    virtual const TppWizardClass* GetSelectedItem() const { return nullptr; }
    const TppWizardClassList& WizardClasses() const { return m_wizardClasses; }
    const TppWizardClassList& ItemClasses() const { return m_itemClasses; }
    void SetWizardClasses(const TppWizardClassList& aList) { m_wizardClasses = aList; }
    void SetItemClasses(const TppWizardClassList& aList) { m_itemClasses = aList; }

private:
    TppWizardClassList m_wizardClasses;
    TppWizardClassList m_itemClasses;
};
