#include "report/designer/gui/new_items_dialog.h"

#include "report/page/resource_manager.h"

#include <QBitmap>
#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPictureSize = 32;

void declareNewItemsTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {5, "Cancel"},
            {17, "OK"},
            {690, "New Items"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

QListWidget* makeView(QWidget* aPage, const QString& aName) {
    auto* view = new QListWidget(aPage);
    view->setObjectName(aName);
    view->setViewMode(QListView::IconMode);
    view->setIconSize(QSize(kPictureSize, kPictureSize));
    view->setMovement(QListView::Static);
    view->setResizeMode(QListView::Adjust);
    view->setGridSize(QSize(96, 72));
    view->setWordWrap(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(aPage);
    layout->addWidget(view);
    return view;
}

// White is the transparent colour of the pictures.
QIcon iconOf(const QImage& aPicture) {
    QPixmap pixmap = QPixmap::fromImage(aPicture);
    pixmap.setMask(QBitmap::fromImage(aPicture.createMaskFromColor(QColor(Qt::white).rgb(), Qt::MaskInColor)));
    return QIcon(pixmap);
}

}  // namespace

TppNewDialog::TppNewDialog(QObject* aOwner) : TppForm(aOwner) {
    declareNewItemsTexts();
    setObjectName(QStringLiteral("ppNewDialog"));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("nbkNew"));
    m_newPage = new QWidget;
    m_newPage->setObjectName(QStringLiteral("tbsNew"));
    m_templatesPage = new QWidget;
    m_templatesPage->setObjectName(QStringLiteral("tbsTemplates"));
    m_wizards = makeView(m_newPage, QStringLiteral("lvwWizards"));
    m_templates = makeView(m_templatesPage, QStringLiteral("lvwTemplates"));
    m_pages->addTab(m_newPage, QString());
    m_pages->addTab(m_templatesPage, QString());
    m_pages->tabBar()->setVisible(false);

    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("btnOK"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("btnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(m_ok, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { EndModal(report::ModalResult::mrCancel); });
    for (QListWidget* view : {m_wizards, m_templates})
        connect(view, &QListWidget::itemDoubleClicked, this, [this] { EndModal(report::ModalResult::mrOk); });
    LanguageChanged();
}

void TppNewDialog::LanguageChanged() {
    setWindowTitle(ppGetMessageText(690));
    m_pages->setTabText(0, QStringLiteral("New"));
    m_pages->setTabText(1, QStringLiteral("Templates"));
    m_ok->setText(ppGetMessageText(17));
    m_cancel->setText(ppGetMessageText(5));
}

QImage TppNewDialog::ItemPicture(const TppWizardClass& aClass) {
    QImage picture = aClass.Class ? ppLoadBitmap(QString::fromLatin1(aClass.Class->className())) : QImage();
    if (picture.isNull() && aClass.Bitmap) picture = aClass.Bitmap();
    if (picture.size() != QSize(kPictureSize, kPictureSize)) picture = ppLoadBitmap(QStringLiteral("PPNOWIZARDBITMAP"));
    return picture;
}

void TppNewDialog::fill(QListWidget* aView, const TppWizardClassList& aClasses) {
    aView->clear();
    for (const auto& [caption, itemClass] : aClasses) {
        auto* item = new QListWidgetItem(caption, aView);
        if (itemClass) item->setIcon(iconOf(ItemPicture(*itemClass)));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<const void*>(itemClass)));
    }
}

void TppNewDialog::showEvent(QShowEvent* event) {
    fill(m_wizards, WizardClasses());
    fill(m_templates, ItemClasses());
    const bool hasWizards = m_wizards->count() > 0;
    const bool hasTemplates = m_templates->count() > 0;
    m_pages->tabBar()->setVisible(hasWizards && hasTemplates);
    if (hasWizards || hasTemplates) {
        QListWidget* view = hasWizards ? m_wizards : m_templates;
        m_pages->setCurrentWidget(hasWizards ? m_newPage : m_templatesPage);
        view->setCurrentRow(0);
        view->setFocus();
    }
    TppForm::showEvent(event);
}

const TppWizardClass* TppNewDialog::GetSelectedItem() const {
    const QListWidget* view = m_pages->currentWidget() == m_templatesPage ? m_templates : m_wizards;
    const QList<QListWidgetItem*> selected = view->selectedItems();
    if (selected.isEmpty()) return nullptr;
    return static_cast<const TppWizardClass*>(selected.first()->data(Qt::UserRole).value<const void*>());
}

void TppNewDialog::okClicked() {
    const QListWidget* view = m_pages->currentWidget() == m_templatesPage ? m_templates : m_wizards;
    if (view->selectedItems().isEmpty()) return;
    EndModal(report::ModalResult::mrOk);
}

namespace report {

void RegisterNewItemsDialog() { RegisterForm<TppCustomNewDialog, TppNewDialog>(); }

void UnRegisterNewItemsDialog() { UnRegisterForm<TppCustomNewDialog>(); }

}  // namespace report
