#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;
class TViewControl;

/// "Set Field Tab Order": the View's fields that are not marked for deletion (hidden ones
/// included) in tab order; Up and Down move the selected field; OK numbers the fields in
/// list order.
class TSetTabOrderDlg : public QDialog {
    Q_OBJECT
public:
    TSetTabOrderDlg(TViewControl& views, int view, QWidget* parent = nullptr);

    /// False when the View has no field to list (the user was told).
    bool Filled() const { return m_filled; }
    /// Writes FieldTabOrder = list position for every listed field.
    void WriteTabOrder();

private:
    void move(int step);

    TViewControl& m_views;
    int m_view;
    bool m_filled = false;

public:
    QListWidget* FieldList;
    QPushButton* UpBtn;
    QPushButton* DownBtn;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* HelpBtn;
};

namespace core {

/// Opens the tab-order dialog; true when it closed with OK (the order is then written and
/// applied to the View window through CustomizeHooks::ApplyTabOrder).
bool ShowTabOrder(TViewControl& views, int view, QWidget* parent = nullptr);

}  // namespace core
