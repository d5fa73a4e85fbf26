#pragma once

// Running a compiled program to its end: the outcome, the result and the failure.

#include <QString>

class TraProgram;

namespace script {

enum class Outcome { Done, Cancelled, Failed };

struct RunResult {
    Outcome outcome = Outcome::Done;
    bool hasValue = false;  ///< a function gave a value
    QString kind;           ///< the value's kind ("Integer"; a variant's with its content: "Variant (Integer)")
    QString text;           ///< the value's text ("14")
    QString failure;        ///< the run failure's message (program, line, column, cause)
};

/// Runs the program once. A run failure or a cancel (CancelFlag set) is an outcome; the
/// temporaries of the run are freed in any case.
RunResult RunProgram(TraProgram& aProgram);

}  // namespace script
