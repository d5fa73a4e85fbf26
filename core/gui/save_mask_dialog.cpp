#include "core/gui/save_mask_dialog.h"

#include "core/library_rows.h"

#include "platform/base/scope_exit.h"
#include "platform/db/field.h"
#include "platform/db/table.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/gui/make.h"
#include "platform/ui/help.h"
#include "platform/ui/run_guarded.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TSaveFieldMask::TSaveFieldMask(db::Table& maskLib, const QString& name, const QString& mask, const QString& sample,
                               int id, QChar mode, QWidget* parent)
    : QDialog(parent), m_maskLib(maskLib), m_id(id), m_mode(mode) {
    setObjectName(QStringLiteral("SaveFieldMask"));
    setWindowTitle(QStringLiteral("Mask Information"));
    MaskEdit = ui::Make<QLineEdit>(this, "MaskEdit");
    MaskEdit->setProperty("HelpContext", 171003);
    NameEdit = ui::Make<QLineEdit>(this, "NameEdit");
    NameEdit->setMaxLength(30);
    NameEdit->setProperty("HelpContext", 171004);
    SampleEdit = ui::Make<QLineEdit>(this, "SampleEdit");
    SampleEdit->setProperty("HelpContext", 171005);
    OKBtn = ui::Make<QPushButton>(this, "OKBtn", QStringLiteral("OK"));
    OKBtn->setProperty("HelpContext", 171001);
    OKBtn->setDefault(true);
    CancelBtn = ui::Make<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"));
    CancelBtn->setProperty("HelpContext", 171002);
    HelpBtn = ui::Make<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"));
    HelpBtn->setProperty("HelpContext", 171000);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Mask"), MaskEdit);
    form->addRow(QStringLiteral("Mask Name"), NameEdit);
    form->addRow(QStringLiteral("Sample"), SampleEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(HelpBtn);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);
    resize(380, 150);

    connect(OKBtn, &QPushButton::clicked, this, [this] {
        ui::RunGuarded(this, [&] {
            if (SaveMask()) accept();
        });
    });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { reject(); });
    connect(HelpBtn, &QPushButton::clicked, this, [] { ui::HelpService::ShowContext(171000); });

    if (mode == u'C' || mode == u'E') {
        NameEdit->setText(name);
        MaskEdit->setText(mask);
        SampleEdit->setText(sample);
    } else if (mode == u'W') {
        MaskEdit->setText(mask);
        MaskEdit->setReadOnly(true);
        QPalette p = MaskEdit->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button));
        MaskEdit->setPalette(p);
    }
}

void TSaveFieldMask::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    (m_mode == u'W' ? NameEdit : MaskEdit)->setFocus();
}

bool TSaveFieldMask::SaveMask() {
    if (MaskEdit->text().trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a mask."), ui::MessageKind::Error, ui::Button::Ok, 10063);
        MaskEdit->setFocus();
        return false;
    }
    if (NameEdit->text().trimmed().isEmpty()) {
        ui::Message(QStringLiteral("You must enter a mask name."), ui::MessageKind::Error, ui::Button::Ok, 10064);
        NameEdit->setFocus();
        return false;
    }
    const bool wasOpen = m_maskLib.Active();
    if (!wasOpen) m_maskLib.Open();
    base::ScopeExit close([&] {
        if (!wasOpen && m_maskLib.Active()) m_maskLib.Close();
    });
    // A write that fails leaves no half-made row in the table.
    base::ScopeExit cancel([&] {
        try {
            if (m_maskLib.Active() && m_maskLib.State() != db::DataSetState::dsBrowse) m_maskLib.Cancel();
        } catch (...) {
        }
    });
    {
        if (m_mode == u'E') {
            if (!m_maskLib.FindKey({m_id})) {
                ui::Message(QStringLiteral("Unable to find the mask in the library."), ui::MessageKind::Error,
                            ui::Button::Ok, 10118);
                return false;
            }
            m_maskLib.Edit();
        } else {
            m_maskLib.Append();  // the ID is taken when the row is posted
        }
        m_maskLib.FieldByName(QStringLiteral("Mask"))->SetAsString(MaskEdit->text());
        m_maskLib.FieldByName(QStringLiteral("Name"))->SetAsString(NameEdit->text());
        m_maskLib.FieldByName(QStringLiteral("Sample"))->SetAsString(SampleEdit->text());
        core::PostLibraryRow(m_maskLib);
    }
    return true;
}

namespace core {

bool ShowSaveMaskDialog(db::Table& maskLib, const QString& name, const QString& mask, const QString& sample, int id,
                        QChar mode, QWidget* parent) {
    TSaveFieldMask dialog(maskLib, name, mask, sample, id, mode, parent);
    return ui::ExecModal(dialog) == QDialog::Accepted;
}

}  // namespace core
