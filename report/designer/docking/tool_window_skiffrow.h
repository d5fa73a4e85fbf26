#pragma once

#include "report/designer/docking/custom_tool_window_skiffrow.h"

#include <QDockWidget>

class QMainWindow;

/// A tool window: a bar whose controls fill its client ("Client") and that keeps its client
/// size across docking and floating. Docked it sits in the form's dock area beside a
/// splitter that widens it, with a grip ("Grip") to drag it by; floating it has the small
/// caption and, when Resizable, a frame to size it by, never below MinClientWidth by
/// MinClientHeight.
class TppToolWindowSkiffrow : public QDockWidget, public TppCustomToolWindowSkiffrow {
    Q_OBJECT
public:
    /// The tool window floats until it is docked (SetDockedTo).
    TppToolWindowSkiffrow(QMainWindow* owner, const QString& name);
    ~TppToolWindowSkiffrow() override;

    QWidget* Client() const { return m_client; }
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption);

    int MinClientWidth() const { return m_minClientWidth; }
    void SetMinClientWidth(int value);
    int MinClientHeight() const { return m_minClientHeight; }
    void SetMinClientHeight(int value);
    bool Resizable() const { return m_resizable; }
    void SetResizable(bool value);
    /// The client size kept across docking and floating.
    QSize ClientSize() const { return m_clientSize; }
    void SetClientSize(const QSize& size);

    int GetBarSize(int orientation) override;
    QSize GetMinimumClientSize() override { return QSize(m_minClientWidth, m_minClientHeight); }
    QSize LayoutControls(bool canMoveControls, TppDockSkiffrow* wasDockedTo, TppDockSkiffrow* dockingTo) override;
    void SizeChanging(int newClientWidth, int newClientHeight) override;
    bool FloatResizable() const override { return m_resizable; }
    void ReadPositionData(const skiffrow::PositionReader& reader, const QString& section) override;
    void WritePositionData(const skiffrow::PositionWriter& writer, const QString& section) override;
    void AttachToForm(TppDockSkiffrow* dock, bool newRow) override;
    void DetachFromForm() override;

protected:
    void EnterFloatParent(TFloatParent* parent) override;
    void LeaveFloatParent() override;
    void ApplyClientSize(const QSize& clientSize) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_client;
    QWidget* m_grip;
    QWidget* m_noTitle;
    QSize m_clientSize{32, 32};
    int m_minClientWidth = 32;
    int m_minClientHeight = 32;
    bool m_resizable = true;
};
