#pragma once

#include "report/output/device.h"

#include <QRect>

#include <memory>

class TppPrinter;
class TppDrawText;
class TppDrawShape;
class TppDrawLine;
class TppDrawImage;
class TppDrawRichText;

/// The device that prints the pages of a job on a printer: one document per job, each
/// page with its own printer setup, draw-command positions turned into printer pixels of
/// the physical page. It makes the copies: uncollated ones page by page, collated ones by
/// publishing the job again into the same document.
class TppPrinterDevice : public TppRasterDevice {
    Q_OBJECT
    Q_CLASSINFO("DeviceName", "Printer")
public:
    Q_INVOKABLE explicit TppPrinterDevice(TComponent* AOwner = nullptr);
    ~TppPrinterDevice() override;

    /// The device's own printer.
    TppPrinter* Printer() const { return m_printer.get(); }

    void StartJob() override;
    void ReceivePage(TppPage& aPage) override;
    void EndJob() override;
    void CancelJob() override;
    bool DrawCommand(TppDrawCommand& aDrawCommand) override;

    /// True when no collated copy remains; otherwise counts one down, publishes the job
    /// again and answers false.
    virtual bool IsLastCopy();
    /// The command's rectangle in printer pixels of the page, stored in the command.
    QRect CalcCommandRect(TppDrawCommand& aDrawCommand) const;

protected:
    virtual void DrawText(TppDrawText& aText);
    virtual void DrawShape(TppDrawShape& aShape);
    virtual void DrawLine(TppDrawLine& aLine);
    virtual void DrawImage(TppDrawImage& aImage);
    virtual void DrawRichText(TppDrawRichText& aRichText);

private:
    void startPage(TppPage& aPage);
    void updateStatus(const TppPage* aPage);

    std::unique_ptr<TppPrinter> m_printer;
    bool m_jobRunning = false;
    int m_collatedCopies = 1;
    bool m_firstPage = true;
    QPoint m_pageShift;
};
