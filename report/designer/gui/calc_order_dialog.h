#pragma once

// The Calc Order dialog: the report's bands in a tree over the variables of the selected band
// in calculation order. The Order buttons move the selected variable at once; Cancel puts
// back every CalcOrder saved when the report was assigned, OK keeps the changes.

#include "report/output/design_dialogs.h"
#include "report/output/gui/form.h"

#include <QPointer>

#include <utility>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class QPushButton;
class QSplitter;
class QToolButton;
class TppBand;
class TppVariable;

class TppCalcOrderDialog : public TppForm, public TppCustomCalcOrderDialog {
    Q_OBJECT
public:
    explicit TppCalcOrderDialog(QObject* aOwner = nullptr);
    void LanguageChanged() override;
    void ReportAssigned() override;
    void SetSelection(QObject* aObject) override;
    QObject* GetSelection() const override;

    QSplitter* pnlExplorer;
    QTreeWidget* tvBands;       ///< the report's bands
    QTreeWidget* lvVariables;   ///< the selected band's variables in calculation order
    QLabel* lblOrder;
    QToolButton* spbMoveUp;
    QToolButton* spbMoveDown;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    /// The variable of the list's current row; none without one.
    TppVariable* SelectedVariable() const;

private:
    void buildTree();
    void buildList(TppVariable* aCurrent = nullptr);
    void spbMoveUpClick();
    void spbMoveDownClick();
    void restore();

    std::vector<std::pair<QPointer<TppVariable>, int>> m_savedOrders;
};

namespace report {
void RegisterCalcOrderDialog();
void UnRegisterCalcOrderDialog();
}  // namespace report
