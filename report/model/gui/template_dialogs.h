#pragma once

#include "report/model/data_pipeline.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>

class QHeaderView;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStandardItemModel;

/// Asks what to do about an error met while reading a template: Ignore (this error),
/// Ignore All (every further error of this load) or Cancel (the load fails and changes
/// nothing). The result code is one of the Result values.
class TppTemplateErrorDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Cancel = 0, Ignore = 1, All = 2 };

    explicit TppTemplateErrorDialog(QWidget* parent = nullptr);

    QString GetMessage() const;
    void SetMessage(const QString& aMessage);
    /// Reloads the captions from the numbered texts.
    void LanguageChanged();

private:
    QLabel* lblMessage;
    QPushButton* btnIgnore;
    QPushButton* btnCancel;
    QPushButton* btnIgnoreAll;
};

/// Picks or types the name of a template row of a table: open mode takes an existing name,
/// save mode a new one or, after a confirmation, an existing one to overwrite.
class TppTemplateDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode { Open = 0, Save = 1 };

    explicit TppTemplateDialog(QWidget* parent = nullptr);

    Mode DialogMode() const { return m_mode; }
    void SetMode(Mode aMode) { m_mode = aMode; }
    TppDataPipeline* DataPipeline() const { return m_dataPipeline; }
    void SetDataPipeline(TppDataPipeline* aPipeline);
    QString NameField() const { return m_nameField; }
    void SetNameField(const QString& v) { m_nameField = v; }
    QString GetTemplateName() const;
    void SetTemplateName(const QString& aName);
    QStringList GetTemplateList() const;
    void SetTemplateList(const QStringList& aList);

    /// Fills the list from the table and sets the captions for the mode.
    void Activate();
    /// Closes with OK unless the name is empty, missing (open) or refused for overwriting (save).
    void accept() override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void lbxTemplatesClick();
    void lbxTemplatesDblClick();
    bool nameExists(const QString& aName) const;

    Mode m_mode = Open;
    QPointer<TppDataPipeline> m_dataPipeline;
    QString m_nameField;
    QLabel* lblTemplateName;
    QLineEdit* edtTemplateName;
    QHeaderView* hdrList;
    QStandardItemModel* m_headerModel;
    QListWidget* lbxTemplates;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};

namespace report {

/// Puts the template error dialog behind the template reader's question (run through
/// ui::ExecModal) and the template dialog behind the choice of a template row.
void InstallTemplateDialogs();

}  // namespace report
