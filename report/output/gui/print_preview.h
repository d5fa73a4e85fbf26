#pragma once

#include "report/output/gui/form.h"
#include "report/output/screen_device.h"

class QLineEdit;
class QStatusBar;
class QToolButton;
class QPushButton;
class QWidget;
class TppProducer;
class TppViewer;

/// The preview form: a viewer under a button bar (print, search, zoom, page navigation,
/// Close) and above a status bar. Close cancels while pages are being generated.
class TppPrintPreview : public TppForm, public TppCustomPreviewer {
    Q_OBJECT
public:
    explicit TppPrintPreview(QObject* aOwner = nullptr);
    ~TppPrintPreview() override;

    void Init() override;
    QObject* GetViewer() override;
    void LanguageChanged() override;

    TppViewer* Viewer() const { return ppViewer1; }

    QWidget* pnlPreviewBar;
    QToolButton* spbPreviewPrint;
    QToolButton* spbAutoSearch;
    QWidget* pnlStandardButtons;
    QToolButton* spbPreviewWhole;
    QToolButton* spbPreviewWidth;
    QToolButton* spbPreview100Percent;
    QLineEdit* mskPreviewPercentage;
    QToolButton* spbPreviewFirst;
    QToolButton* spbPreviewPrior;
    QLineEdit* mskPreviewPage;
    QToolButton* spbPreviewNext;
    QToolButton* spbPreviewLast;
    QPushButton* spbPreviewClose;
    TppViewer* ppViewer1;
    QStatusBar* StatusBar;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TppProducer* producer() const;
    void zoomClicked(TppZoomSettingType aSetting);
    void percentageEntered();
    void pageEntered();
    void closeClicked();
    void printStateChanged();
    void pageChanged();
    /// Answers whether the key was one of the preview's keys.
    bool handleKey(QKeyEvent* event);
};
