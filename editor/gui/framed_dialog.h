#pragma once

class QDialog;
class QFrame;
class QPushButton;

namespace editor {

/// The OK and Cancel buttons of a framed dialog.
struct OkCancelButtons {
    QPushButton* OK = nullptr;
    QPushButton* Cancel = nullptr;
};

/// Finishes a dialog whose controls sit in one framed panel: makes "OKBtn" (the default
/// button) and "CancelBtn", puts them in a button box below `frame`, and lets the box
/// accept and reject the dialog.
OkCancelButtons LayOutFramedDialog(QDialog* dialog, QFrame* frame);

}  // namespace editor
