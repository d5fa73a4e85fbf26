#include "report/output/file_device.h"

#include "report/model/errors.h"
#include "report/model/text_layout.h"
#include "report/output/dialog_registry.h"
#include "report/output/output_texts.h"
#include "report/output/publisher.h"
#include "report/page/page.h"
#include "report/page/resource_manager.h"

#include <QCoreApplication>

#include <algorithm>
#include <map>

// TppFileDevice -----------------------------------------------------------------------------

TppFileDevice::TppFileDevice(TComponent* AOwner) : TppDevice(AOwner) {}

TppFileDevice::~TppFileDevice() {
    CloseStream();
}

void TppFileDevice::SetFileName(const QString& v) {
    if (!Busy()) m_fileName = v;
}

void TppFileDevice::StartJob() {
    TppDevice::StartJob();
    report::DeclareOutputTexts();
    UpdatePageStatus(nullptr);
    auto stream = std::make_unique<QFile>(m_fileName);
    if (m_fileName.isEmpty() || !stream->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EPrintError(report::MessageText(67, {m_fileName}));
    m_stream = std::move(stream);
}

void TppFileDevice::CloseStream() {
    if (!m_stream) return;
    m_stream->close();
    m_stream.reset();
}

void TppFileDevice::EndJob() {
    TppDevice::EndJob();
    CloseStream();
}

void TppFileDevice::CancelJob() {
    TppDevice::CancelJob();
    CloseStream();
}

void TppFileDevice::UpdatePageStatus(const TppPage* aPage) {
    if (!CancelDialog()) return;
    QString text;
    if (!aPage) {
        text = ppGetMessageText(2);
    } else if (SkipPage() && !(Publisher() && Publisher()->PageCountKnown())) {
        return;
    } else {
        const TppPageSettingType setting = PageRequest()->PageSetting();
        const bool partial = setting != TppPageSettingType::psAll && setting != TppPageSettingType::psPageRange;
        if (partial || aPage->PassSetting() == TppPassSettingType::psOnePass)
            text = report::MessageText(27, {QString::number(aPage->AbsolutePageNo()), aPage->DocumentName(), m_fileName});
        else
            text = report::MessageText(28, {QString::number(aPage->AbsolutePageNo()), QString::number(aPage->AbsolutePageCount()),
                                            aPage->DocumentName(), m_fileName});
    }
    if (text == CancelDialog()->StatusText()) return;
    CancelDialog()->SetStatus(text);
    QCoreApplication::processEvents();
}

// TppTextFileDevice -------------------------------------------------------------------------

TppTextFileDevice::TppTextFileDevice(TComponent* AOwner) : TppFileDevice(AOwner) {}

void TppTextFileDevice::SetFileType(TppFileType v) {
    if (!Busy()) m_fileType = v;
}

QString TppTextFileDevice::Description() const {
    report::DeclareOutputTexts();
    return ppGetMessageText(37);
}

void TppTextFileDevice::ReceivePage(TppPage& aPage) {
    TppFileDevice::ReceivePage(aPage);
    if (!PageIsRequested() || !OutputStream()) return;
    UpdatePageStatus(&aPage);
    if (!SkipPage()) writeRecords(aPage);
}

QString TppTextFileDevice::quoted(const QString& aText) const {
    const QChar separator = m_fileType == TppFileType::ftTab ? QLatin1Char('\t') : QLatin1Char(',');
    if (!aText.contains(separator) && !aText.contains(QLatin1Char('"')) && !aText.contains(QLatin1Char('\n')) &&
        !aText.contains(QLatin1Char('\r')))
        return aText;
    QString inner = aText;
    inner.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

void TppTextFileDevice::writeRecords(TppPage& aPage) {
    // Every saved text, by band output and then save order; texts with the same numbers
    // keep their order on the page (none is dropped).
    std::vector<TppDrawText*> fields;
    for (int i = 0; i < aPage.GetDrawCommandCount(); ++i) {
        auto* text = qobject_cast<TppDrawText*>(aPage.GetDrawCommand(i));
        if (!text || !text->BandSave() || !text->ComponentSave()) continue;
        fields.push_back(text);
    }
    if (fields.empty()) return;
    std::stable_sort(fields.begin(), fields.end(), [](const TppDrawText* a, const TppDrawText* b) {
        return std::pair(a->BandSaveNo(), a->ComponentSaveNo()) < std::pair(b->BandSaveNo(), b->ComponentSaveNo());
    });
    const QString separator = m_fileType == TppFileType::ftComma ? QStringLiteral(",")
                              : m_fileType == TppFileType::ftTab ? QStringLiteral("\t")
                                                                 : QString();
    std::vector<QString> records;
    int band = 0;
    bool first = true;
    QString line;
    for (TppDrawText* text : fields) {
        if (!first && text->BandSaveNo() != band) {
            records.push_back(line);
            line.clear();
        }
        const bool firstOfRecord = first || text->BandSaveNo() != band;
        band = text->BandSaveNo();
        first = false;
        // The hook sees the text first, so what it writes is quoted and padded like the rest.
        QString value = text->Text();
        if (m_saveText) m_saveText(this, text->Component(), value);
        if (m_fileType == TppFileType::ftFixedLength)
            value = ppPadText(value, text->SaveLength(), int(text->Alignment()));
        else if (m_fileType == TppFileType::ftComma || m_fileType == TppFileType::ftTab)
            value = quoted(value);
        if (!firstOfRecord) line += separator;
        line += value;
    }
    records.push_back(line);
    for (size_t i = 0; i < records.size(); ++i) {
        const bool lastOfFile = aPage.LastPage() && i + 1 == records.size();
        if (records[i].isEmpty()) continue;
        OutputStream()->write(records[i].toUtf8());
        if (!lastOfFile && m_fileType != TppFileType::ftCustom) OutputStream()->write("\r\n");
    }
}
