#include "report/output/wizard.h"

#include "report/model/custom_report.h"
#include "report/model/template.h"
#include "report/page/resource_manager.h"

#include <QPainter>

#include <algorithm>

namespace {

void declareWizardTexts() {
    static const bool declared = [] {
        report::DeclareTexts({
            {579, "Report"},
            {620, "Report Wizard"},
        });
        return true;
    }();
    Q_UNUSED(declared);
}

// The pictures are 32 x 32 on white, which the list views treat as transparent.
QImage blankPicture() {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A page with a folded corner and text lines.
void drawPage(QPainter& p, const QColor& lines) {
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(20, 2), QPoint(26, 8), QPoint(26, 29), QPoint(6, 29)}));
    p.drawPolyline(QPolygon({QPoint(20, 2), QPoint(20, 8), QPoint(26, 8)}));
    p.setPen(lines);
    for (int y = 12; y <= 26; y += 3) p.drawLine(9, y, y % 2 ? 21 : 23, y);
}

QImage reportWizardPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    drawPage(p, QColor(0, 0, 128));
    // The wand: a stick with a star at its tip.
    p.setPen(QPen(QColor(128, 0, 0), 2));
    p.drawLine(14, 28, 27, 15);
    p.setPen(QColor(255, 200, 0));
    p.drawLine(27, 11, 27, 19);
    p.drawLine(23, 15, 31, 15);
    p.drawLine(25, 13, 29, 17);
    p.drawLine(29, 13, 25, 17);
    return image;
}

QImage blankReportPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(20, 2), QPoint(26, 8), QPoint(26, 29), QPoint(6, 29)}));
    p.drawPolyline(QPolygon({QPoint(20, 2), QPoint(20, 8), QPoint(26, 8)}));
    return image;
}

QImage crossTabPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(3, 5, 25, 5);
    p.drawRect(3, 10, 6, 18);
    p.setBrush(Qt::white);
    p.drawRect(9, 10, 19, 18);
    for (int x = 15; x < 28; x += 6) p.drawLine(x, 5, x, 28);
    for (int y = 16; y < 28; y += 6) p.drawLine(3, y, 28, y);
    return image;
}

QImage noWizardPicture() {
    QImage image = blankPicture();
    QPainter p(&image);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(5, 5, 21, 21);
    p.setPen(QPen(QColor(128, 0, 0), 3));
    p.drawLine(10, 10, 21, 21);
    p.drawLine(21, 10, 10, 21);
    return image;
}

struct Registry {
    QList<const TppWizardClass*> list;
    const TppWizardClass* blank = nullptr;
    const TppWizardClass* defaultWizard = nullptr;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

}  // namespace

QImage ppLoadBitmap(const QString& aName) {
    const QString name = aName.toUpper();
    if (name == QLatin1String("TPPREPORTWIZARD")) return reportWizardPicture();
    if (name == QLatin1String("TPPBLANKREPORTWIZARD")) return blankReportPicture();
    if (name == QLatin1String("TPPCROSSTABWIZARD")) return crossTabPicture();
    if (name == QLatin1String("PPNOWIZARDBITMAP")) return noWizardPicture();
    return {};
}

TppWizard::TppWizard(TComponent* aOwner) : TppCommunicator(aOwner) {}

QString TppWizard::ClassCaption(TClass aClass) {
    return aClass ? QString::fromLatin1(aClass->className()) : QString();
}

QImage TppWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPNOWIZARDBITMAP")); }

TppCustomWizard::TppCustomWizard(TComponent* aOwner) : TppWizard(aOwner) {}

void TppCustomWizard::DoGetDataNames(QStringList& aDataNameList) {
    if (OnGetDataNames) OnGetDataNames(this, aDataNameList);
}

void TppCustomWizard::DoGetFields(const QString& aDataName, TppFieldList& aFieldList) {
    if (OnGetFields) OnGetFields(this, aDataName, aFieldList);
}

bool TppCustomWizard::DoValidateName(const QString& aName) {
    bool valid = true;
    if (OnValidateName) OnValidateName(this, aName, valid);
    return valid;
}

TppCustomReportWizard::TppCustomReportWizard(TComponent* aOwner) : TppCustomWizard(aOwner) {}

TppCustomReport* TppCustomReportWizard::DoCreateReport(const QString& aDataName) {
    QObject* created = nullptr;
    if (OnCreateReport) OnCreateReport(this, aDataName, created);
    return qobject_cast<TppCustomReport*>(created);
}

TppBlankReportWizard::TppBlankReportWizard(TComponent* aOwner) : TppCustomReportWizard(aOwner) {
    declareWizardTexts();
}

QString TppBlankReportWizard::ClassCaption(TClass) {
    declareWizardTexts();
    return ppGetMessageText(579);
}

QImage TppBlankReportWizard::ClassBitmap(TClass) { return ppLoadBitmap(QStringLiteral("PPBLANKREPORTWIZARD")); }

bool TppBlankReportWizard::Execute() {
    m_report = DoCreateReport(QString());
    return m_report != nullptr;
}

TppCustomReport* TppBlankReportWizard::GetReport() const { return m_report; }

QString TppBlankReportWizard::GetReportName() const {
    if (!m_report) return {};
    const auto* reportTemplate = m_report->findChild<TppTemplate*>(QString(), Qt::FindDirectChildrenOnly);
    return reportTemplate ? reportTemplate->GetDescription() : QString();
}

void ppRegisterWizard(const TppWizardClass* aClass) {
    if (!aClass) return;
    Registry& r = registry();
    const bool listed =
        std::any_of(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (listed) return;
    report::RegisterClass(aClass->Class);
    r.list.append(aClass);
}

void ppUnregisterWizard(const TppWizardClass* aClass) {
    if (!aClass) return;
    report::UnRegisterClass(aClass->Class);
    Registry& r = registry();
    const auto found =
        std::find_if(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (found == r.list.end()) return;
    r.list.erase(found);
    if (r.blank && r.blank->Class == aClass->Class) r.blank = nullptr;
    if (r.defaultWizard && r.defaultWizard->Class == aClass->Class) r.defaultWizard = nullptr;
}

void ppRegisterBlankReportWizard(const TppWizardClass* aClass) {
    Registry& r = registry();
    if (r.blank) ppUnregisterWizard(r.blank);
    r.blank = aClass;
    ppRegisterWizard(aClass);
}

void ppRegisterDefaultReportWizard(const TppWizardClass* aClass) {
    Registry& r = registry();
    if (r.defaultWizard) ppUnregisterWizard(r.defaultWizard);
    r.defaultWizard = aClass;
    if (!aClass) return;
    ppRegisterWizard(aClass);
    const auto found =
        std::find_if(r.list.begin(), r.list.end(), [&](const TppWizardClass* c) { return c->Class == aClass->Class; });
    if (found != r.list.end()) r.list.move(int(found - r.list.begin()), 0);
}

const TppWizardClass* ppGetBlankReportWizard() { return registry().blank; }

const TppWizardClass* ppGetDefaultReportWizard() { return registry().defaultWizard; }

void ppGetWizardClasses(TppWizardClassList& List, TClass aBaseClass) {
    for (const TppWizardClass* c : registry().list)
        if (report::InheritsFrom(c->Class, aBaseClass)) List.append({c->Caption(), c});
}

void ppGetReportWizardClasses(TppWizardClassList& List) {
    ppGetWizardClasses(List, &TppCustomReportWizard::staticMetaObject);
}
