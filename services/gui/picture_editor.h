#pragma once

#include <QDialog>
#include <QImage>
#include <QString>

#include "platform/ui/dialog_service.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;

/// The "Graphic Loader": the picture being edited, loaded from a bitmap or icon file or pasted
/// from the clipboard, and copied or saved from there.
///
/// States: holding a picture (copy and save enabled) or none (both disabled). A load with a
/// target size (both `TargetWidth` and `TargetHeight` not 0) stretches the loaded picture to
/// exactly that size; a paste is never resized.
class TLoadGraphic : public QDialog {
    Q_OBJECT
public:
    explicit TLoadGraphic(QWidget* parent = nullptr);

    QToolBar* ToolBar;
    QToolButton *LoadBtn, *SaveBtn, *CopyBtn, *PasteBtn, *ExtractBtn;
    QFrame* ImagePanel;
    QLabel* Image;
    QStatusBar* StatusBar;
    QPushButton *OKBtn, *CancelBtn, *HelpBtn;
    QMenu* PU_Edit;
    /// The open and save dialogs, asked through the dialog service; their folders follow
    /// each other for the program run.
    ui::FileRequest OpenPictureDlg, SavePictureDlg;

    /// The picture shown; null when none.
    const QImage& Picture() const { return m_picture; }
    void SetPicture(const QImage& picture);
    void SetStatus(const QString& text);

    int TargetWidth = 0;   ///< pixels; 0: keep the loaded size
    int TargetHeight = 0;  ///< pixels; 0: keep the loaded size

    void LoadBtnClick();
    void SaveBtnClick();
    void CopyBtnClick();
    void PasteBtnClick();
    /// Loads `fileName` (".bmp" or ".ico", any case) as the load button does; false after the
    /// message for a file of another kind or one that cannot be read.
    bool LoadFromFile(const QString& fileName);

private:
    void updateButtons();
    QImage m_picture;
};

/// Shows the Graphic Loader modally. `Result` first becomes a copy of `Source`; on OK with a
/// picture shown it becomes that picture and the answer is true; otherwise false. A load
/// during this call is stretched to `Width` x `Height` when both are not 0.
bool EditPicture(const QString& Caption, const QImage& Source, QImage& Result, int Height, int Width);

namespace services {
/// A picture as a Windows bitmap file (the form template pictures are stored and packed in).
QByteArray BitmapBytes(const QImage& picture);
}  // namespace services
