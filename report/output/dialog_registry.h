#pragma once

// Every dialog of the report library is replaceable: code that needs one asks the dialog
// registry for the form class registered for an abstract dialog class (TppCustomPrintDialog,
// TppCustomPreviewer, TppCustomCancelDialog, ...), creates whatever it gets and talks to it
// only through the abstract class. The abstract classes live here, without widgets, so the
// producer can run jobs through them; the forms of the gui target implement them.

#include "report/page/report_types.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <typeinfo>

class QTextDocument;
class TppAutoSearchField;
class TppDataSettings;
class TppPageRequest;
class TppPrinter;

namespace report {

enum class ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

/// What every report dialog offers its creator: the report it works on, its language, and
/// three hooks: activation (after every activation), and two run one after the other when
/// the form is freed. The window side (showing, closing) is the form class's.
class ReportForm {
public:
    ReportForm() = default;
    /// Runs the first close hook, then the second.
    virtual ~ReportForm();
    ReportForm(const ReportForm&) = delete;
    ReportForm& operator=(const ReportForm&) = delete;

    int LanguageIndex() const { return m_languageIndex; }
    QObject* Report() const { return m_report; }
    /// No action here; forms reload their captions from the numbered texts.
    virtual void LanguageChanged() {}
    /// No action here; forms read what they need from Report.
    virtual void ReportAssigned() {}

    /// Shows the form modally and answers how it ended.
    virtual ModalResult ShowModal() = 0;
    /// Shows the form without waiting.
    virtual void Show() = 0;
    /// Closes the form; a modeless form frees itself then (its close hooks run).
    virtual void Close() = 0;
    virtual bool IsShowing() const = 0;
    /// Ends a modal run with that result.
    virtual void EndModal(ModalResult aResult) = 0;

    /// Runs the activation hook; form classes call it after each activation.
    void DoActivate();

    std::function<void(ReportForm*)> OnActivate;
    std::function<void(ReportForm*)> OnFirstClose;
    std::function<void(ReportForm*)> OnSecondClose;

private:
    friend void ppSetFormLanguageIndex(ReportForm*, int);
    friend void ppSetFormReport(ReportForm*, QObject*);
    int m_languageIndex = 0;
    QPointer<QObject> m_report;
};

/// Stores the language index and calls LanguageChanged.
void ppSetFormLanguageIndex(ReportForm* aForm, int aLanguageIndex);
/// Stores the report and calls ReportAssigned.
void ppSetFormReport(ReportForm* aForm, QObject* aReport);

/// A form class: its name and how to make one (owned by aOwner's QObject tree when given).
struct FormClass {
    QString name;
    std::function<ReportForm*(QObject* aOwner)> create;
};

/// Registers the form class for an abstract dialog class (replacing an earlier one).
void ppRegisterForm(const QString& aAbstractClass, FormClass aFormClass);
/// Removes the registration of an abstract dialog class; nothing when there is none.
void ppUnRegisterForm(const QString& aAbstractClass);
/// The form class registered for an abstract dialog class (names compared without regard to
/// case); null when none.
const FormClass* ppGetFormClass(const QString& aAbstractClass);

/// Typed forms of the above: Abstract names the abstract class (its kClassName).
template <class Abstract, class Form>
void RegisterForm() {
    QString name;
    if constexpr (requires { Form::staticMetaObject; }) name = QString::fromLatin1(Form::staticMetaObject.className());
    else name = QString::fromLatin1(typeid(Form).name());
    ppRegisterForm(QString::fromLatin1(Abstract::kClassName),
                   {name, [](QObject* aOwner) -> ReportForm* { return new Form(aOwner); }});
}
template <class Abstract>
void UnRegisterForm() {
    ppUnRegisterForm(QString::fromLatin1(Abstract::kClassName));
}
/// A new form of the class registered for Abstract; null when none is registered.
template <class Abstract>
Abstract* CreateForm(QObject* aOwner) {
    const FormClass* formClass = ppGetFormClass(QString::fromLatin1(Abstract::kClassName));
    if (!formClass) return nullptr;
    ReportForm* form = formClass->create(aOwner);
    auto* typed = dynamic_cast<Abstract*>(form);
    if (!typed) delete form;
    return typed;
}

}  // namespace report

/// The preview form.
class TppCustomPreviewer : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPreviewer";
    /// The form's viewer; none here.
    virtual QObject* GetViewer() { return nullptr; }
    /// No action here; the preview form gives its viewer the report.
    virtual void Init() {}
};

/// The print dialog: printer, page range, copies, and output to a file or an archive.
class TppCustomPrintDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPrintDialog";

    bool AllowPrintToArchive = false;
    bool AllowPrintToFile = false;
    QString ArchiveFileName;
    /// Device name of the chosen file device.
    QString DeviceType;
    QString TextFileName;
    TppPrinter* Printer = nullptr;
    bool PrinterChanged = false;
    bool PrintToArchive = false;
    bool PrintToFile = false;

    TppPageRequest* PageRequest() const { return m_pageRequest; }
    /// Stores the request (not owned).
    virtual void SetPageRequest(TppPageRequest* aRequest) { m_pageRequest = aRequest; }
    virtual void Init() = 0;

private:
    TppPageRequest* m_pageRequest = nullptr;
};

/// The progress dialog of a job: a status text, a Cancel button that runs the cancel hook,
/// and a 10 ms close timer whose first tick ends the modal run with OK (the producer starts
/// it once the job is published).
class TppCustomCancelDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomCancelDialog";

    TppCustomCancelDialog();

    bool AllowPrintCancel = false;
    std::function<void()> OnCancel;

    QString StatusText() const { return m_status; }
    /// Stores the text and calls StatusChanged.
    void SetStatus(const QString& aText);
    /// No action here.
    virtual void StatusChanged() {}
    void DoCancel();
    /// Shows the dialog modally for a job.
    report::ModalResult ShowModalForJob();
    /// Starts the close timer.
    void StartCloseTimer();
    bool Modal() const { return m_modal; }

private:
    QString m_status;
    bool m_modal = false;
    std::unique_ptr<QTimer> m_closeTimer;
};

/// The search dialog: asks the user for the values of a report's auto-search criteria. The
/// creator gives it the criteria and shows it modally; on OK the new values are in them.
class TppCustomAutoSearchDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomAutoSearchDialog";
    /// The criteria to ask for (not owned).
    QList<TppAutoSearchField*> Criteria;
    /// Builds the panels; call once after Criteria is set.
    virtual void Init() = 0;
};

/// The calculations dialog the report designer creates with the report (the scripting
/// side's calculations page registers its form for it).
class TppCustomCalcDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomCalcDialog";
    /// Fills the dialog once the report is given; no action here.
    virtual void Init() {}
};

/// The about box (Help > About of the code workspace): created from the registry and shown
/// modally.
class TppCustomAboutDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomAboutDialog";
};

/// The display-format dialog: the formats offered for a data type, the chosen one in and
/// out; shown modally, OK answers mrOk.
class TppCustomFormatDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomFormatDialog";
    virtual void GetDisplayFormat(QString& aFormat) const { aFormat = m_displayFormat; }
    /// The formats offered (ppGetDisplayFormats of the data type).
    virtual void SetDisplayFormats(const QStringList& aFormats) { m_displayFormats = aFormats; }
    virtual void SetDisplayFormat(const QString& aFormat) { m_displayFormat = aFormat; }
    QStringList DisplayFormats() const { return m_displayFormats; }
    /// The same list under the names of the format dialog: each entry a sample and a format
    /// separated by the character with code 1.
    virtual void SetFormatList(const QStringList& aList) { SetDisplayFormats(aList); }
    virtual QStringList GetFormatList() const { return m_displayFormats; }

private:
    QString m_displayFormat;
    QStringList m_displayFormats;
};

/// The cross-tab designer: the registered form is created with the application as owner,
/// given the cross-tab it edits, shown modally and freed.
class TppCustomCrossTabDesignerForm : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomCrossTabDesignerForm";
    QObject* CrossTab() const { return m_crossTab; }
    virtual void SetCrossTab(QObject* aCrossTab) { m_crossTab = aCrossTab; }

private:
    QPointer<QObject> m_crossTab;
};

/// The database settings of the data workspace (session type, database, SQL dialect).
class TppCustomDataSettingsDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomDataSettingsDialog";
    /// Set by the caller: the report object whose owner's components the dialog offers (the
    /// Data page passes its data module).
    QPointer<QObject> Communicator;
    /// The settings being edited (not owned; the dialog edits them in place on OK).
    virtual TppDataSettings* GetDataSettings() const { return nullptr; }
    /// Stores the settings and fills the controls from them; no action here.
    virtual void SetDataSettings(TppDataSettings* aSettings) { Q_UNUSED(aSettings); }
    /// Fills the controls from the settings; no action here.
    virtual void UpdateControls() {}
};

/// The choice of a template row: mode 0 opens, 1 saves; the pipeline over the templates'
/// table and its name field; the name proposed and, on OK, chosen.
class TppCustomTemplateDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomTemplateDialog";
    int Mode = 0;
    QObject* DataPipeline = nullptr;
    QString NameField;
    QString Name;
    /// Fills the dialog once the settings above are given; no action here.
    virtual void Init() {}
};

/// The question put when a template cannot be read as it stands: the message (the reader's
/// text, a line break and "Ignore the error and continue?") and the answer.
class TppCustomTemplateErrorDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomTemplateErrorDialog";
    enum class Answer { Ignore, IgnoreAll, Cancel };
    QString Message;
    /// Set by the form before it closes; Cancel when it closes otherwise.
    Answer Result = Answer::Cancel;
    virtual void Init() {}
};

/// The join dialog of the query model: how one selected table is joined to another. The
/// query model creates the registered form with itself as owner, gives it the model, the
/// table joined to and the table whose joins are edited, calls Init, shows it modally and
/// frees it; OK means the joins were applied. The objects are the data workspace's (a
/// TdaSQL and two TdaTable); they are held here as QObjects, below that library.
class TdaCustomJoinTableDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TdaCustomJoinTableDialog";
    QPointer<QObject> SQL;
    QPointer<QObject> JoinTable;
    QPointer<QObject> Table;
    /// Fills the dialog once the three objects are given.
    virtual void Init() = 0;
};

/// The rich text editor: the component gives it its MailMerge flag and its RTF through the
/// editor's document (GetLines) and, when the editor closes with OK, takes the text back.
class TppCustomRTFEditor : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomRTFEditor";
    /// Insert Field is offered only for a mail-merge component.
    bool MailMerge = false;
    /// The document the editor shows; the text is read into it and written from it.
    virtual QTextDocument* GetLines() = 0;
};

/// The choice of a data field for mail merge: the field list is given once, the chosen
/// field read after OK.
class TppCustomMailMergeDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomMailMergeDialog";
    virtual void SetFieldList(const QStringList& aFields) = 0;
    virtual QString GetSelectedField() const = 0;
    virtual QStringList GetFieldList() const { return {}; }
};

/// The page setup dialog: the report's printer setup and column layout, changed at once and
/// put back on Cancel. The creator gives it the report and its language and shows it modally.
class TppCustomPageSetupDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPageSetupDialog";
};

/// The choice of the pages a page-style band prints on: the caller copies the band's
/// PageSetting and ValidPages in, shows the dialog modally and on OK takes them back.
class TppCustomPageSettingDialog : public virtual report::ReportForm {
public:
    static constexpr const char* kClassName = "TppCustomPageSettingDialog";
    TppPageSettingType PageSetting = TppPageSettingType::psAll;
    /// The pages of ValidPages as "%8d" texts, filled on OK.
    QStringList PageList;
    /// The page text as the user typed it ("2-4,1").
    QString ValidPages;
};

namespace report {
/// Puts the template dialogs behind the templates' questions: a form registered for
/// TppCustomTemplateErrorDialog answers reading errors and one registered for
/// TppCustomTemplateDialog chooses rows; without a registered form the question goes where
/// it went before. Called by InitializeOutputUnit.
void InstallRegisteredTemplateDialogs();
}  // namespace report
