#pragma once

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class TViewControl;

/// "Hidden Fields": the View's hidden fields that are not marked for deletion, sorted by
/// caption; Show makes the selected ones visible again.
class THiddenFieldList : public QDialog {
    Q_OBJECT
public:
    THiddenFieldList(TViewControl& views, int view, QWidget* parent = nullptr);

    int Count() const;
    /// Makes the selected fields visible (their controls rebuilt and refilled); false with
    /// no selection (the user was told).
    bool ShowSelected();

private:
    TViewControl& m_views;
    int m_view;

public:
    QLabel* TitleLabel;
    QListWidget* FieldList;
    QPushButton* ShowBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Opens the hidden-fields dialog, or says that the View has no hidden field.
void ShowHiddenFields(TViewControl& views, int view, QWidget* parent = nullptr);

}  // namespace core
