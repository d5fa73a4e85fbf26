#pragma once

class QFrame;
class QLabel;
class QWidget;

namespace editor {

/// The white panel that the splash window and the about box share: the program picture
/// `ProgramIcon` filling it, the label "Registry Editor" on the picture and the
/// right-aligned label `Version` (empty until the owner fills it). Answers the panel; the
/// version label is handed back through `version`.
QFrame* MakeBrandPanel(QWidget* parent, QLabel*& version);

}  // namespace editor
