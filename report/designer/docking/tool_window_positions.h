#pragma once

#include "report/designer/docking/custom_tool_window_skiffrow.h"

#include <QString>

class QMainWindow;

// The positions of a form's named bars in an ini file, one section per bar, named by the
// bar's name (bars without a name are left out):
//
//   key          written                                          read default
//   Rev          2                                                0: a section whose Rev is
//                                                                  not 2 is ignored
//   Visible      1 visible, 0 hidden                              the current Visible
//   DockedTo     the dock's name; "+" floating; empty in a dock   empty: nothing further is
//                that does not allow dragging                      restored
//   DockRow      DockRow                                          the current DockRow
//   DockPos      DockPos                                          the current DockPos
//   FloatLeft    FloatLeft (screen x of the floating window)      0
//   FloatTop     FloatTop                                         0
//   FloatRightX  toolbars: FloatRightX                            0
//   ClientWidth  tool windows: client width                       current; read only when
//   ClientHeight tool windows: client height                       Resizable
//
// Keys are written in this order.

namespace skiffrow {
/// Writes every named bar of the form. EToolWindowPositionError "Cannot save tool window's
/// position because DockedTo's Name property not set" at the first bar docked in an unnamed
/// dock that allows dragging; what was written before stays.
void SaveToolWindowPositions(QMainWindow* form, const PositionWriter& writer);
/// Restores every named bar of the form; never fails: a missing or foreign section, a dock
/// name that matches no dock or a failing bar leave the bars as they are. Every dock of the
/// form lays out once, at the end.
void LoadToolWindowPositions(QMainWindow* form, const PositionReader& reader);
}  // namespace skiffrow

/// The two cores over an ini file (a bare file name lives in the settings folder); the save
/// writes the file once, also when it stops at an unnamed dock.
void ppSaveToolWindowPositions(QMainWindow* form, const QString& iniFileName);
void ppLoadToolWindowPositions(QMainWindow* form, const QString& iniFileName);
