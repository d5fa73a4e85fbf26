#pragma once

// The canonical text form of a compiled program: one line per node, children indented by
// two spaces, so that tests compare whole trees as texts. For example
//
//   function F: Integer
//     result Result: Integer
//     var x: Integer
//     body
//       assign
//         var x
//         op +
//           Integer 1
//           op *
//             Integer 2
//             Integer 3

#include <QString>

class TraProgram;
class TraRelative;

namespace script {

QString TreeText(const TraProgram& aProgram);
/// One node and its children, indented by aDepth levels.
QString NodeText(const TraRelative* aNode, int aDepth = 0);

}  // namespace script
