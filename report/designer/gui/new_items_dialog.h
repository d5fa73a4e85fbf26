#pragma once

#include "report/output/gui/form.h"
#include "report/output/wizard.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;

/// The New Items dialog: the New page lists the wizard classes, the Templates page the item
/// classes, each item with its class's caption and 32 x 32 picture. The tabs show only when
/// both pages have items. A double click on an item, or OK while the visible page has a
/// selection, closes the dialog with OK.
class TppNewDialog : public TppForm, public TppCustomNewDialog {
    Q_OBJECT
public:
    explicit TppNewDialog(QObject* aOwner = nullptr);

    const TppWizardClass* GetSelectedItem() const override;
    void LanguageChanged() override;

    /// The picture an item shows: the picture resource named like the class, else the class's
    /// Bitmap, else "PPNOWIZARDBITMAP"; a picture of another size than 32 x 32 is replaced
    /// by "PPNOWIZARDBITMAP", so every item keeps a picture of its own index.
    static QImage ItemPicture(const TppWizardClass& aClass);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fill(QListWidget* aView, const TppWizardClassList& aClasses);
    void okClicked();

    QTabWidget* m_pages = nullptr;
    QWidget* m_newPage = nullptr;
    QWidget* m_templatesPage = nullptr;
    QListWidget* m_wizards = nullptr;
    QListWidget* m_templates = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

namespace report {
/// Registers the New Items dialog for TppCustomNewDialog; UnRegisterNewItemsDialog removes it.
void RegisterNewItemsDialog();
void UnRegisterNewItemsDialog();
}  // namespace report
