#pragma once

// A program of the script language: one procedure or function (an event handler, a global
// routine of a code module, or one of the module's two declaration programs). TraProgram
// keeps the source, compiles it into a node tree and runs it.
//
// States:
//   - created: empty source, not compiled;
//   - source set (SetSource): SourceModified, not compiled;
//   - CompileProgram: Compiled with a node tree, or not compiled with syntax errors only
//     (a failed compile keeps no statements, parameters, constants or variables);
//   - Execute: runs whatever statements it holds, any number of times.

#include "report/script/node.h"
#include "report/script/parser.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class TraProgram;
class TraCodeModule;

/// One syntax error of a program's last compile.
class TraSyntaxError : public TraRelative {
public:
    TraSyntaxError() { SetChildType(16); }
    int ErrorCode = -1;
    int LineNo = 0;   ///< from 1; 0 without a token
    int CharPos = 0;  ///< from 0
    QString Msg;
    QString TokenText;
    /// Text 933 with the program's name and the line, then ": " and the message.
    QString ErrorText() const;
};

namespace script {

/// The syntax error codes.
enum SyntaxErrorCode {
    kExpectedToken = -1,
    kIdentifierRedeclared = 0,
    kIncompatibleTypes = 1,
    kInvalidParameter = 2,
    kSystemConstantName = 3,
    kDeclaredGlobalVariable = 4,
    kDeclaredGlobalConstant = 5,
    kMissingProcedure = 6,
    kMissingProgramName = 7,
    kMissingRightParen = 8,
    kNotTypeIdentifier = 9,
    kParserError = 10,
    kUndeclaredIdentifier = 11,
    kUnexpectedEnd = 12,
    kUnexpectedToken = 13,
    kNestedTooDeeply = 14,  ///< our own: deeper nesting would exhaust the stack
};

/// The deepest nesting of statements, and of operators in one expression, that compiles.
inline constexpr int kMaxNesting = 1000;

/// Declares the language's numbered texts (idempotent).
void DeclareScriptTexts();
/// The message of a syntax error: for code -1 the expected kinds and the token found.
QString BuildSyntaxErrorMessage(const TraToken* aToken, TraTokenTypes aExpected, int aCode);

/// The flag that running loops check before every pass; set it to cancel a run (a runner's
/// time limit, a report's Cancel button). The runner clears it before it starts a program.
std::atomic<bool>& CancelFlag();
/// Throws CancelSignal when the flag is set.
void CheckCancel();

}  // namespace script

class TraProgram : public TraStatement {
public:
    TraProgram();
    ~TraProgram() override;

    // Published properties.
    QString Source() const;
    void SetSource(const QString& aSource);
    QString ProgramName;
    TraTokenType ProgramType = TraTokenType::ttUnknown;
    bool IsFunctionType = false;
    bool Hidden = false;
    bool Locked = false;
    bool SourceModified = false;
    bool Loading = false;

    bool HeadingOnly = false;  ///< the last compile stopped after the heading
    /// Changes the kind of program (ttProcedure, ttFunction).
    void SetProgramType(TraTokenType aType) { ProgramType = aType; }

    bool Compiled() const { return m_compiled; }
    bool Compiling() const { return m_compiling; }

    /// Compiles the source. With aOnlyIfNeeded a compiled, unmodified program is left
    /// alone; nothing happens while compiling. With aHeadingOnly compiling stops after the
    /// heading. Errors become syntax errors; nothing is thrown.
    void CompileProgram(bool aOnlyIfNeeded = false, bool aHeadingOnly = false);
    /// Runs the body statements in order (each one's temporaries are freed when it ends) and
    /// answers the result variable's value node (functions) or null. A run failure throws
    /// EScriptRunError naming this program; a cancel throws script::CancelSignal.
    TraValue* Execute() override;
    void Compile(TraProgram& aProgram, TraToken* aToken) override;

    // Parameters, declarations, statements, errors.
    int ParamCount() const { return int(m_params.size()); }
    TraVariableValue* Params(int aIndex) const { return m_params[size_t(aIndex)]; }
    void SetParamValue(int aIndex, TraValue* aValue);
    TraValue* GetParamValue(int aIndex) const;
    int ConstantCount() const { return int(m_constants.size()); }
    TraVariableValue* Constants(int aIndex) const { return m_constants[size_t(aIndex)]; }
    int VariableCount() const { return int(m_variables.size()); }
    TraVariableValue* Variables(int aIndex) const { return m_variables[size_t(aIndex)]; }
    int StatementCount() const { return ChildCount(); }
    TraStatement* Statements(int aIndex) const;
    int SyntaxErrorCount() const { return int(m_errors.size()); }
    TraSyntaxError* SyntaxErrors(int aIndex) const { return m_errors[size_t(aIndex)]; }
    bool HasErrors() const { return !m_errors.empty(); }

    // The token cursor of the node classes.
    int TokenIndex = 0;
    int StatementDepth = 0;  ///< statements being compiled inside each other
    /// The token at the cursor (null past the end); the cursor advances in any case.
    TraToken* NextToken();
    /// Steps the cursor back one (not below 0) and answers the token there.
    TraToken* PreviousToken();
    /// Checks a token against the expected kinds; adds the errors and answers true when the
    /// caller must stop compiling.
    bool CheckToken(TraToken* aToken, TraToken* aPrevious, int aErrorCode, TraTokenTypes aExpected);
    void AddSyntaxError(const TraToken* aToken, TraTokenTypes aExpected, int aErrorCode);
    const TraParser& Lexer() const { return m_lexer; }

    // Names.
    /// The lookup, first match winning: variables (Result, parameters, declared and global
    /// variables, named objects, classes, type names), constants (declared, global, system),
    /// functions, enumerated values.
    script::FoundValue FindIdentifier(const QString& aName);
    script::FoundValue FindVariable(const QString& aName);
    script::FoundValue FindConstant(const QString& aName);
    script::FoundValue FindFunction(const QString& aName);
    script::FoundValue FindEnumConstant(const QString& aName);
    /// A new call node of a procedure or function to call as a statement: a program of the
    /// code module (OnGetProgram), then a built-in routine; empty when none has the name.
    script::FoundValue FindProgram(const QString& aName);
    bool FindParameter(const QString& aName, TraVariableValue*& aVariable) const;
    bool FindDeclaredVariable(const QString& aName, TraVariableValue*& aVariable) const;
    bool FindLocalConstant(const QString& aName, TraVariableValue*& aVariable) const;
    std::unique_ptr<TraValue> CreateLiteralValue(const TraToken* aToken) const;
    std::unique_ptr<TraValue> CreateTypedValue(const TraToken* aTypeToken) const;

    /// The heading from "(" or ":" on, up to and including the ";" that ends it: the
    /// parameters (read-only unless declared "var") and a function's result variable.
    void ParseParameters(TraToken* aStart);
    /// The const section: name "=" literal or system constant ";", repeated.
    void ParseConstants();
    /// The var section: names ":" type ";", repeated.
    void ParseVariables();
    /// Whether a declaration may take the name: not a parameter, variable or constant of this
    /// program, not a system constant (error 3 added), not refused by OnValidateIdentifier.
    bool CheckIdentifierFree(const TraToken* aNameToken);

    /// The statement list of a body or a compound statement: statements become children of
    /// aParent; the list ends in front of a token of aEndSet.
    void ParseStatementList(TraStatement* aParent, TraTokenTypes aEndSet);
    /// Compiles one statement starting at aToken as a child of aParent.
    void ParseStatement(TraStatement* aParent, TraToken* aToken, TraTokenTypes aEndTokens);

    // Source helpers.
    virtual QString GetHeading() const;
    QString GetTextAfterHeading() const;
    QString GetBodyText();
    virtual void SetBodyText(const QString& aText);
    virtual void CreateDefaultSource();
    virtual void ComputeBodyLines();
    int BodyStartLine();
    int BodyEndLine();

    // Names the program cannot resolve itself (answered by its code module).
    std::function<void(TraProgram* program, bool& skip)> OnCompileStart;
    std::function<void(TraProgram* program)> OnCompileEnd;
    std::function<void(TraProgram* program, bool& notifyDependents)> OnSourceChange;
    std::function<void(TraProgram* program, const TraToken* token, std::unique_ptr<TraSyntaxError>& error)>
        OnValidateIdentifier;
    std::function<void(const QString& name, TraVariableValue*& value)> OnGetGlobalConstant;
    /// A new call node of the code module's program of that name, or none.
    std::function<void(const QString& name, std::unique_ptr<TraValue>& call)> OnGetProgram;
    std::function<void(const QString& name, TraVariableValue*& value)> OnGetGlobalVariable;
    std::function<bool(TraProgram* program, const QString& name, QObject*& object)> OnGetObject;

    void Notify(TraCommunicator* aSender, int aOperation) override;

    /// The code module the program belongs to (none: on its own).
    TraCodeModule* CodeModule() const { return m_codeModule; }
    /// Moves the program into a module (which files it by its kind and owns it) or out of
    /// its module (none: the caller owns it then).
    virtual void SetCodeModule(TraCodeModule* aModule);
    /// Looks up again what the program is bound to; nothing here (handlers rebind).
    virtual void Rebind() {}
    /// The class name written to the program stream.
    virtual QString StreamClassName() const;

protected:
    void AddChild(TraRelative* aChild) override;
    int RemoveChild(TraRelative* aChild) override;
    /// Frees statements, parameters, variables, constants, the result value and (with
    /// aErrors) the syntax errors.
    void Reset(bool aErrors);

    QStringList m_lines;
    int m_bodyStartLine = 0;
    int m_bodyEndLine = -1;
    bool m_bodyLinesValid = false;

private:
    void parseHeadingStart();
    void freeChildrenOfType(int aChildType);

    TraParser m_lexer;
    bool m_compiled = false;
    bool m_compiling = false;
    std::vector<TraVariableValue*> m_params;
    std::vector<TraVariableValue*> m_constants;
    std::vector<TraVariableValue*> m_variables;
    std::vector<TraSyntaxError*> m_errors;
    TraCodeModule* m_codeModule = nullptr;
    friend class TraCodeModule;
};

/// The code module's program of global constants or variables: a procedure whose body is
/// the declaration section.
class TraDeclarationProgram : public TraProgram {
public:
    void ComputeBodyLines() override;
};

class TraConstProgram : public TraDeclarationProgram {
public:
    TraConstProgram() { SetChildType(18); }
    void CreateDefaultSource() override;
    QString StreamClassName() const override { return QStringLiteral("TraConstProgram"); }
};

class TraVarProgram : public TraDeclarationProgram {
public:
    TraVarProgram() { SetChildType(17); }
    void CreateDefaultSource() override;
    QString StreamClassName() const override { return QStringLiteral("TraVarProgram"); }
};
